#include "bench/bench_import.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "refhost/events.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#if TESSARO_WITH_INTERCHANGE
#include "interchange/export.h"
#endif

namespace TessaroBench {

namespace fs = std::filesystem;

TessaroWriter::ProjectFile midiHeavyProject(int partsPerTrack) {
    using namespace TessaroWriter;
    ProjectFile file;
    HeadChunk head;
    head.trackCount = kMidiTracks;
    head.songLengthTicks = 0x1000000;
    file.add(head);
    for (int t = 1; t <= kMidiTracks; ++t) {
        TrackInfoChunk track;
        track.trackNumber = static_cast<std::uint16_t>(t);
        track.trackType = kInstrumentTrack;
        track.name = FileString(std::string_view("Track " + std::to_string(t)));
        file.add(track);
        RegionChunk chunk;
        chunk.trackNumber = static_cast<std::uint16_t>(t);
        for (int p = 0; p < partsPerTrack; ++p) {
            MidiData midi;
            midi.quantizeGrid = 16;
            midi.quantizeTuplet = 1;
            const auto start = static_cast<std::uint32_t>(p * 4800);
            for (int n = 0; n < kNotesPerPart; ++n)
                midi.notes.push_back({start + static_cast<std::uint32_t>(n * 9), 30,
                                      static_cast<std::uint8_t>(36 + (n * 7 + t) % 60),
                                      static_cast<std::uint8_t>(40 + n % 80)});
            for (int e = 0; e < kEventsPerPart; ++e)
                midi.events.push_back({start + static_cast<std::uint32_t>(e * 45),
                                       static_cast<std::uint16_t>((e * 131) % 16384),
                                       static_cast<std::uint8_t>(2 + e % 4),
                                       static_cast<std::uint8_t>(e % 128)});
            Region region;
            region.position = start;
            region.length = 4800;
            region.name = FileString(std::string_view("Part " + std::to_string(p + 1)));
            region.content = std::move(midi);
            chunk.regions.push_back(std::move(region));
        }
        file.add(std::move(chunk));
    }
    return file;
}

int importChild(const fs::path& file, bool exporting) {
    RefHost::ReferenceHost host(RefHost::ProfileStore().load(""));
    RefHost::LoadedModule module{fs::path(TESSARO_MODULE_PATH)};
    RefHost::ImportOutcome outcome;
    const Timing time = timed([&] { outcome = RefHost::runImport(module, host, file); });
    bool exported = true;
#if TESSARO_WITH_INTERCHANGE
    if (exporting) {
        const fs::path dawproject = fs::path(file).replace_extension(".dawproject");
        const fs::path midi = fs::path(file).replace_extension(".mid");
        Interchange::ExportOutcome result;
        const Timing exportTime = timed([&] {
            result = Interchange::exportSong(host, file, {dawproject, midi, {"bench", "1"}});
        });
        exported = result.ok();
        std::printf("export_seconds=%.6f\nexport_cpu=%.6f\ndawproject_bytes=%ju\nmidi_bytes=%ju\n",
                    exportTime.wall, exportTime.cpu,
                    static_cast<std::uintmax_t>(exported ? fs::file_size(dawproject) : 0),
                    static_cast<std::uintmax_t>(exported ? fs::file_size(midi) : 0));
    }
#else
    (void)exporting;
#endif
    std::size_t notes = 0, events = 0;
    for (const auto& [track, depth] : host.document().tracks()) {
        if (!track->eventList) continue;
        for (const RefHost::Object* object : track->eventList->events) {
            const auto* part = dynamic_cast<const RefHost::MidiPartNode*>(object);
            if (!part) continue;
            for (const RefHost::Object* e : part->events.events) {
                const auto* event = dynamic_cast<const RefHost::EventObject*>(e);
                (event && event->kind == RefHost::EventKind::Note ? notes : events) += 1;
            }
        }
    }
    const auto found = host.account().findings();
    std::printf("seconds=%.6f\ncpu=%.6f\nresult=%d\nnotes=%zu\nevents=%zu\nheld=%u\nmisuses=%zu\n",
                time.wall, time.cpu, outcome.result.value_or(-1), notes, events, found.held,
                found.misuseCount);
    return outcome.result == 0 && found.clean() && exported ? 0 : 1;
}

}  // namespace TessaroBench
