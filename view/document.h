// What the view's pages share inside the library: the page around a body, and the bodies
// of the arrangement and of a failed import.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "view/page.h"

namespace View {

// The whole page: the template filled with the style, the script, the body and a fresh
// nonce that lets only the page's own script run. kind names the page ("song", "failure",
// "index") as the body's class.
std::string assemble(std::string_view kind, std::string_view title, std::string_view body,
                     std::string_view generator);

std::string arrangementBody(const PageRequest& request, const Drawing& drawing);
std::string failureBody(const PageRequest& request);

// A link to each output, one after another.
void appendLinks(std::string& out, const std::vector<Link>& links);
// "<nav class=outputs>" with a link to each output; nothing for none.
void appendOutputLinks(std::string& out, const std::vector<Link>& links);

// The project's title: the song's, else the file's name without its extension.
std::string titleOf(const PageRequest& request);

}  // namespace View
