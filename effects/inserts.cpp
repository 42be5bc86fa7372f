// Insert effects: the app's effects placed into the host's mixer, as insert plug-ins in
// the slots of track channels, effect channels and the master channel, as the channel's
// own EQ, as the channel limiter, or as the input phase switch.
#include "effects/inserts.h"

#include <string>

#include "base/iptr.h"
#include "effects/effect_conversion.h"
#include "effects/effect_tables.h"
#include "hostkit/edition.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
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

// The insert slot procedure on a channel's parameter tree root: input phase, slot by bus
// order, plug-in by kind, on switch, parameters.
void insertIntoChannel(const HostSession& host, Host::IParamNode* root,
                       const EffectRecord& record) {
    if (!root) return;
    const bool inputPhase = record.kind == kEffectInputPhase && record.enabled;
    // Older hosts switch the input phase on the channel itself.
    if (inputPhase && hostAllows(host, HostFeature::InputPhaseOnRoot)) {
        setParam(root, "inputPhase", 1);
        return;
    }

    IPtr<Host::IParamNode> slot;
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
            }
        } else if (name == "Inserts" && !slot) {
            // The bus order counts every child of "Inserts", not only the slots.
            auto candidate = childAt(child.get(), record.busOrder);
            if (candidate && nodeName(candidate.get()) == "Slot") slot = candidate;
        }
    }
    if (!slot) return;

    auto effectType = paramNamed(slot.get(), "effectType");
    if (!effectType) return;
    if (record.kind == kEffectLanefix) {
        convertLanefixStrip(root, record);
        return;
    }
    const std::u16string_view plugin = hostPluginName(record.kind);
    if (plugin.empty()) return;
    if (!offersEntries(effectType.get())) return;
    // No matching entry leaves the slot's plug-in as it is.
    chooseListEntry(effectType.get(), plugin);
    effectType.reset();

    if (auto on = paramTagged(slot.get(), kSlotOnTag)) on->setValue(record.enabled ? 1 : 0);
    if (auto instance = childAt(slot.get(), 0)) convertInsertParameters(instance.get(), record);
}

// The brickwall onto the channel limiter below the channel's strip.
void limiterOnChannel(Host::IParamNode* root, const EffectRecord& record) {
    if (!root) return;
    IPtr<Host::IParamNode> strip;
    if (root->getSubNode(strip.put()) != Host::kResultOk || !strip) return;
    if (auto limiter = childNamed(strip.get(), "Channel Limiter")) {
        convertBrickwall(limiter.get(), record);
    } else if (auto limiterSlot = childNamed(strip.get(), "Channel Limiter Slot")) {
        setParam(limiterSlot.get(), "bypass", 1);
        convertBrickwall(limiterSlot.get(), record);
    }
}

// A Tonalix EQ onto the channel's own EQ, or onto the EQ module of its strip.
void eqOnChannel(Host::IParamNode* root, const EffectRecord& record) {
    if (!root) return;
    const Host::int32 count = root->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto child = childAt(root, i);
        if (!child) continue;
        const std::string name = nodeName(child.get());
        if (name == "EQ") {
            convertChannelEq(child.get(), record);
            return;
        }
        if (name != "Strips") continue;
        const Host::int32 slots = child->getChildCount();
        for (Host::int32 j = 0; j < slots; ++j) {
            auto slot = childAt(child.get(), j);
            if (!slot || nodeName(slot.get()) != "Slot") continue;
            auto module = childAt(slot.get(), 0);
            if (module && nodeName(module.get()) == "EQ") {
                convertStripEq(module.get(), record);
                return;
            }
        }
    }
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

}  // namespace

void insertEffect(const HostSession& host, Host::ITrack* track, const EffectRecord& record) {
    auto root = channelRoot(track);
    insertIntoChannel(host, root.get(), record);
}

void channelLimiter(Host::ITrack* track, const EffectRecord& record) {
    auto root = channelRoot(track);
    limiterOnChannel(root.get(), record);
}

void channelEq(Host::ITrack* track, const EffectRecord& record) {
    auto root = channelRoot(track);
    eqOnChannel(root.get(), record);
}

void buildTrackInserts(const HostSession& host, const SongModel& song, Host::ITrack* track) {
    auto attributes = attributesOf(track);
    if (!attributes || attributes->hasAttribute(TrackAttribute::kNumber) != Host::kResultOk) return;
    const std::int64_t number = attrInt(attributes.get(), TrackAttribute::kNumber).value_or(0);
    attributes.reset();

    const bool smallEditionEq = hostAllows(host, HostFeature::InsertChannelEq);
    const bool limiterAllowed = hostAllows(host, HostFeature::ChannelLimiter);
    bool eqUsed = false;
    bool limiterUsed = false;
    for (const EffectRecord& record : song.lists.effectsOnChannels) {
        if (record.bus == 0 || record.bus != number) continue;
        const bool tonalix = record.kind == kEffectTonalixEq;
        if (tonalix && record.busOrder == 0 && !eqUsed) {
            channelEq(track, record);
            eqUsed = record.enabled;  // a disabled EQ leaves the channel EQ free
        } else if (smallEditionEq && tonalix && record.busOrder != 0 && !eqUsed) {
            channelEq(track, record);
            eqUsed = true;
        } else if (limiterAllowed && record.kind == kEffectBrickwall && !limiterUsed) {
            channelLimiter(track, record);
            limiterUsed = true;
        } else if (record.kind != kEffectBrickwall &&
                   !((record.kind == kEffectEq || tonalix) && record.busOrder == 0)) {
            insertEffect(host, track, record);
        }
    }
}

void buildEffectChannelInserts(const HostSession& host, const SongModel& song, Host::ITrack* track,
                               std::int32_t busNumber) {
    for (const EffectRecord& record : song.lists.effectsOnBuses) {
        if (std::int64_t{record.bus} != -std::int64_t{busNumber}) continue;
        // Only the bus's first effect is built.
        if (record.kind == kEffectBrickwall &&
            hostAllows(host, HostFeature::ChannelLimiter))
            channelLimiter(track, record);
        else
            insertEffect(host, track, record);
        return;
    }
}

void buildMasterInsert(const HostSession& host, const EffectRecord& record) {
    auto master = masterChannel(host);
    insertIntoChannel(host, master.get(), record);
}

void buildMasterBrickwall(const HostSession& host, const EffectRecord& record) {
    auto master = masterChannel(host);
    limiterOnChannel(master.get(), record);
}

}  // namespace Tessaro
