// What the export tests share: the export read back (fuzz/export_readback.h) with the
// DAWproject schemas found, the host's own events as the import report lists them, and the
// projects exported.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/export_readback.h"
#include "refhost/report.h"
#include "tools/writer/project_file.h"

namespace TessaroTest {

// The container, the XML and the MIDI file read back (fuzz/export_readback.h).
using Readback::Element;
using Readback::MidiFile;
using Readback::MidiMessage;
using Readback::readContainer;
using Readback::readFile;
using Readback::readMidiFile;
using Readback::referenceProblems;
using Readback::XmlDocument;

// The folder of the DAWproject schemas: $TESSARO_DAWPROJECT_SCHEMAS, else the one the build
// found beside the repository; none where there is none (tests then skip validation).
std::optional<std::filesystem::path> schemaFolder();
// The schema's complaints about xml, one per line; empty when it is valid.
std::string schemaErrors(const std::vector<std::uint8_t>& xml, const std::string& schema);

// The host's notes and controller-like events from an import report's "events", one line
// each: the track's name, the part's start and the event as the report shows it.
struct HostEvent {
    std::string track;
    std::string kind;  // "note", "pitchbend", "controller", ...
    double partStart = 0;
    double start = 0;  // within the part
    double length = 0;
    std::vector<std::int64_t> data;  // pitch and velocity, or the data values
    bool partMuted = false;
};
std::vector<HostEvent> hostEvents(const RefHost::Report& report);

// The messages of a MIDI track as "tick: status data..." in hexadecimal, in file order; the
// meta events too when withMeta.
std::vector<std::string> midiMessages(const std::vector<MidiMessage>& track, bool withMeta);

// The checked-in demo project and its wave file, copied into folder; returns the project.
std::filesystem::path copyDemo(const std::filesystem::path& folder);

// A project that reaches the corners of the export: file version 22, 90 bpm, 3/4, 1000
// ticks per whole note. "Lead<U+0001><unpaired surrogate>x" (synth with a preset, sends to
// effect buses 1 and 2, send-level automation) with a part of every event kind and of
// notes the formats cannot all hold, and a muted part; two tracks "Pad" (synth with a
// preset each, send-level automation); "Loops" (audio) playing loop.wav twice, Loop.wav
// and "..hit?.wav", with a Lanefix strip, a Tonalix EQ, a gate, a limiter and a
// brickwall; a reverb on each effect bus. writeRichAudio puts the wave files beside it.
TessaroWriter::ProjectFile richProject();
void writeRichAudio(const std::filesystem::path& folder);

}  // namespace TessaroTest
