// The host's document: the project with its track tree, the song settings, and the mixer
// ("QPL Mixer" with its "Channels"), laid out as the profile describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "refhost/node.h"

namespace RefHost {

struct Signature {
    double position = 0;
    Host::int32 numerator = 0;
    Host::int32 denominator = 0;
};

struct Preparation {
    Host::int32 templateId = 0;
    Host::int32 viewMode = 0;
};

// The song settings that the project, its tempo and signature track, the transport and
// the import target take.
struct SongState {
    std::vector<Preparation> preparations;
    std::optional<double> tempoRate;  // the rate handed to IProject::getTempo
    std::optional<Host::int32> tempoActive;
    std::optional<double> tempo;
    std::optional<double> length;
    std::vector<Signature> signatures;
    std::optional<bool> cycleActive;
    std::optional<double> cycleLeft;
    std::optional<double> cycleRight;
    std::optional<double> cycleFactor;
    double sampleRate = 44100;
    Host::int32 sampleSize = 16;
};

// The project's tempo (ITempo) and signature track (ISignatureTrack).
class TempoObject : public Object {
public:
    using Object::Object;
    std::string describe() const override { return "tempo"; }
};

class SignatureTrackObject : public Object {
public:
    using Object::Object;
    std::string describe() const override { return "signature track"; }
};

class Document {
public:
    explicit Document(ReferenceHost& host);

    // The project: answers IProject, IObjectFactory and IImportTarget; the import target.
    Node& project;
    // The root of the track tree (IProject::getRoot(0)); its children are the top tracks.
    Node& trackRoot;
    // "QPL Mixer" and its child "Channels".
    Node& mixer;
    Node& channels;
    TempoObject& tempoObject;
    SignatureTrackObject& signatureTrack;
    SongState song;

    // A new track of the object factory's kind "instrument", "audio" or "FX Channel", with
    // its channel, not yet in the project; null for any other kind.
    Node* createTrack(std::string_view kind);
    // A folder track (the host makes those; the import does not).
    Node& createFolder(std::u16string name);
    // Puts track at the end of container (the track root or a folder) and lists its
    // channel in "Channels". Returns an empty text, or why the insertion is refused.
    std::string insertTrack(Node& container, Node& track);

    struct TrackAt {
        Node* node;
        int depth;  // 0 for a track of the project, 1 inside a folder ...
    };
    // The tracks of the project, depth first: each folder followed by what it holds.
    std::vector<TrackAt> tracks() const;
    // The index of a channel in "Channels", or -1.
    int channelIndex(const Node& channel) const;
    // True when channel stands in "Channels".
    bool listsChannel(const Node& channel) const { return channel.parent == &channels; }

    // A node built from a profile layout, appended to parent when one is given.
    Node& build(const NodeTemplate& shape, Node* parent);

private:
    Node& makeChannel(const std::string& deviceType, const std::string& layout,
                      bool trackChannel, std::u16string name);
    void listChannel(Node& channel);
    // The group of the profile's channel groups a channel goes into; the number of groups
    // for a device type that no group names.
    std::size_t groupOf(const Node& channel) const;

    ReferenceHost& host_;
    // The channels in "Channels" per group (the last: those of no group).
    std::vector<std::size_t> groupSizes_;
    // Each listed channel's index, made when first asked after a channel was listed.
    mutable std::unordered_map<const Node*, int> channelIndices_;
};

}  // namespace RefHost
