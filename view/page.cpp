#include "view/page.h"

#include <random>

#include "interchange/output_file.h"
#include "view/assets.h"
#include "view/document.h"
#include "view/html.h"

namespace View {

namespace {

std::string nonce() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::vector<std::uint8_t> bytes(18);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return base64(bytes);
}

}  // namespace

std::string assemble(std::string_view kind, std::string_view title, std::string_view body,
                     std::string_view generator) {
    const std::string once = nonce();
    const std::string titleText = escaped(title);
    const std::string generatorText = escaped(generator);
    return fillTemplate(kPageTemplate, {{"NONCE", once},
                                        {"GENERATOR", generatorText},
                                        {"TITLE", titleText},
                                        {"STYLE", kStyle},
                                        {"KIND", kind},
                                        {"BODY", body},
                                        {"SCRIPT", kScript}});
}

void appendLinks(std::string& out, const std::vector<Link>& links) {
    for (const Link& link : links) {
        out += "<a href=\"";
        appendEscaped(out, href(link.path));
        out += "\">";
        appendEscaped(out, link.label);
        out += "</a> ";
    }
}

void appendOutputLinks(std::string& out, const std::vector<Link>& links) {
    if (links.empty()) return;
    out += "<nav class=\"outputs\" aria-label=\"Other outputs\">";
    appendLinks(out, links);
    out += "</nav>\n";
}

std::string titleOf(const PageRequest& request) {
    if (request.song && !request.song->title.utf8.empty()) return request.song->title.utf8;
    std::filesystem::path name = request.projectFile.filename();
    if (name.extension() == ".tsp") name.replace_extension();
    return name.string();
}

std::string pageHtml(const PageRequest& request, const Drawing& drawing) {
    if (request.song)
        return assemble("song", titleOf(request), arrangementBody(request, drawing), request.generator);
    return assemble("failure", titleOf(request) + ": not imported", failureBody(request),
                    request.generator);
}

void writePage(const std::filesystem::path& target, const std::string& html) {
    Interchange::OutputFile file(target);
    if (std::fwrite(html.data(), 1, html.size(), file.stream()) != html.size())
        throw Interchange::ExportError(Interchange::fileError("cannot write", target, errno));
    file.commit();
}

}  // namespace View
