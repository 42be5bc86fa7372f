// "TINF": one track of the project. Each chunk creates one host track at once, names and
// colours it, and stores the file's mixer settings on it as attributes, which the track
// and channel builders read back once the whole file is read.
#include <cmath>
#include <string>
#include <tuple>

#include "hostkit/diagnostics.h"
#include "hostkit/edition.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "instruments/instrument_setup.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"

namespace Tessaro {

namespace {

// The fixed fields behind the size field, each text counted by its 2-byte count only.
std::uint32_t minimumTrackInfoSize(std::uint16_t version) {
    if (version >= 14) return 64;
    if (version >= 10) return 60;
    if (version >= 9) return 56;
    if (version >= 8) return 55;
    if (version >= 7) return 51;
    if (version >= 6) return 46;
    return 44;
}

namespace Key = TrackAttribute;

constexpr std::uint32_t kOpaque = 0xFF000000;
// A send: the bus it feeds, whether it is on, and its level.
constexpr std::tuple kSendFields{
    TypedField<std::int16_t>{"cannot read send bus ID of track", 0, 100},
    TypedField<std::uint8_t>{"cannot read send bus enabled of track", 0, 1},
    TypedField<float>{"cannot read send level of track", 0.0f, 1.0f},
};

// The host side of the track being read. When the host cannot create or insert the track,
// it is empty and every step does nothing, while the chunk is still read to its end.
class HostTrack {
public:
    HostTrack(const HostSession& host, TrackKind type) : host_(host) {
        const auto factory = queryTo<Host::IObjectFactory>(host.project);
        IPtr<Host::FUnknown> object;
        if (!factory || !host.edit ||
            factory->createObject(type == kInstrumentTrack ? "instrument" : "audio",
                                  object.put()) != Host::kResultOk ||
            !object ||
            host.edit->insertObject(host.project.get(), object.get()) != Host::kResultOk)
            return;
        track_ = queryTo<Host::ITrack>(object);
        projectObject_ = queryTo<Host::IProjectObject>(object);
        attributes_ = attributesOf(track_.get());
    }

    const IPtr<Host::ITrack>& track() const { return track_; }

