#include "refhost/report_diagnostics.h"

namespace RefHost {

Report diagnosticsJson(const std::optional<Diagnostics>& diagnostics) {
    if (!diagnostics) return nullptr;
    Report j;
    if (const auto& f = diagnostics->failure) {
        const bool inChunk = !f->chunkId.empty();
        j["failure"] = {{"text", f->text},
                        {"chunk", inChunk ? Report(f->chunkId) : Report(nullptr)},
                        {"chunkIndex", inChunk ? Report(f->chunkIndex) : Report(nullptr)},
                        {"byteOffset",
                         f->byteOffset >= 0 ? Report(f->byteOffset) : Report(nullptr)}};
    } else {
        j["failure"] = nullptr;
    }
    j["notes"] = Report::array();
    for (const auto& note : diagnostics->notes)
        j["notes"].push_back({{"kind", note.kind},
                              {"track", note.track >= 0 ? Report(note.track) : Report(nullptr)},
                              {"text", note.text}});
    return j;
}

}  // namespace RefHost
