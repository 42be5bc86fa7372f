// The page of a project that was not imported: the reason, the chunk and the byte where
// reading failed, and the file's bytes around that byte as a hex view with the failing
// field's first byte marked. Only a bounded window of the file is read.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "view/document.h"
#include "view/html.h"

namespace View {

namespace {

// The bytes shown before and after the failing byte, at most.
constexpr std::int64_t kBytesAround = 128;
constexpr std::int64_t kRow = 16;

std::string hex(std::int64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<long long>(value));
    return text;
}

void hexView(std::string& out, const std::filesystem::path& file, std::int64_t offset) {
    std::error_code ec;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(file, ec));
    if (ec) {
        out += "<p>The file cannot be read again to show its bytes.</p>";
        return;
    }
    const std::int64_t from = std::max<std::int64_t>(0, offset - kBytesAround) / kRow * kRow;
    const std::int64_t to = std::min(size, offset + kBytesAround);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, to - from)));
    std::ifstream in(file, std::ios::binary);
    in.seekg(from);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
    const std::int64_t end = from + static_cast<std::int64_t>(bytes.size());

    out += "<section class=\"bytes\" aria-labelledby=\"bytes-title\"><h2 id=\"bytes-title\">The file around byte " +
           std::to_string(offset) + "</h2><p>Bytes " + std::to_string(from) + " to " + std::to_string(std::max(from, end - 1)) +
           " of " + std::to_string(size) + "; the failing field begins at the marked byte" +
           (offset >= size ? ", behind the file's end" : "") + ".</p>";
    out += "<table class=\"hex\"><thead><tr><th scope=\"col\">Offset</th>";
    for (int i = 0; i < kRow; ++i) out += "<th scope=\"col\">" + hex(i, 2) + "</th>";
    out += "<th scope=\"col\">Text</th></tr></thead><tbody>";
    const std::int64_t lastRow = std::max(end, offset + 1);
    for (std::int64_t row = from; row < lastRow; row += kRow) {
        out += "<tr><th scope=\"row\">" + hex(row, 8) + "</th>";
        std::string text;
        for (std::int64_t at = row; at < row + kRow; ++at) {
            if (at < end) {
                const std::uint8_t b = bytes[static_cast<std::size_t>(at - from)];
                const std::string cell = hex(b, 2);
                out += at == offset ? "<td><mark id=\"failing-byte\" class=\"failing\" title=\"the failing field begins here\">" + cell + "</mark></td>"
                                    : "<td>" + cell + "</td>";
                const char shown = b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
                if (at == offset) text += "<mark>";
                appendEscaped(text, std::string_view(&shown, 1));
                if (at == offset) text += "</mark>";
            } else if (at == offset) {
                out += "<td><mark id=\"failing-byte\" class=\"failing\" title=\"the failing field begins behind the file's end\">end</mark></td>";
            } else {
                out += "<td></td>";
            }
        }
        out += "<td class=\"text\">" + text + "</td></tr>";
    }
    out += "</tbody></table></section>";
}

}  // namespace

std::string failureBody(const PageRequest& request) {
    std::string out;
    out += "<header class=\"page-head\">\n<h1>";
    appendEscaped(out, titleOf(request));
    out += ": not imported</h1>\n<p class=\"facts\">Project file <code>";
    appendEscaped(out, request.projectFile.string());
    out += "</code></p>\n";
    appendOutputLinks(out, request.outputs);
    out += "</header>\n<main class=\"failure-view\">\n<section class=\"reason\" aria-labelledby=\"reason-title\">"
           "<h2 id=\"reason-title\">Why it failed</h2>";
    const RefHost::DiagnosticFailure* failure =
        request.diagnostics && request.diagnostics->failure ? &*request.diagnostics->failure : nullptr;
    out += "<p id=\"reason\" class=\"reason-text\">";
    if (failure)
        appendEscaped(out, failure->line());
    else
        appendEscaped(out, request.reason.empty() ? std::string("the import did not run") : request.reason);
    out += "</p>";
    if (failure) {
        out += "<dl class=\"place\"><dt>Reason</dt><dd id=\"failure-text\">";
        appendEscaped(out, failure->text);
        out += "</dd><dt>Chunk</dt><dd id=\"failure-chunk\">";
        if (failure->chunkId.empty()) {
            out += "outside every chunk";
        } else {
            appendEscaped(out, failure->chunkId);
            out += " (chunk #" + std::to_string(failure->chunkIndex) + ")";
        }
        out += "</dd><dt>Byte</dt><dd id=\"failure-byte\">";
        out += failure->byteOffset >= 0 ? std::to_string(failure->byteOffset) + " (0x" + hex(failure->byteOffset, 1) + ")"
                                        : std::string("the file was not read");
        out += "</dd></dl>";
    }
    out += "</section>\n";
    if (failure && failure->byteOffset >= 0) hexView(out, request.projectFile, failure->byteOffset);
    if (request.diagnostics && !request.diagnostics->notes.empty()) {
        out += "<section id=\"not-carried\" class=\"not-carried\"><h2>Noted before the failure (" +
               std::to_string(request.diagnostics->notes.size()) + ")</h2><ol class=\"notes\">";
        for (const auto& n : request.diagnostics->notes) {
            out += "<li class=\"note\">";
            if (n.track >= 0) out += "track " + std::to_string(n.track) + ": ";
            appendEscaped(out, n.text);
            out += "</li>";
        }
        out += "</ol></section>\n";
    }
    out += "</main>\n";
    return out;
}

}  // namespace View
