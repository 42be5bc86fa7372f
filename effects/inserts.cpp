// Insert effects: the app's effects placed into the host's mixer, as insert plug-ins in
// the slots of track channels, effect channels and the master channel, as the channel's
// own EQ, as the channel limiter, or as the input phase switch.
#include "effects/inserts.h"

#include <string>

#include "base/iptr.h"
#include "base/text.h"
#include "effects/effect_conversion.h"
#include "effects/effect_tables.h"
#include "hostkit/diagnostics.h"
#include "hostkit/edition.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "model/effect_kinds.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

// The tag of an insert slot's on switch, as the host's mixer numbers it.
constexpr Host::int32 kSlotOnTag = 4098;

// True when the parameter offers a list of entries to choose from.
bool offersEntries(Host::IParameter* param) {
    auto list = queryTo<Host::IListParameter>(param);
    if (!list) return false;
    list->refresh();
    IPtr<Host::IEntryList> entries;
    return list->getEntries(entries.put()) == Host::kResultOk && entries;
}

void setParam(Host::IParamNode* node, const char* name, Host::int32 value) {
    if (auto param = paramNamed(node, name)) param->setValue(value);
}

using Status = InsertOutcome::Status;

// What a walk of a channel's children found: the insert slot at the record's bus order,
// and whether the input filter took an input phase.
struct ChannelPlaces {
    IPtr<Host::IParamNode> slot;
    bool inputPhaseSet = false;
};

ChannelPlaces findChannelPlaces(Host::IParamNode* root, const EffectRecord& record,
                                bool inputPhase) {
    ChannelPlaces places;
    const Host::int32 count = root->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto child = childAt(root, i);
        if (!child) continue;
        const std::string name = nodeName(child.get());
        if (name == "InputFilter") {
            if (inputPhase) {
                setParam(child.get(), "inputPhase", 1);
                setParam(child.get(), "lowCutOn", 1);
                // The low cut that goes with the input phase: on, at the host's value
                // 1111.
                setParam(child.get(), "lowCutFreq", 1111);
                places.inputPhaseSet = true;
            }
        } else if (name == "Inserts" && !places.slot) {
            // The bus order counts every child of "Inserts", not only the slots.
            auto candidate = childAt(child.get(), record.busOrder);
            if (candidate && nodeName(candidate.get()) == "Slot") places.slot = candidate;
        }
    }
    return places;
}

// The kind's host plug-in chosen in the slot, its on switch and its parameters.
InsertOutcome pluginIntoSlot(Host::IParamNode* slot, IPtr<Host::IParameter> effectType,
                             const EffectRecord& record) {
    const std::u16string_view plugin = hostPluginName(record.kind);
    if (!offersEntries(effectType.get())) return {Status::NoPluginChoice};
    // No matching entry leaves the slot's plug-in as it is.
    const bool chosen = chooseListEntry(effectType.get(), plugin).has_value();
    effectType.reset();

    if (auto on = paramTagged(slot, kSlotOnTag)) on->setValue(record.enabled ? 1 : 0);
    InsertOutcome outcome{chosen ? Status::Built : Status::NotOffered};
    if (auto instance = childAt(slot, 0)) {
        const std::size_t notNumbers = convertInsertParameters(instance.get(), record);
        if (chosen) outcome.notNumbers = notNumbers;
    }
    return outcome;
}

