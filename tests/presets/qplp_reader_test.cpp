// The plug-in preset chunk "QPLP", read through the importer's chunk loop from files the
// project-file writer makes, delivered whole and in small pieces.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "module/import_run.h"
#include "tests/support/test_streams.h"
#include "tools/writer/writer.h"

using namespace TessaroWriter;

namespace {

struct Outcome {
    std::int32_t result = -1;
    std::string error;
    std::vector<Tessaro::PresetRecord> presets;
};

template <class Stream>
Outcome readWith(Stream& stream) {
    Tessaro::TessaroImporter importer(nullptr, nullptr, nullptr);
    Outcome o;
    o.result = importer.readAndBuild(&stream);
    o.error = importer.readError;
    o.presets = importer.song.lists.presets;
    EXPECT_EQ(stream.count(), 1u);
    return o;
}

Outcome read(const ProjectFile& file) {
    const auto bytes = file.bytes();
    TessaroTest::BufferStream whole(bytes);
    Outcome a = readWith(whole);
    TessaroTest::PieceStream pieces(bytes);
    const Outcome b = readWith(pieces);
    EXPECT_EQ(a.result, b.result);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.presets.size(), b.presets.size());
    for (std::size_t i = 0; i < a.presets.size() && i < b.presets.size(); ++i)
        EXPECT_EQ(a.presets[i].data, b.presets[i].data);
    return a;
}

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(seed + i * 13);
    return data;
}

ProjectFile withPreset(PresetChunk chunk) {
    ProjectFile file;
    file.add(HeadChunk{});
    file.add(std::move(chunk));
    return file;
}

PresetChunk preset(std::uint16_t track, std::size_t size, std::uint8_t seed = 1) {
    PresetChunk c;
    c.trackNumber = track;
    c.pluginId = 7;
    c.name = u"Glass";
    c.data = pattern(size, seed);
    return c;
}

// True when a preset chunk put behind the file's last chunk is read as written: the chunk
// loop went on where that chunk ends.
bool nextChunkRead(ProjectFile file) {
    constexpr std::uint16_t kNextTrack = 0xF0F0;
    file.add(preset(kNextTrack, 3, 5));
    const Outcome o = read(file);
    return o.result == 0 && !o.presets.empty() && o.presets.back().trackNumber == kNextTrack &&
           o.presets.back().data == pattern(3, 5);
}

TEST(PresetChunk, KeepsEveryFieldOfARecord) {
    PresetChunk c = preset(3, 40);
    c.pluginId = 0xBEEF;
    c.name = u"Warm \u00C4ther";
    const Outcome o = read(withPreset(c));
    ASSERT_EQ(o.result, 0) << o.error;
    ASSERT_EQ(o.presets.size(), 1u);
    EXPECT_EQ(o.presets[0].trackNumber, 3);
    EXPECT_EQ(o.presets[0].pluginId, 0xBEEF);
    EXPECT_EQ(o.presets[0].name, u"Warm \u00C4ther");
    EXPECT_EQ(o.presets[0].data, c.data);
    EXPECT_TRUE(nextChunkRead(withPreset(c)));
}

// A 5-unit name takes 18 header bytes; a larger header size is skipped up to the data
// length, a smaller one skips nothing. Either way the chunk after it is read from its own
// start.
TEST(PresetChunk, HeaderSizeAroundTheName) {
    for (const int headerSize : {8, 17, 18, 20, 300}) {
        SCOPED_TRACE(headerSize);
        PresetChunk chunk = preset(1, 6);
        chunk.headerSize = static_cast<std::uint16_t>(headerSize);
        const Outcome o = read(withPreset(chunk));
        ASSERT_EQ(o.result, 0) << o.error;
        ASSERT_EQ(o.presets.size(), 1u);
        EXPECT_EQ(o.presets[0].name, u"Glass");
        EXPECT_EQ(o.presets[0].data, chunk.data);
        EXPECT_TRUE(nextChunkRead(withPreset(chunk)));
    }
}

