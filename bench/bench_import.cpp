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
