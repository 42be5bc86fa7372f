#include "effects/effect_channels.h"

#include <string>

#include "base/text.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

// The attribute list that renames the new object: the object's own, or its track's.
IPtr<Host::IAttributeList> attributeListOf(Host::FUnknown* object) {
    if (auto list = queryTo<Host::IAttributeList>(object)) return list;
    IPtr<Host::IAttributeList> list;
    if (auto track = queryTo<Host::ITrack>(object)) {
        if (track->getAttributes(list.put()) != Host::kResultOk) list.reset();
    }
    return list;
}

}  // namespace

void createEffectChannel(const HostSession& host, SongModel& song) {
    if (!host.project || !host.edit) return;
    auto factory = queryTo<Host::IObjectFactory>(host.project);
    if (!factory) return;
    IPtr<Host::FUnknown> channelObject;
    if (factory->createObject("FX Channel", channelObject.put()) != Host::kResultOk ||
        !channelObject)
        return;
    host.edit->insertObject(host.project.get(), channelObject.get());

    const std::u16string name = toUtf16("Bus " + std::to_string(song.effectBusCounter));
    if (auto list = attributeListOf(channelObject.get()))
        list->setName(host.project.get(), name.c_str(), host.edit.get());

    auto channel = queryTo<Host::IChannel>(channelObject);
    if (!channel) return;
    channel->setMode(2);
    ++song.effectBusCounter;
}

}  // namespace Tessaro
