// libFuzzer's mutator hooks for both fuzz programs: the container-aware mutator
// (chunk_mutator.cpp), whose byte mutations are libFuzzer's own.
#include <cstddef>
#include <cstdint>

#include "fuzz/chunk_mutator.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    return TessaroFuzz::mutateProject(data, size, maxSize, seed, LLVMFuzzerMutate);
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver(const std::uint8_t* data1, std::size_t size1,
                                                 const std::uint8_t* data2, std::size_t size2,
                                                 std::uint8_t* out, std::size_t maxOutSize,
                                                 unsigned int seed) {
    return TessaroFuzz::crossOverProjects({data1, size1}, {data2, size2}, out, maxOutSize, seed);
}
