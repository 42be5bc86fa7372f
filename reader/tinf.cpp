// "TINF": one track of the project. Each chunk creates one host track at once, names and
// colours it, and stores the file's mixer settings on it as attributes, which the track
// and channel builders read back once the whole file is read.
#include <cmath>
#include <string>

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
// A send: bus id (i16), enabled (u8), level (f32).
constexpr std::uint64_t kSendRecordSize = 2 + 1 + 4;
constexpr std::uint8_t kInstrumentTrack = 0;
constexpr std::uint8_t kAudioTrack = 1;

// The host side of the track being read. When the host cannot create or insert the track,
// it is empty and every step does nothing, while the chunk is still read to its end.
class HostTrack {
public:
    HostTrack(const HostSession& host, std::uint8_t type) : host_(host) {
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

}  // namespace

void readTrackInfo(ChunkView& in, HostSession& session, SongModel& song) {
    const std::uint16_t version = song.header.fileVersion;
    const std::uint32_t minimum = minimumTrackInfoSize(version);
    in.readSize(minimum, "TINF chunk size too short");

    const std::uint16_t number = in.u16("cannot read number of track");
    const std::uint8_t type = in.u8In(kInstrumentTrack, kAudioTrack, "cannot read type of track");
    ++song.tracksRead;
    song.track.number = number;
    song.track.type = type;
    song.track.present = true;
    song.track.host.reset();

    HostTrack host(session, type);
    song.track.host = host.track();

    const std::u16string name = in.text();
    host.setName(name);
    host.setString(Key::kName, name);

    const std::uint32_t instrument = in.u32("cannot read instrument ID of track");
    host.setInt(Key::kInstrumentId, instrument);
    host.setInt(Key::kNumber, number);
    if (type == kInstrumentTrack && instrumentPluginName(instrument).empty())
        session.note(Host::kNoteInstrumentMissing, number,
                     "instrument id " + std::to_string(instrument) +
                         ": not built; the host has no instrument for it");

    host.setColor(in.u32In(0, 0xFFFFFF, "cannot read color of track"));

    host.setInt(Key::kMute, in.u8In(0, 1, "cannot read mute of track"));
    host.setInt(Key::kSolo, in.u8In(0, 1, "cannot read solo of track"));
    in.u8In(0, 1, "cannot read armed of track");
    in.u8In(0, 1, "cannot read monitoring of track");

    const float volume = in.f32In(0, 100, "cannot read volume of track");
    host.setFloat(Key::kVolume, volume);
    const float pan = in.f32In(-1, 1, "cannot read pan of track");
    host.setFloat(Key::kPan, pan);
    // A NaN passes the range checks; the channel builder sets what stands below.
    if (std::isnan(volume))
        session.note(Host::kNoteValueReplaced, number,
                     "volume: not a number in the file; the fader is set to its bottom");
    if (std::isnan(pan))
        session.note(Host::kNoteValueReplaced, number,
                     "pan: not a number in the file; set to the centre");
    in.f32In(0, 100, "cannot read attack duration of track");
    in.f32In(0, 100, "cannot read release duration of track");
    in.unit("cannot read attack offset of track");

    in.u8("cannot read audio input channel count of track");
    in.u8("cannot read audio input channel of track");
    in.u8("cannot read midi input port of track");
    in.u8("cannot read midi input channel of track");
    in.u8("cannot read midi output port of track");
    in.u8("cannot read midi output channel of track");

    const std::uint8_t sendCount = in.u8("cannot read send bus count of track");
    in.requireRecords(sendCount, kSendRecordSize,
                      {{2, "cannot read send bus ID of track"},
                       {1, "cannot read send bus enabled of track"},
                       {4, "cannot read send level of track"}});
    const bool withSends = hostAllows(session, HostFeature::EffectChannels);
    if (sendCount != 0 && !withSends)
        session.note(Host::kNoteEffectChannelsNotAllowed, number,
                     "sends: not built; this host edition has no effect channels");
    for (std::size_t n = 0; n < sendCount; ++n) {
        host.setInt(Key::sendKey(Key::kSendBus, n),
                    in.i16In(0, 100, "cannot read send bus ID of track"));
        host.setInt(Key::sendKey(Key::kSendEnabled, n),
                    in.u8In(0, 1, "cannot read send bus enabled of track"));
        const float level = in.unit("cannot read send level of track");
        host.setFloat(Key::sendKey(Key::kSendLevel, n), level);
        if (withSends && std::isnan(level))
            session.note(Host::kNoteValueReplaced, number,
                         "send level: not a number in the file; the send is set to its bottom");
    }

    // A frozen track is imported muted: its audio lives in the app's freeze file only.
    if (version >= 6 && in.u16("cannot read freeze track of track") != 0) {
        host.setInt(Key::kMute, 1);
        session.note(Host::kNoteTrackChanged, number,
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

}  // namespace Tessaro