// The insert slot procedure on a channel's parameter tree root: input phase, slot by bus
// order, plug-in by kind, on switch, parameters.
InsertOutcome insertIntoChannel(const HostSession& host, Host::IParamNode* root,
                                const EffectRecord& record) {
    if (!root) return {Status::NoChannel};
    const bool inputPhase = record.kind == kEffectInputPhase && record.enabled;
    // Older hosts switch the input phase on the channel itself.
    if (inputPhase && hostAllows(host, HostFeature::InputPhaseOnRoot)) {
        auto param = paramNamed(root, "inputPhase");
        if (!param) return {Status::NoInputFilter};
        param->setValue(1);
        return {};
    }

    const ChannelPlaces places = findChannelPlaces(root, record, inputPhase);
    // The input phase takes no slot: what became of it is the input filter's matter.
    const auto leftOut = [&](Status status) -> InsertOutcome {
        if (record.kind == kEffectInputPhase)
            return {inputPhase && !places.inputPhaseSet ? Status::NoInputFilter : Status::Built};
        return {status};
    };
    if (!places.slot) return leftOut(Status::NoSlot);

    auto effectType = paramNamed(places.slot.get(), "effectType");
    if (!effectType) return leftOut(Status::NoPluginChoice);
    if (record.kind == kEffectLanefix) {
        const auto notNumbers = convertLanefixStrip(root, record);
        if (!notNumbers) return {Status::NoStrip};
        return {Status::Built, *notNumbers};
    }
    if (hostPluginName(record.kind).empty()) return leftOut(Status::NoHostCounterpart);
    return pluginIntoSlot(places.slot.get(), std::move(effectType), record);
}

// The brickwall onto the channel limiter below the channel's strip.
InsertOutcome limiterOnChannel(Host::IParamNode* root, const EffectRecord& record) {
    if (!root) return {Status::NoChannel};
    IPtr<Host::IParamNode> strip;
    if (root->getSubNode(strip.put()) != Host::kResultOk || !strip) return {Status::NoLimiter};
    if (auto limiter = childNamed(strip.get(), "Channel Limiter"))
        return {Status::Built, convertBrickwall(limiter.get(), record)};
    if (auto limiterSlot = childNamed(strip.get(), "Channel Limiter Slot")) {
        setParam(limiterSlot.get(), "bypass", 1);
        return {Status::Built, convertBrickwall(limiterSlot.get(), record)};
    }
    return {Status::NoLimiter};
}

// A Tonalix EQ onto the channel's own EQ, or onto the EQ module of its strip.
InsertOutcome eqOnChannel(Host::IParamNode* root, const EffectRecord& record) {
    if (!root) return {Status::NoChannel};
    const Host::int32 count = root->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto child = childAt(root, i);
        if (!child) continue;
        const std::string name = nodeName(child.get());
        if (name == "EQ") return {Status::Built, convertChannelEq(child.get(), record)};
        if (name != "Strips") continue;
        const Host::int32 slots = child->getChildCount();
        for (Host::int32 j = 0; j < slots; ++j) {
            auto slot = childAt(child.get(), j);
            if (!slot || nodeName(slot.get()) != "Slot") continue;
            auto module = childAt(slot.get(), 0);
            if (module && nodeName(module.get()) == "EQ")
                return {Status::Built, convertStripEq(module.get(), record)};
        }
    }
    return {Status::NoEq};
}

// The project's master channel: the child of "Channels" that is no track's channel.
IPtr<Host::IParamNode> masterChannel(const HostSession& host) {
    auto channels = mixerChannels(host);
    if (!channels) return {};
    const Host::int32 count = channels->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto channel = childAt(channels.get(), i);
        auto info = queryTo<Host::IChannelInfo>(channel);
        if (info && !info->isTrackChannel()) return channel;
    }
    return {};
}

// Where an effect sits, as its notes tell it: a track's effect carries the track's number,
// a master or effect bus effect names its channel ("master: ", "effect bus 2: ").
struct Place {
    std::int64_t track = -1;
    std::string prefix;
};

Place masterPlace() { return {-1, "master: "}; }
Place busPlace(std::int32_t bus) { return {-1, "effect bus " + std::to_string(bus) + ": "}; }

