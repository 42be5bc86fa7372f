#include "hostkit/output_channels.h"

#include <cmath>

#include "hostkit/diagnostics.h"
#include "hostkit/fader.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"

namespace Tessaro {

namespace {

// Calls act(channel) for every channel of the mixer that is not a track's or an effect
// channel's: the project's outputs.
template <class Act>
void forEachOutputChannel(const HostSession& host, Act&& act) {
    const auto channels = mixerChannels(host);
    if (!channels) return;
    const std::int32_t count = channels->getChildCount();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto channel = childAt(channels.get(), i);
        const auto info = queryTo<Host::IChannelInfo>(channel);
        if (info && !info->isTrackChannel()) act(channel.get());
    }
}

}  // namespace

void setOutputVolume(const HostSession& host, ImportNotes& notes, std::uint16_t fileVersion,
                     float gain) {
    const double value = faderValue(host.faderScale, fileVersion, gain);
    bool set = false;
    forEachOutputChannel(host, [&](Host::IParamNode* channel) {
        if (const auto volume = paramNamed(channel, "volume")) {
            volume->setValue(toParameterInteger(value, volume->getMax()));
            set = true;
        }
    });
    if (set && std::isnan(gain))
        notes.add(Host::kNoteValueReplaced, -1,
                  "output volume: not a number in the file; the fader is set to its bottom");
}

void setOutputPan(const HostSession& host, ImportNotes& notes, float pan) {
    const double value = panValue(pan);
    bool set = false;
    forEachOutputChannel(host, [&](Host::IParamNode* channel) {
        const std::int32_t count = channel->getChildCount();
        for (std::int32_t i = 0; i < count; ++i) {
            const auto child = childAt(channel, i);
            if (!child || nodeName(child.get()) != "Panner") continue;
            if (const auto param = paramTagged(child.get(), kPanTag)) {
                setFloatValue(*param, value, Notify::Quietly);
                set = true;
            }
        }
    });
    if (set && std::isnan(pan))
        notes.add(Host::kNoteValueReplaced, -1,
                  "output pan: not a number in the file; set to the centre");
}

}  // namespace Tessaro
