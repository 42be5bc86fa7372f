// The render's pieces on plain songs made in code: the pan law and the volume automation's
// gain, a track's fader with its automation, an audio track's events from their files, an
// instrument track's MIDI messages in frame order, and where the song ends.
#include <gtest/gtest.h>

#include <cmath>

#include "interchange/host_units.h"
#include "render/audio_track.h"
#include "render/fader.h"
#include "render/timeline.h"
#include "tests/render/render_support.h"
#include "tests/support/import_harness.h"
#include "tools/writer/tone_file.h"

using namespace Render;
using Interchange::AutomationLane;
using Interchange::Clip;
using Interchange::Track;
namespace fs = std::filesystem;

namespace {

// 120 bpm at 44100 Hz: a quarter note is 22050 frames.
const TimeScale kTime(120, 44100);

Clip notesClip(double time, double duration, std::vector<Interchange::Note> notes,
               std::vector<Interchange::ControlEvent> events = {}, bool muted = false) {
    Clip clip;
    clip.name = {"Part", false};
    clip.time = time;
    clip.duration = duration;
    clip.notes = std::move(notes);
    clip.events = std::move(events);
    clip.muted = muted;
    return clip;
}

std::string describe(const MidiMessage& m) {
    static const char* kinds[] = {"off", "control", "on", "empty off"};
    return std::to_string(m.frame) + " " + kinds[static_cast<int>(m.kind)] + " " + std::to_string(m.first) +
           " " + std::to_string(m.second);
}

}  // namespace

TEST(PanLaw, IsEqualPowerAndVolumeAutomationReachesTwelveDecibels) {
    const struct {
        double position, left, right;
    } pans[] = {{0, 1, 0}, {0.5, std::sqrt(0.5), std::sqrt(0.5)}, {1, 0, 1}, {-3, 1, 0},
                {7, 0, 1}, {NAN, std::sqrt(0.5), std::sqrt(0.5)}};
    for (const auto& p : pans) {
        SCOPED_TRACE(p.position);
        const auto g = Interchange::panGains(p.position);
        EXPECT_NEAR(g.left, p.left, 1e-15);
        EXPECT_NEAR(g.right, p.right, 1e-15);
        EXPECT_NEAR(g.left * g.left + g.right * g.right, 1.0, 1e-15);
    }
    EXPECT_DOUBLE_EQ(Interchange::volumeAutomationGain(1), 3.981071706);
    EXPECT_NEAR(20 * std::log10(Interchange::volumeAutomationGain(1)), 12.0, 1e-6);
    EXPECT_DOUBLE_EQ(Interchange::volumeAutomationGain(0.5), 3.981071706 / 16);
    EXPECT_EQ(Interchange::volumeAutomationGain(0), 0.0);
    EXPECT_EQ(Interchange::volumeAutomationGain(-1), 0.0);
}

TEST(TrackFader, TakesTheChannelsVolumeAndPanUnlessAutomationStandsInTheirPlace) {
    Track t;
    Interchange::Channel c;
    c.volume = 0.5;
    c.pan = 0.25;
    t.channel = c;
    const Fader plain(t, kTime);
    const auto pan = Interchange::panGains(0.25);
    EXPECT_DOUBLE_EQ(plain.at(0).left, 0.5 * pan.left);
    EXPECT_DOUBLE_EQ(plain.at(1'000'000).right, 0.5 * pan.right);

    // Volume from 0.5 at quarter 1 up to 1 at quarter 3; pan from left at 1 to right at 2.
    t.automation = {{AutomationLane::Kind::Volume, {{3, 1.0}, {1, 0.5}}},
                    {AutomationLane::Kind::Pan, {{1, 0}, {2, 1}}}};
    const Fader automated(t, kTime);
    const struct {
        std::int64_t frame;
        double volume, pan;
    } points[] = {{0, 0.5, 0},      {22050, 0.5, 0}, {33075, 0.625, 0.5},
                  {44100, 0.75, 1}, {66150, 1, 1},   {999999, 1, 1}};
    for (const auto& p : points) {
        SCOPED_TRACE(p.frame);
        const double gain = Interchange::volumeAutomationGain(p.volume);
        const auto g = automated.at(p.frame);
        EXPECT_NEAR(g.left, gain * Interchange::panGains(p.pan).left, 1e-12);
        EXPECT_NEAR(g.right, gain * Interchange::panGains(p.pan).right, 1e-12);
    }
    float left[2] = {1, 1}, right[2] = {1, 1};
    automated.apply(left, right, 33075, 2);
    EXPECT_FLOAT_EQ(left[0], static_cast<float>(automated.at(33075).left));
    EXPECT_FLOAT_EQ(right[1], static_cast<float>(automated.at(33076).right));
}

