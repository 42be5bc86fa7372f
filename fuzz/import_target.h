// One import of untrusted bytes through the import run and the reference host, with every
// promise the importer makes checked afterwards. Shared by the libFuzzer target and by the
// replay program that runs the corpus under CTest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace TessaroFuzz {

// What one import left behind; `problem` is empty when every check held.
struct Outcome {
    int result = -1;
    std::string readError;  // the reader's text of a failed read
    std::string problem;
};

// Makes the scratch folder and its audio files once; later calls do nothing.
void prepare();
// Imports bytes as a project file and checks the outcome.
Outcome importOnce(const std::uint8_t* data, std::size_t size);

}  // namespace TessaroFuzz
