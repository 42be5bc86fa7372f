// The index of a run of several projects: a table of every project with its result, the
// reason of a failure, what the song holds and links to its page and its other outputs.
#include "view/document.h"
#include "view/html.h"

namespace View {

std::string indexHtml(const std::vector<IndexRow>& rows, const std::string& generator) {
    std::size_t imported = 0;
    for (const IndexRow& r : rows) imported += r.imported;
    std::string out;
    out += "<header class=\"page-head\"><h1>Imported projects</h1><p class=\"facts\" id=\"totals\">" +
           std::to_string(rows.size()) + " projects: " + std::to_string(imported) + " imported, " +
           std::to_string(rows.size() - imported) + " failed</p></header>\n<main class=\"index-view\">"
           "<table class=\"projects\"><thead><tr><th scope=\"col\">Project</th><th scope=\"col\">Result</th>"
           "<th scope=\"col\">Reason</th><th scope=\"col\">Tracks</th><th scope=\"col\">Notes</th>"
           "<th scope=\"col\">Audio events</th><th scope=\"col\">Length</th><th scope=\"col\">Not carried</th>"
           "<th scope=\"col\">Outputs</th></tr></thead><tbody>\n";
    for (const IndexRow& r : rows) {
        out += "<tr class=\"project ";
        out += r.imported ? "imported" : "failed";
        out += "\"><th scope=\"row\">";
        if (!r.page.empty()) {
            out += "<a href=\"";
            appendEscaped(out, href(r.page));
            out += "\">";
        }
        appendEscaped(out, r.project);
        if (!r.page.empty()) out += "</a>";
        out += "</th><td class=\"result\">";
        out += r.imported ? "imported" : "failed";
        out += "</td><td class=\"reason\">";
        appendEscaped(out, r.reason);
        out += "</td>";
        if (r.figures) {
            const Figures& f = *r.figures;
            out += "<td class=\"number\">" + std::to_string(f.tracks) + "</td><td class=\"number\">" +
                   std::to_string(f.notes) + "</td><td class=\"number\">" + std::to_string(f.audioEvents) +
                   "</td><td class=\"number\">" + clockText(f.seconds) + "</td>";
        } else {
            out += "<td></td><td></td><td></td><td></td>";
        }
        out += "<td class=\"number\">" + (r.notCarried ? std::to_string(*r.notCarried) : std::string()) + "</td><td>";
        appendLinks(out, r.outputs);
        out += "</td></tr>\n";
    }
    out += "</tbody></table></main>\n";
    return assemble("index", "Imported projects", out, generator);
}

}  // namespace View
