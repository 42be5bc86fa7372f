// The page's template, style and script: the files of view/assets, built into the
// program by view/embed.cmake.
#pragma once

#include <string_view>

namespace View {

extern const std::string_view kPageTemplate;  // assets/page.html: @NAME@ marks what is filled in
extern const std::string_view kStyle;         // assets/view.css
extern const std::string_view kScript;        // assets/view.js

}  // namespace View
