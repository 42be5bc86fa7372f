// Small pieces of HTML writing that every page of the view shares: text and attribute
// escaping, numbers as the pages show them, links to local files, and base64 for the
// images a page carries inline.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace View {

// Text as HTML shows it: <, >, & and both quotes become references, so a name with markup
// in it stays a name (safe in element content and in quoted attribute values alike).
std::string escaped(std::string_view text);
void appendEscaped(std::string& out, std::string_view text);

// A number with at most `decimals` places, without trailing zeros ("12.5", "3", "-0.25").
std::string number(double value, int decimals = 3);
void appendNumber(std::string& out, double value, int decimals = 3);

// A link to a file from a page: the path with / separators, every byte but letters, digits
// and -._~/ percent-encoded, so spaces, # and ? in file names stay part of the name.
std::string href(const std::filesystem::path& path);

// Where target is seen from a page in folder: relative when both are on one tree, else the
// absolute path.
std::filesystem::path relativeTo(const std::filesystem::path& target,
                                 const std::filesystem::path& folder);

std::string base64(const std::vector<std::uint8_t>& bytes);

// A gain in dB as a mixer shows it: "+1.9 dB", "-6.0 dB", "0.0 dB", "-inf dB".
std::string decibels(double gain);
// A pan position (0 left, 0.5 centre, 1 right) as a mixer shows it: "C", "L30", "R40".
std::string panText(double pan);
// A time in seconds as minutes, seconds and milliseconds: "1:02.500".
std::string clockText(double seconds);

// Fills the page template: each @NAME@ of template is replaced by the value of the first
// pair with that name; values are not searched again.
std::string fillTemplate(std::string_view page,
                         const std::vector<std::pair<std::string_view, std::string_view>>& values);

}  // namespace View
