// A mutator that knows the project file's container: the 8-byte magic, then chunks of a
// four-character id, a little-endian 32-bit body size and the body. Besides plain byte
// mutations it changes fields inside a chunk, and inserts, drops, duplicates and swaps
// whole chunks, writing every size field to match its body, so that a mutated file mostly
// reaches the chunk readers instead of failing at the container. libFuzzer calls it through
// LLVMFuzzerCustomMutator and LLVMFuzzerCustomCrossOver (import_fuzzer.cpp,
// export_fuzzer.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace TessaroFuzz {

// The container as the mutator sees it.
struct Container {
    struct Chunk {
        std::array<std::uint8_t, 4> id{};
        std::vector<std::uint8_t> body;
    };
    std::vector<std::uint8_t> head;  // the first 8 bytes (the magic), or all of a shorter file
    std::vector<Chunk> chunks;       // a chunk whose size passes the file's end keeps what is there
    std::vector<std::uint8_t> tail;  // fewer than 8 bytes behind the last chunk
};

Container parseContainer(std::span<const std::uint8_t> bytes);
// The file: head, each chunk with a size field that matches its body, tail.
std::vector<std::uint8_t> writeContainer(const Container& container);

// What one mutation did.
enum class Mutation {
    Bytes,        // a plain byte mutation of the whole file
    ChunkBytes,   // a byte mutation inside one chunk's body
    Field,        // a field of one chunk set to a value at the edges of its type
    Drop,         // a chunk removed
    Duplicate,    // a copy of a chunk inserted somewhere
    Swap,         // two chunks exchanged
    Insert,       // a chunk of a known id inserted
    Rename,       // a chunk given another known id
};

// libFuzzer's byte mutator (LLVMFuzzerMutate): mutates size bytes of data in place, in a
// buffer of maxSize bytes, and returns the new size.
using ByteMutator = std::function<std::size_t(std::uint8_t* data, std::size_t size,
                                              std::size_t maxSize)>;

// Mutates the size bytes of data in place (a buffer of maxSize bytes) and returns the new
// size; seed chooses what is done, done (when given) says what it was.
std::size_t mutateProject(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                          unsigned seed, const ByteMutator& bytes, Mutation* done = nullptr);

// Writes into out (maxOutSize bytes) the first file with a chunk of the second inserted or
// put in place of one of its own; returns the size written, 0 when nothing fits.
std::size_t crossOverProjects(std::span<const std::uint8_t> first,
                              std::span<const std::uint8_t> second, std::uint8_t* out,
                              std::size_t maxOutSize, unsigned seed);

}  // namespace TessaroFuzz
