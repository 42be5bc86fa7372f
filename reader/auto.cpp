// "AUTO": one automation curve of a track: its type, its target, three switches and its
// points (position in ticks, value, curve type). Curves the builder can use are kept in
// the song's automation list; the others are read up to their point count and passed over.
#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>

#include "hostkit/diagnostics.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"

namespace Tessaro {

namespace {

// The fixed part of the body: type, target id, three flags and the point count.
constexpr std::uint32_t kCurveHeaderSize = 2 + 4 + 1 + 1 + 1 + 4;
// One point: its position in ticks, its value and its curve type (read and dropped).
constexpr std::tuple kPointFields{
    TypedField<std::uint32_t>{"cannot read automation position"},
    TypedField<float>{"cannot read automation value"},
    TypedField<std::uint8_t>{"cannot read automation curve type"},
};
constexpr std::uint64_t kPointSize = recordSize(kPointFields);
// Target ids name a track as track number × 100 (and more); below that nothing is aimed.
constexpr std::int32_t kFirstTrackTarget = 100;

bool isKeptType(std::uint16_t type) {
    return type == kAutomationVolume || type == kAutomationPan || type == kAutomationSendLevel;
}

}  // namespace

void readAutomation(ChunkView& in, const HostSession&, ImportNotes& notes, SongModel& song) {
    in.readSize(kCurveHeaderSize, "AUTO chunk size too short");

    const std::uint16_t type = in.u16("cannot read automation type");
    const auto targetId = static_cast<std::int32_t>(in.u32("cannot read automation target ID"));
    in.u8In(0, 1, "cannot read automation enabled flag");
    in.u8In(0, 1, "cannot read automation read flag");
    in.u8In(0, 1, "cannot read automation write flag");
    const std::uint32_t count = in.u32("cannot read automation value count");

    // A curve that is not kept leaves its points to the chunk loop's skip. One without
    // points carries nothing.
    if (count != 0 && targetId < kFirstTrackTarget)
        notes.add(Host::kNoteAutomationDropped, -1,
                  "automation curve for target " + std::to_string(targetId) +
                      ": not built; the target names no track");
    else if (count != 0 && !isKeptType(type))
        notes.add(Host::kNoteAutomationDropped, targetId / kFirstTrackTarget,
                  "automation curve of type " + std::to_string(type) +
                      ": not built; the host has no automation of this kind");
    if (!isKeptType(type) || targetId < kFirstTrackTarget || count == 0) return;

    // The record joins the list before its points are read, so a failure part way leaves
    // it with the points read so far.
    AutomationRecord& record = song.lists.automation.emplace_back();
    record.type = type;
    record.targetId = targetId;

    // The points lie inside the chunk: a field beyond it fails with its message, as does
    // one the stream cannot deliver. A count larger than the chunk so stops at the first
    // missing point, and the room made for the points is what the chunk (and the file)
    // can hold, whatever the count says.
    const auto room =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count, in.left() / kPointSize));
    record.positions.reserve(room);
    record.values.reserve(room);
    auto points = in.within();
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto point = points.readRecord(kPointFields);
        record.positions.push_back(std::get<0>(point));
        record.values.push_back(std::get<1>(point));
    }
}

}  // namespace Tessaro
