// Insert effects on track channels, effect channels and the master channel. What an effect
// of the file does not become in the host (an edition without a channel limiter, a kind the
// host has no plug-in for, a slot the channel lacks ...) is noted in the run's notes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>

#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
class ImportNotes;
struct SongModel;
struct EffectRecord;

// What became of one effect given to the insert procedure, the channel limiter or the
// channel EQ.
struct InsertOutcome {
    enum class Status {
        Built,
        NoChannel,          // no channel (or master channel) to place it on
        NoSlot,             // the channel has no insert slot at the record's bus order
        NoPluginChoice,     // the slot has no list of plug-ins to choose from
        NoHostCounterpart,  // the host has no plug-in for the kind
        NotOffered,         // the slot's list does not offer the kind's plug-in
        NoStrip,            // a Lanefix on a channel without a strip
        NoInputFilter,      // an input phase on a channel without an input filter
        NoEq,               // a Tonalix EQ for a channel without an EQ of its own
        NoLimiter,          // a brickwall for a channel without a channel limiter
    };
    Status status = Status::Built;
    std::size_t notNumbers = 0;  // values of the file that were not numbers, taken as 0
};

// The effects of the track's channel (records whose bus is the track's `cinr`), in file
// order: the channel EQ, the channel limiter or an insert slot each. Returns the track's
// number, none when it has no `cinr` (and nothing was built).
std::optional<std::int64_t> buildTrackInserts(const HostSession& host, ImportNotes& notes,
                                              const SongModel& song, Host::ITrack* track);
// The first effect of effect bus busNumber, on the effect channel's track.
void buildEffectChannelInserts(const HostSession& host, ImportNotes& notes, const SongModel& song,
                               Host::ITrack* track, std::int32_t busNumber);
// Notes the effects of tracks and effect buses that no channel took: those of a track
// number no track built has, those of an effect bus no effect channel plays and those
// behind a bus's first. trackNumbers and busNumbers are those the build visited.
void noteEffectsLeftOut(const HostSession& host, ImportNotes& notes, const SongModel& song,
                        const std::set<std::int64_t>& trackNumbers,
                        const std::set<std::int32_t>& busNumbers);
// A master effect, placed while the file is read.
void buildMasterInsert(const HostSession& host, ImportNotes& notes, const EffectRecord& record);
void buildMasterBrickwall(const HostSession& host, ImportNotes& notes, const EffectRecord& record);

// One effect into the insert slot of its bus order on the track's channel.
InsertOutcome insertEffect(const HostSession& host, Host::ITrack* track,
                           const EffectRecord& record);
// A brickwall onto the track channel's limiter; a Tonalix EQ onto the channel's own EQ.
InsertOutcome channelLimiter(Host::ITrack* track, const EffectRecord& record);
InsertOutcome channelEq(Host::ITrack* track, const EffectRecord& record);

}  // namespace Tessaro
