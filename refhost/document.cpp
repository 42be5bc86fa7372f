#include "refhost/document.h"

#include <algorithm>

#include "base/text.h"
#include "refhost/instruments.h"
#include "refhost/effect_catalog.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

// The object factory's track kinds: the node kinds and the device type of the channel.
struct TrackKind {
    std::string_view factoryName;
    const char* kind;
    const char* deviceType;
    const char* defaultName;
};

constexpr TrackKind kTrackKinds[] = {
    {"instrument", "instrument", "Synth", "Instrument"},
    {"audio", "audio", "AudioChannel", "Audio"},
    {"FX Channel", "effect", "FxChannel", "FX Channel"},
};

}  // namespace

Document::Document(ReferenceHost& host)
    : project(host.make<Node>(KindSet{"project"}, u"Project")),
      trackRoot(host.make<Node>(KindSet{"trackRoot"}, u"Tracks")),
      mixer(host.make<Node>(KindSet{"mixer", "param"}, u"QPL Mixer")),
      channels(host.make<Node>(KindSet{"param"}, u"Channels")),
      tempoObject(host.make<TempoObject>()),
      signatureTrack(host.make<SignatureTrackObject>()),
      host_(host) {
    const Profile& profile = host.profile();
    mixer.value = profile.mixerValue;
    mixer.append(channels);
    song.sampleRate = profile.sampleRate;
    song.sampleSize = profile.sampleSize;
    for (const auto& output : profile.outputs)
        listChannel(makeChannel("Output", output.layout, false, Tessaro::toUtf16(output.name)));
}

Node& Document::build(const NodeTemplate& shape, Node* parent) {
    KindSet kinds{"param"};
    for (const auto& kind : shape.kinds) kinds.insert(kind);
    Node& node = host_.make<Node>(kinds, Tessaro::toUtf16(shape.name));
    node.parameters.reserve(shape.params.size());
    std::size_t children = 0;
    for (const auto& child : shape.children) children += static_cast<std::size_t>(child.repeat);
    node.children.reserve(children);
    for (const auto& p : shape.params) {
        const auto& entries = p.list.empty() ? noEntries() : host_.profile().list(p.list);
        node.parameters.push_back(std::make_unique<Parameter>(host_, node, p, entries));
    }
    for (const auto& child : shape.children)
        for (Host::int32 i = 0; i < child.repeat; ++i) build(child, &node);
    if (!shape.subNode.empty()) node.subNode = &build(shape.subNode.front(), nullptr);
    for (const auto& p : node.parameters) settlePluginInstance(*this, *p);
    if (parent) parent->append(node);
    return node;
}

Node& Document::makeChannel(const std::string& deviceType, const std::string& layout,
                            bool trackChannel, std::u16string name) {
    Node& channel = build(host_.profile().layout(layout), nullptr);
    channel.kinds.insert("channel");
    channel.name = std::move(name);
    channel.deviceType = deviceType;
    channel.trackChannel = trackChannel;
    addInstrumentSlot(host_, channel);
    return channel;
}

std::size_t Document::groupOf(const Node& channel) const {
    const auto& groups = host_.profile().channelGroups;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const auto& types = groups[g].types;
        if (std::find(types.begin(), types.end(), channel.deviceType) != types.end()) return g;
    }
    return groups.size();
}

void Document::listChannel(Node& channel) {
    // The channel goes into its group of device types; groups stand in profile order and
    // a device type that no group names goes at the end. Within its group it goes first
    // (a group of the newest first) or last.
    const auto& groups = host_.profile().channelGroups;
    groupSizes_.resize(groups.size() + 1);
    const std::size_t group = groupOf(channel);
    const bool newestFirst = group < groups.size() && groups[group].newestFirst;
    std::size_t at = 0;
    for (std::size_t g = 0; g < group; ++g) at += groupSizes_[g];
    if (!newestFirst) at += groupSizes_[group];
    ++groupSizes_[group];
    channels.insert(at, channel);
    channelIndices_.clear();
}

Node* Document::createTrack(std::string_view kind) {
    for (const auto& k : kTrackKinds) {
        if (k.factoryName != kind) continue;
        Node& track = host_.make<Node>(KindSet{"track", k.kind},
                                       Tessaro::toUtf16(k.defaultName));
        Node& channel = makeChannel(k.deviceType, k.deviceType, true, u"");
        channel.track = &track;
        track.channel = &channel;
        return &track;
    }
    return nullptr;
}

Node& Document::createFolder(std::u16string name) {
    return host_.make<Node>(KindSet{"track", "folder"},
                            std::move(name));
}

std::string Document::insertTrack(Node& container, Node& track) {
    if (&container != &trackRoot && !container.is("folder"))
        return "the container is neither the project nor a folder";
    if (!track.is("track")) return "the object is not a track";
    if (track.parent) return "the track is in the project already";
    for (const Node* up = &container; up; up = up->parent)
        if (up == &track) return "a folder cannot go into itself";
    container.append(track);
    if (track.channel) listChannel(*track.channel);
    return {};
}

std::vector<Document::TrackAt> Document::tracks() const {
    std::vector<TrackAt> out;
    auto walk = [&](auto&& self, const Node& node, int depth) -> void {
        for (Node* child : node.children) {
            out.push_back({child, depth});
            self(self, *child, depth + 1);
        }
    };
    walk(walk, trackRoot, 0);
    return out;
}

int Document::channelIndex(const Node& channel) const {
    if (!listsChannel(channel)) return -1;
    if (channelIndices_.empty()) {
        channelIndices_.reserve(channels.children.size());
        for (std::size_t i = 0; i < channels.children.size(); ++i)
            channelIndices_.emplace(channels.children[i], static_cast<int>(i));
    }
    return channelIndices_.at(&channel);
}

}  // namespace RefHost
