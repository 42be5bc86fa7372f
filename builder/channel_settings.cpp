// A track channel's pan, mute, solo and volume, from the attributes the track info reader
// stored on the track, converted into the host's parameter scales.
#include "builder/channel_settings.h"

#include <algorithm>
#include <cfloat>

#include "hostkit/fader.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

bool present(Host::IAttributeList* attributes, const char* key) {
    return attributes && attributes->hasAttribute(key) == Host::kResultOk;
}

// Sets tag 4201 of every node named "Panner" at or below node.
void panAll(Host::IParamNode* node, double value) {
    if (nodeName(node) == "Panner") {
        if (const auto param = paramTagged(node, kPanTag))
            setFloatValue(*param, value, Notify::Quietly);
    }
    const std::int32_t count = node->getChildCount();
    for (std::int32_t i = 0; i < count; ++i)
        if (const auto child = childAt(node, i)) panAll(child.get(), value);
}

struct Switch {
    const char* parameter;
    const char* attribute;
};
constexpr Switch kSwitches[] = {{"mute", TrackAttribute::kMute}, {"solo", TrackAttribute::kSolo}};

std::int32_t clampedInteger(std::int64_t value, std::int32_t max) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::max(max, 0)));
}

}  // namespace

void applyPan(Host::ITrack* track) {
    const auto attributes = attributesOf(track);
    if (!present(attributes.get(), TrackAttribute::kPan)) return;
    // A value of another type counts as 0, the centre.
    const double pan = attrFloat(attributes.get(), TrackAttribute::kPan).value_or(0);
    if (const auto root = channelRoot(track)) panAll(root.get(), panValue(pan));
}

void applyMuteSoloVolume(const HostSession& host, const SongModel& song, Host::ITrack* track) {
    const auto attributes = attributesOf(track);
    const auto root = channelRoot(track);
    if (!attributes || !root) return;

    for (const auto& [name, key] : kSwitches) {
        const auto param = paramNamed(root.get(), name);
        if (param && present(attributes.get(), key))
            param->setValue(clampedInteger(attrInt(attributes.get(), key).value_or(0),
                                           param->getMax()));
    }

    const auto volume = paramNamed(root.get(), "volume");
    if (volume && present(attributes.get(), TrackAttribute::kVolume)) {
        // The file stores a single-precision gain; keep a host's wider value in that range.
        const double stored = attrFloat(attributes.get(), TrackAttribute::kVolume).value_or(0);
        const auto gain = static_cast<float>(std::clamp(stored, -double{FLT_MAX}, double{FLT_MAX}));
        const double value = faderValue(host.faderScale, song.header.fileVersion, gain);
        volume->setValue(toParameterInteger(value, volume->getMax()));
    }
}

}  // namespace Tessaro
