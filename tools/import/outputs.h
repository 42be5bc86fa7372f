// Where tessaro-import writes what it makes of a project (the JSON report, and any other
// output an option asks for). An output option names a file, a folder or standard output;
// with a folder, each project's output is named after the project file, and inputs of the
// same name get distinct names, so that no output of a run overwrites another.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ImportTool {

struct OutputOption {
    enum class Kind {
        None,            // the option was not given
        File,            // one file: for a run of one project
        Folder,          // a folder: one file per project, named after it
        StandardOutput,  // "-": for a run of one project
    };
    Kind kind = Kind::None;
    std::filesystem::path path;  // the file or the folder
};

// The option as given: "-" is standard output; a text that ends in a separator, or names
// a folder that exists, is a folder; anything else a file.
OutputOption outputOption(std::string_view text);

// Makes a folder option's folder (with its parents) and checks that a file can be written
// into it; returns why it cannot. Other kinds are not checked.
std::optional<std::string> prepareOutputFolder(const OutputOption& option);

// The names of the outputs of a run's inputs, in the order of the arguments. Each input is
// named after its file without the extension ("Songs/Demo.tsp": "Demo"). A name that no
// other input has stays as it is; of inputs with the same name (compared without regard to
// the case of ASCII letters, as some file systems compare them) the first keeps it and the
// others get "-2", "-3" ... added, skipping names that any input has of its own.
class OutputNames {
public:
    explicit OutputNames(const std::vector<std::filesystem::path>& inputs);

    const std::string& name(std::size_t input) const { return names_.at(input); }

    // Where the output of an input goes for option with the extension (".json"): the
    // option's file, or the input's name with the extension in the option's folder; empty
    // for no option and for standard output.
    std::filesystem::path pathFor(const OutputOption& option, std::size_t input,
                                  std::string_view extension) const;

private:
    std::vector<std::string> names_;
};

}  // namespace ImportTool
