#include "fuzz/chunk_mutator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace TessaroFuzz {

namespace {

constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kMostInsertedBytes = 64;
constexpr const char* kKnownIds[] = {"HEAD", "OUTB", "KEYB", "EFFX", "TINF",
                                     "TREG", "TPAD", "QPLP", "AUTO"};

using Random = std::mt19937;

std::size_t below(Random& random, std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
}

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void putLittle(std::uint8_t* p, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t getLittle(const std::uint8_t* p, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= std::uint64_t{p[i]} << (8 * i);
    return value;
}

std::array<std::uint8_t, 4> knownId(Random& random) {
    std::array<std::uint8_t, 4> id{};
    std::memcpy(id.data(), kKnownIds[below(random, std::size(kKnownIds))], 4);
    return id;
}

// A value at the edges of a field of width bytes: the limits of its integer types, the
// chunk's own sizes, small counts, a step from what is there, or (4 and 8 bytes) a
// floating-point value a reader must not take as it is.
std::uint64_t edgeValue(Random& random, std::size_t width, std::uint64_t current,
                        std::size_t bodySize, std::size_t offset) {
    const std::uint64_t all = width == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * width)) - 1;
    const std::uint64_t top = std::uint64_t{1} << (8 * width - 1);
    if ((width == 4 || width == 8) && below(random, 3) == 0) {
        const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(), 0.0, -0.0, 1.0, -1.0,
                                 0.5, 1e30, -1e30, 1e9, 1e-40};
        const double value = values[below(random, std::size(values))];
        if (width == 8) {
            std::uint64_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            return bits;
        }
        const float single = static_cast<float>(value);
        std::uint32_t bits;
        std::memcpy(&bits, &single, sizeof bits);
        return bits;
    }
    switch (below(random, 10)) {
    case 0: return 0;
    case 1: return all;
    case 2: return top - 1;
    case 3: return top;
    case 4: return bodySize & all;
    case 5: return (bodySize - offset) & all;
    case 6: return below(random, 33);
    case 7: return (current + 1 + below(random, 4)) & all;
    case 8: return (current - 1 - below(random, 4)) & all;
    default: return (std::uint64_t{0xFF} << (8 * below(random, width))) & all;
    }
}

void mutateField(Random& random, Container::Chunk& chunk) {
    auto& body = chunk.body;
    std::size_t width = std::size_t{1} << below(random, 4);  // 1, 2, 4 or 8 bytes
    while (width > body.size()) width /= 2;
    // Most fields that steer a reader (versions, counts, sizes) sit near a chunk's start.
    const std::size_t span = body.size() - width + 1;
    const std::size_t offset = below(random, below(random, 2) == 0 ? std::min<std::size_t>(span, 24) : span);
    const std::uint64_t value =
        edgeValue(random, width, getLittle(&body[offset], width), body.size(), offset);
    putLittle(&body[offset], value, width);
}

// Mutates a chunk's body with the byte mutator, in a buffer with room to grow.
void mutateBody(Random& random, Container::Chunk& chunk, const ByteMutator& bytes,
                std::size_t room) {
    auto& body = chunk.body;
    if (body.empty()) {
        // An empty body gets a few bytes: the byte mutator needs something to change.
        body.resize(1 + below(random, 8));
        for (auto& b : body) b = static_cast<std::uint8_t>(random());
        return;
    }
    const std::size_t size = body.size();
    body.resize(size + std::min<std::size_t>(room, size / 2 + 16));
    body.resize(bytes(body.data(), size, body.size()));
}

}  // namespace

Container parseContainer(std::span<const std::uint8_t> bytes) {
    Container c;
    const std::size_t headSize = std::min(bytes.size(), kMagicSize);
    c.head.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(headSize));
    std::size_t at = headSize;
    while (bytes.size() - at >= kChunkHeaderSize) {
        Container::Chunk chunk;
        std::memcpy(chunk.id.data(), &bytes[at], 4);
        const std::size_t left = bytes.size() - at - kChunkHeaderSize;
        const std::size_t size = std::min<std::size_t>(get32(&bytes[at + 4]), left);
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(at + kChunkHeaderSize);
        chunk.body.assign(begin, begin + static_cast<std::ptrdiff_t>(size));
        c.chunks.push_back(std::move(chunk));
        at += kChunkHeaderSize + size;
    }
    c.tail.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return c;
}

