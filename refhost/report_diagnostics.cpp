#include "refhost/report_diagnostics.h"

namespace RefHost {

void writeDiagnostics(ReportWriter& out, const std::optional<Diagnostics>& diagnostics) {
    if (!diagnostics) {
        out.null();
        return;
    }
    out.beginObject();
    out.key("failure");
    if (const auto& f = diagnostics->failure) {
        const bool inChunk = !f->chunkId.empty();
        out.beginObject();
        out.member("text", f->text);
        out.memberIf("chunk", inChunk, f->chunkId);
        out.memberIf("chunkIndex", inChunk, f->chunkIndex);
        out.memberIf("byteOffset", f->byteOffset >= 0, f->byteOffset);
        out.end();
    } else {
        out.null();
    }
    out.arrayMember("notes");
    for (const auto& note : diagnostics->notes) {
        out.beginObject();
        out.member("kind", note.kind);
        out.memberIf("track", note.track >= 0, note.track);
        out.member("text", note.text);
        out.end();
    }
    out.end();
    out.end();
}

}  // namespace RefHost