// Why an effect was not built, as its note ends. A built effect is never asked about
// (noteOutcome returns before); its case keeps the switch whole.
std::string whyLeftOut(Status status, const EffectRecord& record, bool master) {
    switch (status) {
        case Status::Built: break;  // GCOVR_EXCL_LINE: never asked, see above
        case Status::NoChannel:
            return master ? "not built; the mixer has no master channel"
                          : "not built; the track has no mixer channel";
        case Status::NoSlot:
            return "not built; the channel has no insert slot at bus order " +
                   std::to_string(record.busOrder);
        case Status::NoPluginChoice: return "not built; the insert slot offers no plug-ins";
        case Status::NoHostCounterpart: return "not built; the host has no counterpart";
        case Status::NotOffered:
            return "not built; this host offers no \"" + toUtf8(hostPluginName(record.kind)) +
                   "\"";
        case Status::NoStrip: return "not built; the channel has no strip";
        case Status::NoInputFilter: return "not set; the channel has no input phase switch";
        case Status::NoEq: return "not built; the channel has no EQ";
        case Status::NoLimiter: return "not built; the channel has no channel limiter";
    }
    return {};  // GCOVR_EXCL_LINE: only a built effect gets here, and none is asked about
}

void noteOutcome(ImportNotes& notes, const Place& place, const EffectRecord& record,
                 const InsertOutcome& outcome) {
    const std::string name = place.prefix + effectKindName(record.kind);
    if (outcome.status == Status::Built) {
        if (outcome.notNumbers != 0)
            notes.add(Host::kNoteValueReplaced, place.track,
                      name + ": " + std::to_string(outcome.notNumbers) +
                          (outcome.notNumbers == 1 ? " value is" : " values are") +
                          " not a number in the file; taken as 0");
        return;
    }
    // An Audio Unit effect is noted where its state is skipped.
    if (outcome.status == Status::NoHostCounterpart && record.kind == kEffectAudioUnit) return;
    notes.add(Host::kNoteEffectNotBuilt, place.track,
              name + ": " + whyLeftOut(outcome.status, record, place.prefix == "master: "));
}

}  // namespace

InsertOutcome insertEffect(const HostSession& host, Host::ITrack* track,
                           const EffectRecord& record) {
    auto root = channelRoot(track);
    return insertIntoChannel(host, root.get(), record);
}

InsertOutcome channelLimiter(Host::ITrack* track, const EffectRecord& record) {
    auto root = channelRoot(track);
    return limiterOnChannel(root.get(), record);
}

InsertOutcome channelEq(Host::ITrack* track, const EffectRecord& record) {
    auto root = channelRoot(track);
    return eqOnChannel(root.get(), record);
}

std::optional<std::int64_t> buildTrackInserts(const HostSession& host, ImportNotes& notes,
                                              const SongModel& song, Host::ITrack* track) {
    auto attributes = attributesOf(track);
    if (!attributes || attributes->hasAttribute(TrackAttribute::kNumber) != Host::kResultOk)
        return std::nullopt;
    const std::int64_t number = attrInt(attributes.get(), TrackAttribute::kNumber).value_or(0);
    attributes.reset();

    const bool smallEditionEq = hostAllows(host, HostFeature::InsertChannelEq);
    const bool limiterAllowed = hostAllows(host, HostFeature::ChannelLimiter);
    const Place place{number, {}};
    bool eqUsed = false;
    bool limiterUsed = false;
    for (const EffectRecord& record : song.lists.effectsOnChannels) {
        if (record.bus == 0 || record.bus != number) continue;
        const bool tonalix = record.kind == kEffectTonalixEq;
        if (tonalix && record.busOrder == 0 && !eqUsed) {
            noteOutcome(notes, place, record, channelEq(track, record));
            eqUsed = record.enabled;  // a disabled EQ leaves the channel EQ free
        } else if (smallEditionEq && tonalix && record.busOrder != 0 && !eqUsed) {
            noteOutcome(notes, place, record, channelEq(track, record));
            eqUsed = true;
        } else if (limiterAllowed && record.kind == kEffectBrickwall && !limiterUsed) {
            noteOutcome(notes, place, record, channelLimiter(track, record));
            limiterUsed = true;
        } else if (record.kind == kEffectBrickwall) {
            // A brickwall is never an insert.
            if (limiterAllowed)
                notes.add(Host::kNoteBrickwallBeyondFirst, number,
                          "brickwall limiter: not built; a channel takes only its first");
            else
                notes.add(Host::kNoteEffectNotAllowed, number,
                          "brickwall limiter: not built; this host edition has no channel limiter");
        } else if ((record.kind == kEffectEq || tonalix) && record.busOrder == 0) {
            // Bus order 0 is the channel EQ's place.
            notes.add(Host::kNoteEffectNotBuilt, number,
                      tonalix ? "Tonalix EQ at bus order 0: not built; an earlier one took the "
                                "channel EQ"
                              : "EQ at bus order 0: not built; the channel EQ takes a Tonalix EQ "
                                "only");
        } else {
            noteOutcome(notes, place, record, insertEffect(host, track, record));
        }
    }
    return number;
}

