// The build driver: once the whole file is read, it finds the tracks the track info reader
// created in the host and completes each from its attributes and the song model:
// instrument and preset, channel values, inserts and sends; then the automation.
#include "builder/build_driver.h"

#include <limits>
#include <optional>
#include <set>
#include <string>

#include "base/text.h"
#include "builder/automation.h"
#include "builder/channel_settings.h"
#include "builder/sends.h"
#include "effects/inserts.h"
#include "hostkit/edition.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "instruments/instrument_setup.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

using TrackList = std::vector<IPtr<Host::IProjectObject>>;

void walk(Host::IObjectTree* tree, bool withEffects, TrackList& tracks) {
    IPtr<Host::IObjectIterator> children;
    if (!tree || tree->getChildren(children.put()) != Host::kResultOk || !children) return;
    while (!children->atEnd()) {
        IPtr<Host::IProjectObject> object;
        if (children->next(object.put()) != Host::kResultOk || !object) break;
        if (!object->isKind("track")) continue;
        if (object->isKind("instrument") || object->isKind("audio") ||
            (withEffects && object->isKind("effect")))
            tracks.push_back(object);
        // A folder's tracks follow the folder's place.
        IPtr<Host::IObjectTree> subTree;
        if (tree->getSubTree(object.get(), subTree.put()) == Host::kResultOk && subTree)
            walk(subTree.get(), withEffects, tracks);
    }
}

IPtr<Host::ITrack> hostTrackOf(Host::IProjectObject* object) {
    IPtr<Host::ITrack> track;
    if (object->getTrack(track.put()) != Host::kResultOk) track.reset();
    return track;
}

}  // namespace

// Reads as a decimal scan does: leading blanks, a sign, then digits (saturating).
std::int32_t effectBusNumber(std::u16string_view name) {
    if (name.size() <= 4) return 0;
    name.remove_prefix(4);
    std::size_t pos = 0;
    while (pos < name.size() && (name[pos] == u' ' || (name[pos] >= u'\t' && name[pos] <= u'\r')))
        ++pos;
    bool negative = false;
    if (pos < name.size() && (name[pos] == u'-' || name[pos] == u'+'))
        negative = name[pos++] == u'-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    for (; pos < name.size() && name[pos] >= u'0' && name[pos] <= u'9'; ++pos)
        value = std::min(value * 10 + (name[pos] - u'0'), kLimit);
    return static_cast<std::int32_t>(negative ? -value : value);
}

namespace {

// Each track builder returns the track's number, as the insert build read it (none when the
// track has none).
std::optional<std::int64_t> buildInstrumentTrack(const HostSession& host, ImportNotes& notes,
                                                 const SongModel& song, Host::ITrack* track,
                                                 bool withSends) {
    const auto attributes = attributesOf(track);
    const auto id = attrInt(attributes.get(), TrackAttribute::kInstrumentId).value_or(0);
    const std::string plugin = instrumentPluginName(static_cast<std::uint64_t>(id));
    const auto channel = queryTo<Host::IChannel>(track);
    setupInstrument(host, notes, song, track, plugin, channel.get());
    applyPan(track);
    applyMuteSoloVolume(host, song, track);
    const auto number = buildTrackInserts(host, notes, song, track);
    if (withSends) buildSends(host, song, track);
    // The instrument set-up may rename the track after its preset; the file's name wins.
    if (const auto name = attrString(attributes.get(), TrackAttribute::kName); name && attributes)
        attributes->setName(host.project.get(), name->c_str(), host.edit.get());
    return number;
}

std::optional<std::int64_t> buildAudioTrack(const HostSession& host, ImportNotes& notes,
                                            const SongModel& song, Host::ITrack* track,
                                            bool withSends) {
    applyPan(track);
    applyMuteSoloVolume(host, song, track);
    const auto number = buildTrackInserts(host, notes, song, track);
    if (withSends) buildSends(host, song, track);
    return number;
}

// Returns the effect bus the channel plays.
std::int32_t buildEffectTrack(const HostSession& host, ImportNotes& notes, const SongModel& song,
                              Host::IProjectObject* object, Host::ITrack* track) {
    const std::u16string name =
        readHostText([&](char16_t* b, Host::int32 n) { return object->getName(b, n); });
    const std::int32_t bus = effectBusNumber(name);
    buildEffectChannelInserts(host, notes, song, track, bus);
    return bus;
}

}  // namespace

std::vector<IPtr<Host::IProjectObject>> collectTracks(const HostSession& host,
                                                      Host::IObjectTree* tree) {
    TrackList tracks;
    walk(tree, hostAllows(host, HostFeature::EffectChannels), tracks);
    return tracks;
}

IPtr<Host::ITrack> findTrackByNumber(const HostSession& host, std::int64_t number) {
    for (const auto& object : collectTracks(host, host.projectRoot.get())) {
        if (!object->isKind("track") || !(object->isKind("instrument") || object->isKind("audio")))
            continue;
        auto track = hostTrackOf(object.get());
        if (!track) continue;
        const auto attributes = attributesOf(track.get());
        if (attrInt(attributes.get(), TrackAttribute::kNumber).value_or(0) == number) return track;
    }
    return {};
}

void buildProject(const HostSession& host, ImportNotes& notes, const SongModel& song) {
    const bool withEffects = hostAllows(host, HostFeature::EffectChannels);
    // The tracks and effect buses built, for the notes of the effects no channel took.
    std::set<std::int64_t> trackNumbers;
    std::set<std::int32_t> busNumbers;
    for (const auto& object : collectTracks(host, host.projectRoot.get())) {
        if (!object || !object->isKind("track")) continue;
        const auto track = hostTrackOf(object.get());
        if (!track) continue;
        std::optional<std::int64_t> number;
        if (object->isKind("instrument"))
            number = buildInstrumentTrack(host, notes, song, track.get(), withEffects);
        else if (object->isKind("audio"))
            number = buildAudioTrack(host, notes, song, track.get(), withEffects);
        else if (object->isKind("effect") && withEffects)
            busNumbers.insert(buildEffectTrack(host, notes, song, object.get(), track.get()));
        if (number) trackNumbers.insert(*number);
    }
    noteEffectsLeftOut(host, notes, song, trackNumbers, busNumbers);
    buildAutomation(host, notes, song);
}

}  // namespace Tessaro
