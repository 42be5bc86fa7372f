// The fuzzers' container-aware mutator: what it makes of a project file is again a
// container whose every size field matches its body (but for its plain byte mutations),
// each of its mutations happens, and the file never outgrows the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "fuzz/chunk_mutator.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

using namespace TessaroFuzz;

namespace {

// The ids of a file's chunks in order when the file is a sound container (the magic, then
// chunks that end exactly at the file's end); "unsound" otherwise.
std::vector<std::string> soundChunkIds(const std::vector<std::uint8_t>& bytes,
                                       const std::vector<std::uint8_t>& magic) {
    if (bytes.size() < 8 || !std::equal(magic.begin(), magic.end(), bytes.begin())) return {"unsound"};
    std::vector<std::string> ids;
    std::size_t at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) return {"unsound"};
        std::uint32_t size = 0;
        std::memcpy(&size, &bytes[at + 4], 4);
        if (size > bytes.size() - at - 8) return {"unsound"};
        ids.emplace_back(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4);
        at += 8 + size;
    }
    return ids;
}

// A stand-in for libFuzzer's byte mutator: flips the first byte.
std::size_t flipFirst(std::uint8_t* data, std::size_t size, std::size_t) {
    if (size > 0) data[0] ^= 0xFF;
    return size;
}

const char* nameOf(Mutation m) {
    switch (m) {
    case Mutation::Bytes: return "bytes";
    case Mutation::ChunkBytes: return "chunk bytes";
    case Mutation::Field: return "field";
    case Mutation::Drop: return "drop";
    case Mutation::Duplicate: return "duplicate";
    case Mutation::Swap: return "swap";
    case Mutation::Insert: return "insert";
    case Mutation::Rename: return "rename";
    }
    return "?";
}

}  // namespace

TEST(ChunkMutator, ParsesAndWritesAProjectUnchanged) {
    const auto demo = TessaroWriter::demoProject().bytes();
    const Container c = parseContainer(demo);
    EXPECT_EQ(c.head.size(), 8u);
    EXPECT_EQ(c.chunks.size(), soundChunkIds(demo, c.head).size());
    EXPECT_TRUE(c.tail.empty());
    EXPECT_EQ(writeContainer(c), demo);
    // A chunk whose size passes the file's end keeps the bytes that are there, and is
    // written back with its size made to match them.
    std::vector<std::uint8_t> cut(demo.begin(), demo.end() - 3);
    const Container shorter = parseContainer(cut);
    EXPECT_EQ(shorter.chunks.size(), c.chunks.size());
    EXPECT_EQ(shorter.chunks.back().body.size(), c.chunks.back().body.size() - 3);
    EXPECT_EQ(soundChunkIds(writeContainer(shorter), c.head).size(), c.chunks.size());
}

TEST(ChunkMutator, EveryMutationHappensAndAllButByteMutationsKeepTheContainerSound) {
    const auto demo = TessaroWriter::demoProject().bytes();
    const auto magic = parseContainer(demo).head;
    const std::size_t chunks = soundChunkIds(demo, magic).size();
    std::map<std::string, int> seen;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        SCOPED_TRACE(seed);
        std::vector<std::uint8_t> buffer(demo.size() + 512);
        std::copy(demo.begin(), demo.end(), buffer.begin());
        Mutation done = Mutation::Bytes;
        const std::size_t size = mutateProject(buffer.data(), demo.size(), buffer.size(), seed, flipFirst, &done);
        ASSERT_LE(size, buffer.size());
        buffer.resize(size);
        ++seen[nameOf(done)];
        if (done == Mutation::Bytes) {
            EXPECT_EQ(buffer[0], demo[0] ^ 0xFF);
            continue;
        }
        const auto ids = soundChunkIds(buffer, magic);
        ASSERT_NE(ids, std::vector<std::string>{"unsound"}) << nameOf(done);
        const std::size_t expected = done == Mutation::Drop ? chunks - 1
                                     : done == Mutation::Duplicate || done == Mutation::Insert ? chunks + 1
                                                                                               : chunks;
        EXPECT_EQ(ids.size(), expected) << nameOf(done);
        if (done == Mutation::Insert || done == Mutation::Rename) {
            static const std::set<std::string> known = {"HEAD", "OUTB", "KEYB", "EFFX", "TINF",
                                                        "TREG", "TPAD", "QPLP", "AUTO"};
            for (const auto& id : ids) EXPECT_TRUE(known.contains(id)) << id;
        }
    }
    for (const char* name : {"bytes", "chunk bytes", "field", "drop", "duplicate", "swap", "insert", "rename"})
        EXPECT_GT(seen[name], 30) << name;
    // About a quarter are plain byte mutations.
    EXPECT_GT(seen["bytes"], 600);
    EXPECT_LT(seen["bytes"], 900);
}

TEST(ChunkMutator, AFileThatWouldOutgrowTheBufferGetsAByteMutationInstead) {
    const auto demo = TessaroWriter::demoProject().bytes();
    for (unsigned seed = 1; seed <= 500; ++seed) {
        std::vector<std::uint8_t> buffer = demo;  // no room to grow
        Mutation done = Mutation::Bytes;
        const std::size_t size = mutateProject(buffer.data(), demo.size(), buffer.size(), seed, flipFirst, &done);
        ASSERT_LE(size, demo.size());
        if (done == Mutation::Duplicate || done == Mutation::Insert) ADD_FAILURE() << "grew at seed " << seed;
    }
}

TEST(ChunkMutator, CrossOverTakesAChunkOfTheSecondFile) {
    TessaroWriter::ProjectFile small;
    small.add(TessaroWriter::HeadChunk{});
    const auto first = small.bytes();
    const auto second = TessaroWriter::demoProject().bytes();
    const auto magic = parseContainer(first).head;
    std::set<std::string> taken;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::vector<std::uint8_t> out(first.size() + second.size());
        const std::size_t size = crossOverProjects(first, second, out.data(), out.size(), seed);
        ASSERT_GT(size, 0u);
        out.resize(size);
        const auto ids = soundChunkIds(out, magic);
        ASSERT_NE(ids, std::vector<std::string>{"unsound"});
        ASSERT_GE(ids.size(), 1u);
        ASSERT_LE(ids.size(), 2u);
        for (const auto& id : ids) taken.insert(id);
    }
    EXPECT_GE(taken.size(), 4u);
    std::vector<std::uint8_t> none(4);
    EXPECT_EQ(crossOverProjects(first, second, none.data(), none.size(), 1), 0u);
}