TEST(PresetChunk, FieldsThatFail) {
    struct Case {
        const char* name;
        ProjectFile file;
        const char* error;
    };
    auto sized = [](std::uint32_t size) {
        PresetChunk c = preset(1, 0);
        c.name = u"";
        c.sizeOverride = size;
        return withPreset(c);
    };
    auto headerSize = [](std::uint16_t h) {
        PresetChunk c = preset(1, 4);
        c.headerSize = h;
        return withPreset(c);
    };
    auto cut = [](PresetChunk c, std::size_t keep) {
        ProjectFile f = withPreset(std::move(c));
        f.truncateAt = f.offsetOf(1) + 8 + keep;
        return f;
    };
    auto longData = [](std::uint32_t length, std::size_t have) {
        PresetChunk c = preset(1, have);
        c.dataLengthOverride = length;
        return c;
    };
    const Case cases[] = {
        {"chunk size 11", sized(11), "QPLP chunk size too short"},
        {"header size 7", headerSize(7), "QPLP subchunk offset too short"},
        {"header size 0", headerSize(0), "QPLP subchunk offset too short"},
        {"no header size", cut(preset(1, 4), 1), "QPLP subchunk offset too short"},
        {"no track number", cut(preset(1, 4), 3), "Cannot read track number in QPLP chunk."},
        {"no plug-in id", cut(preset(1, 4), 5), "Cannot read plugin ID in QPLP chunk."},
        {"no data length", cut(preset(1, 4), 18 + 3), "Cannot read preset data length in QPLP chunk."},
        {"data length 1000001", withPreset(longData(1000001, 0)),
         "Cannot read preset data length in QPLP chunk."},
        {"data length 0xFFFFFFFF", withPreset(longData(0xFFFFFFFFu, 0)),
         "Cannot read preset data length in QPLP chunk."},
        {"data cut by the end of the file", cut(preset(1, 100), 18 + 4 + 99),
         "Cannot read preset data in QPLP chunk."},
        {"a damaged length the file cannot deliver", withPreset(longData(1000000, 10)),
         "Cannot read preset data in QPLP chunk."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = read(c.file);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(o.error, c.error);
    }
}

TEST(PresetChunk, LargestDataLength) {
    const Outcome o = read(withPreset(preset(2, 1000000, 9)));
    ASSERT_EQ(o.result, 0) << o.error;
    ASSERT_EQ(o.presets.size(), 1u);
    EXPECT_EQ(o.presets[0].data, pattern(1000000, 9));
    EXPECT_TRUE(nextChunkRead(withPreset(preset(2, 1000000, 9))));
}

TEST(PresetChunk, EmptyDataKeepsNoRecord) {
    PresetChunk empty = preset(1, 0);
    ProjectFile file = withPreset(empty);
    const Outcome alone = read(file);
    ASSERT_EQ(alone.result, 0) << alone.error;
    EXPECT_TRUE(alone.presets.empty());

    // The chunk ends where its consumed bytes end: a chunk after it is read as usual.
    file.add(preset(2, 3));
    const Outcome then = read(file);
    ASSERT_EQ(then.result, 0) << then.error;
    ASSERT_EQ(then.presets.size(), 1u);
    EXPECT_EQ(then.presets[0].trackNumber, 2);
}

TEST(PresetChunk, RecordsInFileOrder) {
    ProjectFile file;
    file.add(HeadChunk{});
    PresetChunk first = preset(4, 5, 1);
    first.extra = {0xAA, 0xBB, 0xCC};  // bytes behind the data: skipped by the loop
    file.add(first);
    file.add(preset(4, 7, 2));
    file.add(preset(1, 2, 3));
    const Outcome o = read(file);
    ASSERT_EQ(o.result, 0) << o.error;
    ASSERT_EQ(o.presets.size(), 3u);
    EXPECT_EQ(o.presets[0].trackNumber, 4);
    EXPECT_EQ(o.presets[0].data, pattern(5, 1));
    EXPECT_EQ(o.presets[1].trackNumber, 4);
    EXPECT_EQ(o.presets[1].data, pattern(7, 2));
    EXPECT_EQ(o.presets[2].trackNumber, 1);
}

TEST(PresetChunk, UnreadableNameIsEmpty) {
    // A name count beyond the end of the file: the name cannot be read and stays empty,
    // its units count as 0, and the data length follows the count.
    PresetChunk c = preset(1, 0);
    c.name = FileString(u"");
    c.name.countOverride = 100;
    c.headerSize = 8;
    ProjectFile file = withPreset(c);
    file.add(preset(2, 3));
    const Outcome o = read(file);
    ASSERT_EQ(o.result, 0) << o.error;
    ASSERT_EQ(o.presets.size(), 1u);
    EXPECT_EQ(o.presets[0].trackNumber, 2);
    EXPECT_EQ(o.presets[0].name, u"Glass");

    // With data, the record keeps the empty name.
    PresetChunk d = preset(5, 2);
    d.name = FileString(u"");
    d.name.countOverride = 100;
    d.headerSize = 8;
    const Outcome named = read(withPreset(d));
    ASSERT_EQ(named.result, 0) << named.error;
    ASSERT_EQ(named.presets.size(), 1u);
    EXPECT_EQ(named.presets[0].name, u"");
    EXPECT_EQ(named.presets[0].data, pattern(2, 1));
}

}  // namespace

TEST(PresetChunk, AHeaderNeitherTheChunkNorTheFileCanHoldIsRefusedAtItsSize) {
    // A header of 40 bytes in a chunk of 20, and the file ends with the chunk: it fails at
    // the header size, not by reading on behind the end of the file.
    PresetChunk c = preset(1, 0);
    c.headerSize = 40;
    c.sizeOverride = 20;
    ProjectFile file = withPreset(c);
    file.truncateAt = file.offsetOf(1) + 8 + 20;
    const Outcome o = read(file);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.error, "QPLP subchunk offset too short");
    EXPECT_TRUE(o.presets.empty());
}