std::vector<std::uint8_t> writeContainer(const Container& c) {
    std::vector<std::uint8_t> out = c.head;
    for (const auto& chunk : c.chunks) {
        out.insert(out.end(), chunk.id.begin(), chunk.id.end());
        std::uint8_t size[4];
        putLittle(size, chunk.body.size(), 4);
        out.insert(out.end(), size, size + 4);
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    }
    out.insert(out.end(), c.tail.begin(), c.tail.end());
    return out;
}

std::size_t mutateProject(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                          unsigned seed, const ByteMutator& bytes, Mutation* done) {
    Random random(seed);
    Container c = parseContainer({data, size});
    // A quarter plain byte mutations: they reach what the container's rules keep out (size
    // fields that do not match, a broken magic, bytes behind the last chunk).
    Mutation kind = Mutation::Bytes;
    const std::size_t roll = below(random, 100);
    if (size < kMagicSize || roll < 25) kind = Mutation::Bytes;
    else if (c.chunks.empty() || roll < 32) kind = Mutation::Insert;
    else if (roll < 55) kind = Mutation::ChunkBytes;
    else if (roll < 72) kind = Mutation::Field;
    else if (roll < 79) kind = Mutation::Drop;
    else if (roll < 86) kind = Mutation::Duplicate;
    else if (roll < 93) kind = Mutation::Swap;
    else kind = Mutation::Rename;

    if (kind != Mutation::Bytes) {
        auto& chunks = c.chunks;
        const std::size_t pick = below(random, chunks.size());
        switch (kind) {
        case Mutation::ChunkBytes:
            mutateBody(random, chunks[pick], bytes, maxSize > size ? maxSize - size : 0);
            break;
        case Mutation::Field:
            if (chunks[pick].body.empty()) mutateBody(random, chunks[pick], bytes, 0);
            else mutateField(random, chunks[pick]);
            break;
        case Mutation::Drop:
            chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(pick));
            break;
        case Mutation::Duplicate: {
            Container::Chunk copy = chunks[pick];
            chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(below(random, chunks.size() + 1)),
                          std::move(copy));
            break;
        }
        case Mutation::Swap:
            std::swap(chunks[pick], chunks[below(random, chunks.size())]);
            break;
        case Mutation::Insert: {
            // A chunk of a known id, with the body of a chunk of that id when the file has
            // one (another track's regions, another effect), else a few bytes of noise.
            Container::Chunk chunk;
            chunk.id = knownId(random);
            std::vector<const Container::Chunk*> alike;
            for (const auto& other : chunks)
                if (other.id == chunk.id) alike.push_back(&other);
            if (!alike.empty()) {
                chunk.body = alike[below(random, alike.size())]->body;
            } else {
                chunk.body.resize(below(random, kMostInsertedBytes + 1));
                for (auto& b : chunk.body) b = static_cast<std::uint8_t>(random());
            }
            chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(below(random, chunks.size() + 1)),
                          std::move(chunk));
            break;
        }
        case Mutation::Rename:
            chunks[pick].id = knownId(random);
            break;
        case Mutation::Bytes:
            break;
        }
        const std::vector<std::uint8_t> out = writeContainer(c);
        if (out.size() <= maxSize) {
            std::copy(out.begin(), out.end(), data);
            if (done) *done = kind;
            return out.size();
        }
        kind = Mutation::Bytes;  // too large: a byte mutation instead
    }
    if (done) *done = kind;
    return bytes(data, size, maxSize);
}

std::size_t crossOverProjects(std::span<const std::uint8_t> first,
                              std::span<const std::uint8_t> second, std::uint8_t* out,
                              std::size_t maxOutSize, unsigned seed) {
    Random random(seed);
    Container c = parseContainer(first);
    const Container other = parseContainer(second);
    if (c.head.size() < kMagicSize || other.chunks.empty()) return 0;
    const Container::Chunk& taken = other.chunks[below(random, other.chunks.size())];
    if (!c.chunks.empty() && below(random, 2) == 0)
        c.chunks[below(random, c.chunks.size())] = taken;
    else
        c.chunks.insert(c.chunks.begin() + static_cast<std::ptrdiff_t>(below(random, c.chunks.size() + 1)),
                        taken);
    const std::vector<std::uint8_t> bytes = writeContainer(c);
    if (bytes.size() > maxOutSize) return 0;
    std::copy(bytes.begin(), bytes.end(), out);
    return bytes.size();
}

}  // namespace TessaroFuzz