    void setName(const std::u16string& name) {
        if (projectObject_)
            projectObject_->setName(host_.project.get(), name.c_str(), host_.edit.get());
    }
    void setColor(std::uint32_t rgb) {
        if (projectObject_)
            projectObject_->setColor(host_.project.get(), kOpaque | rgb, host_.edit.get());
    }
    void setInt(const std::string& key, std::int64_t value) {
        if (attributes_) setIntAttribute(*attributes_, key.c_str(), value, Notify::Views);
    }
    void setFloat(const std::string& key, double value) {
        if (attributes_) setFloatAttribute(*attributes_, key.c_str(), value, Notify::Views);
    }
    void setString(const std::string& key, const std::u16string& value) {
        if (attributes_) setStringAttribute(*attributes_, key.c_str(), value, Notify::Views);
    }

private:
    const HostSession& host_;
    IPtr<Host::ITrack> track_;
    IPtr<Host::IProjectObject> projectObject_;
    IPtr<Host::IAttributeList> attributes_;
};

// The track being read: its number for the notes, its host side, the run's notes.
struct TrackRead {
    std::uint16_t number;
    HostTrack& host;
    ImportNotes& notes;
};

// The name, the instrument and the colour.
void readIdentity(ChunkView& in, const TrackRead& track, TrackKind type) {
    const std::u16string name = in.text();
    track.host.setName(name);
    track.host.setString(Key::kName, name);

    const std::uint32_t instrument = in.u32("cannot read instrument ID of track");
    track.host.setInt(Key::kInstrumentId, instrument);
    track.host.setInt(Key::kNumber, track.number);
    if (type == kInstrumentTrack && instrumentPluginName(instrument).empty())
        track.notes.add(Host::kNoteInstrumentMissing, track.number,
                        "instrument id " + std::to_string(instrument) +
                            ": not built; the host has no instrument for it");

    track.host.setColor(in.u32In(0, 0xFFFFFF, "cannot read color of track"));
}

// The mixer state: mute, solo, volume and pan go to the host; the rest is checked only.
void readMixerState(ChunkView& in, const TrackRead& track) {
    track.host.setInt(Key::kMute, in.u8In(0, 1, "cannot read mute of track"));
    track.host.setInt(Key::kSolo, in.u8In(0, 1, "cannot read solo of track"));
    in.u8In(0, 1, "cannot read armed of track");
    in.u8In(0, 1, "cannot read monitoring of track");

    const float volume = in.f32In(0, 100, "cannot read volume of track");
    track.host.setFloat(Key::kVolume, volume);
    const float pan = in.f32In(-1, 1, "cannot read pan of track");
    track.host.setFloat(Key::kPan, pan);
    // A NaN passes the range checks; the channel builder sets what stands below.
    if (std::isnan(volume))
        track.notes.add(Host::kNoteValueReplaced, track.number,
                        "volume: not a number in the file; the fader is set to its bottom");
    if (std::isnan(pan))
        track.notes.add(Host::kNoteValueReplaced, track.number,
                        "pan: not a number in the file; set to the centre");
    in.f32In(0, 100, "cannot read attack duration of track");
    in.f32In(0, 100, "cannot read release duration of track");
    in.unit("cannot read attack offset of track");
}

// The audio and MIDI routing: checked only.
void readRouting(ChunkView& in) {
    in.u8("cannot read audio input channel count of track");
    in.u8("cannot read audio input channel of track");
    in.u8("cannot read midi input port of track");
    in.u8("cannot read midi input channel of track");
    in.u8("cannot read midi output port of track");
    in.u8("cannot read midi output channel of track");
}

// The send count and the sends, each set on the track as its three attributes.
void readSends(ChunkView& in, const TrackRead& track, bool withSends) {
    const std::uint8_t sendCount = in.u8("cannot read send bus count of track");
    in.requireRecords(sendCount, recordSize(kSendFields), kSendFields);
    if (sendCount != 0 && !withSends)
        track.notes.add(Host::kNoteEffectChannelsNotAllowed, track.number,
                        "sends: not built; this host edition has no effect channels");
    const auto& [busField, enabledField, levelField] = kSendFields;
    for (std::size_t n = 0; n < sendCount; ++n) {
        track.host.setInt(Key::sendKey(Key::kSendBus, n), in.read(busField));
        track.host.setInt(Key::sendKey(Key::kSendEnabled, n), in.read(enabledField));
        const float level = in.read(levelField);
        track.host.setFloat(Key::sendKey(Key::kSendLevel, n), level);
        if (withSends && std::isnan(level))
            track.notes.add(Host::kNoteValueReplaced, track.number,
                            "send level: not a number in the file; the send is set to its bottom");
    }
}

// The fields later file versions added behind the sends.
void readLaterFields(ChunkView& in, const TrackRead& track, std::uint16_t version) {
    // A frozen track is imported muted: its audio lives in the app's freeze file only.
    if (version >= 6 && in.u16("cannot read freeze track of track") != 0) {
        track.host.setInt(Key::kMute, 1);
        track.notes.add(Host::kNoteTrackChanged, track.number,
                        "frozen track: imported muted; its sound lives in the app's freeze file");
    }
    if (version >= 7) {
        in.unit("cannot read modulation of track");
        const std::uint8_t outputCount = in.u8In(0, 64, "cannot read output count of track");
        for (std::uint8_t i = 0; i < outputCount; ++i)
            in.u8In(0, 64, "cannot read output bus channel of track");
    }
    if (version >= 8) in.u32("cannot read audio input ID of track");
    if (version >= 9) in.u8("cannot read automation mode of track");
    if (version >= 10) in.f32In(0, 48, "cannot read pitch bend range of track");
    if (version >= 14) {
        in.text();
        in.text();
    }
}

}  // namespace

void readTrackInfo(ChunkView& in, const HostSession& session, ImportNotes& notes,
                   SongModel& song) {
    const std::uint16_t version = song.header.fileVersion;
    in.readSize(minimumTrackInfoSize(version), "TINF chunk size too short");

    const std::uint16_t number = in.u16("cannot read number of track");
    const auto type = static_cast<TrackKind>(
        in.u8In(kInstrumentTrack, kAudioTrack, "cannot read type of track"));
    ++song.tracksRead;
    song.track.number = number;
    song.track.type = type;
    song.track.present = true;
    song.track.host.reset();

    HostTrack host(session, type);
    song.track.host = host.track();
    const TrackRead track{number, host, notes};

    readIdentity(in, track, type);
    readMixerState(in, track);
    readRouting(in);
    readSends(in, track, hostAllows(session, HostFeature::EffectChannels));
    readLaterFields(in, track, version);
}

}  // namespace Tessaro
