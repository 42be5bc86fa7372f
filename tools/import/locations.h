// Where tessaro-import finds the importer module and the host profiles. An installed or
// unpacked copy finds them relative to its own file (bin/tessaro-import beside
// lib/tessaro/ and share/tessaro/profiles/), wherever the copy was moved; a developer's
// build finds what the build and its source tree hold. --module, --profiles and
// $TESSARO_PROFILES override both.
#pragma once

#include <filesystem>
#include <string>

namespace ImportTool {

// This program's own file; empty when the system cannot tell.
std::filesystem::path executableFile();

// The module named by option, else tessaroimporter beside this program, else in the
// module folder of its installed layout, else the one the build made.
std::filesystem::path findModule(const std::string& option);

// The profiles folder named by option, else $TESSARO_PROFILES, else the profiles folder of
// this program's installed layout, else the source tree's.
std::filesystem::path findProfiles(const std::string& option);

}  // namespace ImportTool