void buildEffectChannelInserts(const HostSession& host, ImportNotes& notes, const SongModel& song,
                               Host::ITrack* track, std::int32_t busNumber) {
    for (const EffectRecord& record : song.lists.effectsOnBuses) {
        if (std::int64_t{record.bus} != -std::int64_t{busNumber}) continue;
        // Only the bus's first effect is built.
        const Place place = busPlace(busNumber);
        const bool brickwall = record.kind == kEffectBrickwall;
        if (brickwall && hostAllows(host, HostFeature::ChannelLimiter)) {
            noteOutcome(notes, place, record, channelLimiter(track, record));
        } else {
            const InsertOutcome outcome = insertEffect(host, track, record);
            if (brickwall)
                notes.add(Host::kNoteEffectNotAllowed, -1,
                          place.prefix +
                              "brickwall limiter: not built; this host edition has no channel "
                              "limiter");
            else
                noteOutcome(notes, place, record, outcome);
        }
        return;
    }
}

void noteEffectsLeftOut(const HostSession& host, ImportNotes& notes, const SongModel& song,
                        const std::set<std::int64_t>& trackNumbers,
                        const std::set<std::int32_t>& busNumbers) {
    // An Audio Unit effect is noted where its state is skipped.
    const auto noted = [](const EffectRecord& record) { return record.kind == kEffectAudioUnit; };
    for (const EffectRecord& record : song.lists.effectsOnChannels) {
        if (record.bus > 0 && !trackNumbers.contains(record.bus) && !noted(record))
            notes.add(Host::kNoteEffectNotBuilt, record.bus,
                      effectKindName(record.kind) + ": not built; the file has no track of this "
                                                    "number");
    }
    // Without effect channels the effect chunks noted their buses as they were read.
    if (!hostAllows(host, HostFeature::EffectChannels)) return;
    std::set<std::int32_t> seen;
    for (const EffectRecord& record : song.lists.effectsOnBuses) {
        const std::int32_t bus = -std::int32_t{record.bus};
        const bool first = seen.insert(bus).second;
        const std::string name = busPlace(bus).prefix + effectKindName(record.kind);
        if (noted(record)) continue;
        if (!busNumbers.contains(bus))
            notes.add(Host::kNoteEffectNotBuilt, -1,
                      name + ": not built; no effect channel plays this bus");
        else if (!first)
            notes.add(Host::kNoteEffectNotBuilt, -1,
                      name + ": not built; an effect channel takes only its bus's first effect");
    }
}

void buildMasterInsert(const HostSession& host, ImportNotes& notes, const EffectRecord& record) {
    auto master = masterChannel(host);
    noteOutcome(notes, masterPlace(), record, insertIntoChannel(host, master.get(), record));
}

void buildMasterBrickwall(const HostSession& host, ImportNotes& notes,
                          const EffectRecord& record) {
    auto master = masterChannel(host);
    noteOutcome(notes, masterPlace(), record, limiterOnChannel(master.get(), record));
}

}  // namespace Tessaro
