// "AUTO": one automation curve of a track: its type, its target, three switches and its
// points (position in ticks, value, curve type). Curves the builder can use are kept in
// importer.song.lists.automation; the others are read up to their point count and passed over.
#include <algorithm>
#include <cstdint>

#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "reader/importer.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

// The fixed part of the body: type, target id, three flags and the point count.
constexpr std::uint32_t kCurveHeaderSize = 2 + 4 + 1 + 1 + 1 + 4;
// One point: position (u32), value (f32), curve type (u8).
constexpr std::uint32_t kPointSize = 4 + 4 + 1;
// Target ids name a track as track number × 100 (and more); below that nothing is aimed.
constexpr std::int32_t kFirstTrackTarget = 100;

bool isKeptType(std::uint16_t type) { return type >= 1 && type <= 3; }

// Reads the points from what is left of the chunk. A field that does not fit in the
// chunk is a failed read with that field's message, as is one the stream cannot deliver;
// so a point count larger than the chunk stops at the first missing point and never
// costs more memory than the chunk's own bytes.
class PointSource {
public:
    PointSource(FileReader& in, std::uint32_t bytesLeft) : in_(in), left_(bytesLeft) {}

    std::uint32_t pointsThatFit() const { return left_ / kPointSize; }

    std::uint32_t u32(const char* message) {
        take(4, message);
        return in_.u32(message);
    }
    float f32(const char* message) {
        take(4, message);
        return in_.f32(message);
    }
    std::uint8_t u8(const char* message) {
        take(1, message);
        return in_.u8(message);
    }

private:
    void take(std::uint32_t size, const char* message) {
        if (size > left_) fail(message);
        left_ -= size;
    }

    FileReader& in_;
    std::uint32_t left_;
};

}  // namespace

void readAutomation(TessaroImporter& importer, FileReader& in) {
    readChunkSize(importer, in, kCurveHeaderSize, "AUTO chunk size too short");

    const std::uint16_t type = in.u16("cannot read automation type");
    const auto targetId = static_cast<std::int32_t>(in.u32("cannot read automation target ID"));
    in.u8In(0, 1, "cannot read automation enabled flag");
    in.u8In(0, 1, "cannot read automation read flag");
    in.u8In(0, 1, "cannot read automation write flag");
    const std::uint32_t count = in.u32("cannot read automation value count");
    importer.reader.chunkConsumed = kCurveHeaderSize;

    if (!isKeptType(type) || targetId < kFirstTrackTarget || count == 0) return;

    // The record joins the list before its points are read, so a failure part way leaves
    // it with the points read so far.
    AutomationRecord& record = importer.song.lists.automation.emplace_back();
    record.type = type;
    record.targetId = targetId;

    PointSource points(in, importer.reader.chunkSize - kCurveHeaderSize);
    // Room for the points that both the chunk and the file can hold: a size field can lie
    // as much as a count can.
    const std::uint64_t fileLeft =
        importer.reader.fileSize > importer.reader.filePosition ? importer.reader.fileSize - importer.reader.filePosition : 0;
    const std::uint64_t pointsInFile =
        fileLeft > kCurveHeaderSize ? (fileLeft - kCurveHeaderSize) / kPointSize : 0;
    const auto room = static_cast<std::uint32_t>(
        std::min<std::uint64_t>({count, points.pointsThatFit(), pointsInFile}));
    record.positions.reserve(room);
    record.values.reserve(room);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t position = points.u32("cannot read automation position");
        const float value = points.f32("cannot read automation value");
        points.u8("cannot read automation curve type");
        record.positions.push_back(position);
        record.values.push_back(value);
    }
    // Every point fitted in the chunk, so this cannot pass the chunk size.
    importer.reader.chunkConsumed = kCurveHeaderSize + kPointSize * count;
}

}  // namespace Tessaro