TEST(TrackMessages, ComeInFrameOrderWithWhatCannotBePlayedListed) {
    Track t;
    t.name = {"Keys", false};
    t.clips = {notesClip(4, 2,
                         {{0, 1, 60, 100},
                          {1, 0, 62, 90},      // no length: its off comes after its on
                          {1, 1, 60, 200},     // velocity held at 127
                          {0.5, 1, 64, 0},     // sounds nothing
                          {2, 1, 65, 100},     // at the part's end
                          {-0.5, 1, 66, 100},  // before its start
                          {0, 1, 130, 100}},
                         {{1, Interchange::ControlKind::Controller, 64, 300},
                          {1, Interchange::ControlKind::Controller, 200, 1},
                          {0.5, Interchange::ControlKind::PitchBend, 0, 12288},
                          {1.5, Interchange::ControlKind::ProgramChange, 0, 128},
                          {3, Interchange::ControlKind::Aftertouch, 0, 5}}),
               notesClip(0, 8, {{0, 1, 48, 100}}, {}, true)};
    Interchange::LeftOutList leftOut;
    std::vector<std::string> messages;
    for (const auto& m : trackMessages(t, kTime, 0, leftOut)) messages.push_back(describe(m));
    EXPECT_EQ(messages,
              (std::vector<std::string>{"88200 on 60 100", "99225 control 12288 0", "110250 off 60 0",
                                        "110250 control 64 127", "110250 on 62 90", "110250 on 60 127",
                                        "110250 empty off 62 0", "132300 off 60 0"}));
    std::vector<std::string> listed;
    for (const auto& l : leftOut.entries()) listed.push_back(l.what + " x" + std::to_string(l.count));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "notes outside their part x2", "notes with a key outside 0 to 127 x1",
                          "controller-like values above 127, played as 127 x1",
                          "controller events with a number above 127 x1", "program changes above 127 x1",
                          "controller-like events outside their part x1"}));
}

TEST(SongEnd, IsTheSongsLengthOrTheLastContentHeardWhereThatIsLater) {
    Interchange::Song song;
    Track keys;
    keys.kind = Track::Kind::Instrument;
    keys.clips = {notesClip(0, 4, {}), notesClip(4, 8, {}, {}, true)};
    song.tracks = {keys};
    EXPECT_EQ(songEnd(song, kTime), 4 * 22050);
    song.length = 6;
    EXPECT_EQ(songEnd(song, kTime), 6 * 22050);
    song.tracks[0].clips[1].muted = false;
    EXPECT_EQ(songEnd(song, kTime), 12 * 22050);
}

TEST(AudioTrackRender, PlaysEachEventFromItsFileWithItsGainAndFades) {
    TessaroTest::TempFolder folder;
    TessaroWriter::Tone tone;
    tone.channels = 1;
    tone.seconds = 1;
    tone.sampleSize = 32;
    ASSERT_TRUE(TessaroWriter::writeToneFile(folder.path() / "mono.wav", tone));
    const TessaroTest::Wave file = TessaroTest::readWave(folder.path() / "mono.wav");

    // From quarter 1 for a quarter (22050 frames), 1000 frames into the file, at half
    // volume, with fades of a tenth of a quarter (2205 frames); beyond: a muted event, one
    // at another rate, one without a file and one whose file is gone.
    Track t;
    t.name = {"Voice", false};
    Clip event;
    event.kind = Clip::Kind::Audio;
    event.time = 1;
    event.duration = 1;
    event.offset = 1000.0 / 44100;
    event.gain = 0.5;
    event.fadeIn = event.fadeOut = 0.1;
    event.file = Interchange::AudioFile{folder.path() / "mono.wav", 44100, 1, 44100};
    Clip muted = event, otherRate = event, noFile = event, gone = event;
    muted.time = otherRate.time = noFile.time = gone.time = 3;
    muted.muted = true;
    otherRate.file->sampleRate = 48000;
    noFile.file.reset();
    gone.file->path = folder.path() / "gone.wav";
    t.clips = {event, muted, otherRate, noFile, gone};
    Interchange::LeftOutList leftOut;
    AudioTrack track(t, kTime, 44100, leftOut);
    std::vector<float> left(4096), right(4096);
    std::size_t heard = 0;
    for (std::int64_t at = 0; at < 5 * 22050; at += 4096) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(4096, 5 * 22050 - at));
        track.render(left.data(), right.data(), at, n);
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int64_t f = at + i, k = f - 22050;
            const double expected =
                k >= 0 && k < 22050 ? file.at(static_cast<std::size_t>(1000 + k), 0) *
                                          AudioTrack::eventGain({22050, 22050, 1000, 0.5, 2205, 2205, {}}, k)
                                    : 0.0;
            ASSERT_NEAR(left[static_cast<std::size_t>(i)], expected, 1e-7) << f;
            ASSERT_EQ(left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]) << f;
            heard += expected != 0;
        }
    }
    EXPECT_GT(heard, 20000u);
    // The fades: straight lines from and to silence.
    const AudioTrack::Event e{0, 100, 0, 0.5, 10, 20, {}};
    EXPECT_EQ(AudioTrack::eventGain(e, 0), 0.0);
    EXPECT_DOUBLE_EQ(AudioTrack::eventGain(e, 5), 0.25);
    EXPECT_DOUBLE_EQ(AudioTrack::eventGain(e, 50), 0.5);
    EXPECT_DOUBLE_EQ(AudioTrack::eventGain(e, 89), 0.25);
    EXPECT_EQ(AudioTrack::eventGain(e, 99), 0.0);
    std::vector<std::string> listed;
    for (const auto& l : leftOut.entries()) listed.push_back(l.what);
    EXPECT_EQ(listed, (std::vector<std::string>{"audio file at another sample rate than the song's",
                                                "audio event without a file", "audio file not readable"}));
}
