// One import of untrusted bytes through the import run and the reference host, with every
// promise the importer makes checked afterwards. Shared by the libFuzzer targets and by the
// replay program that runs the corpus under CTest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace RefHost {
class ReferenceHost;
}

namespace TessaroFuzz {

// What one import left behind; `problem` is empty when every check held.
struct Outcome {
    int result = -1;
    std::string readError;  // the reader's text of a failed read
    std::string problem;
};

// Makes the scratch folder and its audio files once; later calls do nothing.
void prepare();

// What a target does after the import's promises were checked and before the scratch
// folder is tidied: it gets the host as the import left it (and may take it), the project
// file and the import's result, and returns a broken promise or nothing. It may write into
// outputFolder(), and must leave it empty.
using AfterImport = std::function<std::string(std::unique_ptr<RefHost::ReferenceHost>& host,
                                              const std::filesystem::path& projectFile,
                                              int result)>;

// Imports bytes as a project file and checks the outcome; then runs after, when given.
Outcome importOnce(const std::uint8_t* data, std::size_t size, const AfterImport& after = {});

// A folder beside the project folder where a target may write what it makes of an import.
const std::filesystem::path& outputFolder();

// What a libFuzzer target does with an outcome: nothing when every promise held; else it
// prints the broken promise and aborts, which libFuzzer keeps as a finding.
void abortOnBrokenPromise(const char* target, const Outcome& outcome);

}  // namespace TessaroFuzz
