// Region chunk tests read a small project (a song header, one track, its region chunk)
// through the importer in-process against a reference host, as a whole and in small
// pieces, and look at the events the host holds afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "refhost/report.h"
#include "tests/support/import_harness.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

namespace TessaroTest {

struct RegionRun {
    std::int32_t result = -1;
    std::string error;  // the reader error; empty when the file was read
    // The file ends (unless the test cuts it) with a probe chunk, a plug-in preset of a
    // track number no track has: read, it shows that the chunk loop found it where the
    // file has it, behind the chunks before it.
    bool probeRead = false;
    float tickFactor = 0;
    std::unique_ptr<RefHost::ReferenceHost> host;
    RefHost::Report report;
    RefHost::Findings references;
    std::shared_ptr<TempFolder> folder;

    // The events of the project's first track, as reported; none when its event list was
    // never asked for.
    const RefHost::Report& events() const {
        static const RefHost::Report none = RefHost::Report::array();
        const RefHost::Report& tracks = report["tracks"];
        if (tracks.empty() || !tracks[0].contains("events")) return none;
        return tracks[0]["events"];
    }
    // A tick value as the host receives it: in single precision times the tick factor.
    double at(std::int64_t ticks) const {
        return static_cast<double>(static_cast<float>(ticks) * tickFactor);
    }
};

enum class Delivery { Whole, Pieces };

// Reads file once, delivered as asked.
RegionRun readProject(const TessaroWriter::ProjectFile& file, Delivery delivery,
                      const ImportOptions& options = {});
// Reads file whole and in pieces, expects both to end alike (result, error, the probe and
// the tracks of the report) and returns the whole read.
RegionRun readProject(const TessaroWriter::ProjectFile& file, const ImportOptions& options = {});

// A project in file version `version` with one track of type trackType (number 1) and the
// region chunk as its last chunk.
TessaroWriter::ProjectFile oneTrack(std::uint8_t trackType, TessaroWriter::RegionChunk regions,
                                    std::uint16_t version = TessaroWriter::kLatestVersion);

// A MIDI region at position holding notes and events.
TessaroWriter::Region midiRegion(std::uint32_t position, TessaroWriter::MidiData data,
                                 const char16_t* name = u"Part");
// An audio region at position playing fileName.
TessaroWriter::Region audioRegion(std::uint32_t position, const char16_t* fileName,
                                  std::uint32_t inPoint = 0);

// The bytes of a wave file of the tone.
std::vector<std::uint8_t> toneBytes(const TessaroWriter::Tone& tone);

}  // namespace TessaroTest
