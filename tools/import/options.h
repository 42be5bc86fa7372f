// The command line of tessaro-import.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ImportTool {

// Exit statuses: every project imported; any failed; bad usage, an unknown host profile,
// an output that cannot be written or a module that cannot be loaded or used.
inline constexpr int kImported = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

struct Options {
    std::vector<std::string> files;
    std::string host;
    std::string json;
    std::string dawproject;  // where the interchange library is built
    std::string midi;
    std::string html;  // where the view is built
    // The render (where the command is built with it): the mix, the stems' folder, the
    // stems inside the DAWproject file, the samples ("pcm24" or "float"), the soundfont.
    std::string render;
    std::string stems;
    bool withStems = false;
    std::string renderFormat = "pcm24";
    std::string soundfont;
    std::string projectFolder;
    std::string module;
    std::string profiles;
    unsigned jobs = 1;  // set to the number of cores unless given
    bool quiet = false;
    bool listHosts = false;
    bool version = false;
};

// Parses the command line into options. Returns the exit status when the parse ends the
// run (--help, or a usage error, which is also printed).
std::optional<int> parseOptions(int argc, char** argv, Options& options);

// Whether the run asks for a render (--render, --stems, --with-stems).
bool rendering(const Options& options);

// The help text, for a run that lacks its project file.
std::string helpText();

}  // namespace ImportTool
