// Sends: the track's send slots switched on and levelled from its attributes, and the
// routing of the first send slots of every audio and synth channel to the effect channels.
#include "builder/sends.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "base/text.h"
#include "effects/conversion.h"
#include "hostkit/edition.h"
#include "hostkit/fader.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

// The tags of a send slot's switch and level, as the host's mixer numbers them.
constexpr Host::int32 kSendOnTag = 4096;
constexpr Host::int32 kSendLevelTag = 4097;
constexpr std::size_t kRoutedSends = 3;

bool has(Host::IAttributeList* list, const std::string& key) {
    return list->hasAttribute(key.c_str()) == Host::kResultOk;
}

Host::int32 clampToInt(std::int64_t v) {
    return static_cast<Host::int32>(std::clamp<std::int64_t>(
        v, std::numeric_limits<Host::int32>::min(), std::numeric_limits<Host::int32>::max()));
}

// The send slot of bus id `bus`: the child named "Slot" at that position among all
// children of "Sends".
IPtr<Host::IParamNode> sendSlot(Host::IParamNode* sends, std::int64_t bus) {
    if (!sends || bus < 0 || bus >= sends->getChildCount()) return {};
    auto slot = childAt(sends, static_cast<Host::int32>(bus));
    if (!slot || nodeName(slot.get()) != "Slot") return {};
    return slot;
}

struct MixerChannel {
    IPtr<Host::IParamNode> node;
    IPtr<Host::IDevice> device;
};

}  // namespace

void buildSends(const HostSession& host, const SongModel& song, Host::ITrack* track) {
    auto attributes = attributesOf(track);
    if (!attributes) return;
    auto root = channelRoot(track);
    auto sends = childNamed(root.get(), "Sends");
    for (std::size_t n = 0; n < song.lists.effectsOnBuses.size(); ++n) {
        const std::string busKey = TrackAttribute::sendKey(TrackAttribute::kSendBus, n);
        const std::string onKey = TrackAttribute::sendKey(TrackAttribute::kSendEnabled, n);
        const std::string levelKey = TrackAttribute::sendKey(TrackAttribute::kSendLevel, n);
        if (!has(attributes.get(), busKey) || !has(attributes.get(), onKey) ||
            !has(attributes.get(), levelKey))
            break;
        // A value of another type counts as 0.
        const std::int64_t bus = attrInt(attributes.get(), busKey.c_str()).value_or(0);
        const std::int64_t on = attrInt(attributes.get(), onKey.c_str()).value_or(0);
        const double level = attrFloat(attributes.get(), levelKey.c_str()).value_or(0);

        auto slot = sendSlot(sends.get(), bus);
        if (!slot) continue;
        if (auto param = paramTagged(slot.get(), kSendOnTag)) param->setValue(clampToInt(on));
        if (auto param = paramTagged(slot.get(), kSendLevelTag))
            param->setValue(parameterValue(faderValue(host.faderScale,
                                                        song.header.fileVersion,
                                                        static_cast<float>(level))));
    }
}

void routeSends(const HostSession& host) {
    auto channels = mixerChannels(host);
    if (!channels) return;
    if (!hostAllows(host, HostFeature::EffectChannels)) return;

    // Each list holds its channels in reverse mixer order.
    std::vector<MixerChannel> audio, synth, effect;
    for (Host::int32 i = channels->getChildCount() - 1; i >= 0; --i) {
        auto node = childAt(channels.get(), i);
        auto device = queryTo<Host::IDevice>(node);
        if (!device) continue;
        const std::string type =
            readHostText8([&](char* b, Host::int32 size) { return device->getTypeName(b, size); });
        auto* list = type == "AudioChannel" ? &audio
                     : type == "Synth"      ? &synth
                     : type == "FxChannel"  ? &effect
                                            : nullptr;
        if (list) list->push_back({std::move(node), std::move(device)});
    }

    for (const auto* list : {&audio, &synth}) {
        for (const MixerChannel& channel : *list) {
            auto sends = childNamed(channel.node.get(), "Sends");
            if (!sends) continue;
            for (std::size_t i = 0; i < kRoutedSends && i < effect.size(); ++i) {
                auto slot = childAt(sends.get(), static_cast<Host::int32>(i));
                if (auto routing = queryTo<Host::ISendRouting>(slot))
                    routing->setDestination(effect[i].device.get());
            }
        }
    }
}

}  // namespace Tessaro
