// The song read from a host's document that the host made itself, in states an import of
// the app's files does not leave: each host edition's own channel devices, song states
// without a tempo or with a rate of no whole resolution, names beyond the basic plane.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "hostkit/track_attributes.h"
#include "interchange/host_song.h"
#include "refhost/reference_host.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
using Interchange::Song;
using RefHost::Document;
using RefHost::Node;

namespace {

std::string devicesOf(const Song& song) {
    std::string out;
    for (const auto& d : song.tracks.front().channel->devices) {
        out += d.plugin + (d.enabled ? " on:" : " off:");
        for (const auto& p : d.parameters)
            if (p.value != 0) out += " " + p.name + "=" + std::to_string(static_cast<int>(p.value));
        out += ";";
    }
    return out;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

TEST(HostSong, StatesOnlyTheHostMakesAreReadAsTheSongHasThem) {
    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* label;
        const char* host;  // empty: the default
        std::function<void(Document&, Node&)> change;
        std::function<std::string(const Song&)> read;
        std::string expected;
        const char* file = "Song.tsp";
    };
    const auto tempo = [](const Song& s) {
        return number(s.tempo) + " bpm, " +
               (s.ticksPerWholeNote ? std::to_string(*s.ticksPerWholeNote) : std::string("no")) + " ticks";
    };
    const auto fileNumber = [](const Song& s) {
        const auto& n = s.tracks.front().fileNumber;
        return n ? std::to_string(*n) : std::string("none");
    };
    const Case cases[] = {
        {"a title of another extension", "", {}, [](const Song& s) { return s.title.utf8; }, "Song.bak",
         "Song.bak"},
        {"names beyond the basic plane", "",
         [](Document&, Node& t) { t.name = u"A\U0001F600\xDC00" u"B"; },
         [](const Song& s) {
             return s.tracks.front().name.utf8 + (s.tracks.front().name.replaced ? " replaced" : " kept");
         },
         "A\xF0\x9F\x98\x80\xEF\xBF\xBD" "B replaced"},
        {"no tempo and no rate", "", [](Document& d, Node&) { d.song.tempo.reset(); }, tempo, "120 bpm, no ticks"},
        {"a tempo that is no number", "", [](Document& d, Node&) { d.song.tempo = nan; }, tempo,
         "120 bpm, no ticks"},
        {"a rate of no whole resolution", "",
         [](Document& d, Node&) {
             d.song.tempo = 120;
             d.song.tempoRate = 2001;  // 1000.5 ticks a whole note
         },
         tempo, "120 bpm, no ticks"},
        {"a rate finer than any file's", "",
         [](Document& d, Node&) {
             d.song.tempo = 60;
             d.song.tempoRate = 2e6;
         },
         tempo, "60 bpm, no ticks"},
        {"a rate of the file's resolution", "",
         [](Document& d, Node&) {
             d.song.tempo = 90;
             d.song.tempoRate = 1500;
         },
         tempo, "90 bpm, 1000 ticks"},
        {"a length that is no number and a cycle's right end alone", "",
         [](Document& d, Node&) {
             d.song.length = nan;
             d.song.cycleRight = 1;
         },
         [](const Song& s) {
             return number(*s.length) + "; " + (s.cycle->active ? "on " : "off ") + number(s.cycle->left) +
                    " to " + number(s.cycle->right);
         },
         "0; off 0 to 8"},
        {"a file number beyond 32 bits", "",
         [](Document&, Node& t) { t.attributes[Tessaro::TrackAttribute::kNumber] = Host::int64{1} << 40; },
         fileNumber, "none"},
        {"a file number as text", "",
         [](Document&, Node& t) { t.attributes[Tessaro::TrackAttribute::kNumber] = std::u16string(u"7"); },
         fileNumber, "none"},
        {"a file number", "",
         [](Document&, Node& t) { t.attributes[Tessaro::TrackAttribute::kNumber] = Host::int64{7}; },
         fileNumber, "7"},
        {"the older channel's phase switch", "Ombrel 6.5.4",
         [](Document&, Node& t) { t.channel->findParameter("inputPhase")->set(1); }, devicesOf,
         "InputFilter on: inputPhase=1;"},
        {"the older channel's own EQ switched off", "Ombrel 6.5.4",
         [](Document&, Node& t) { t.channel->findChild("EQ")->findParameterByTag(4400)->set(0); },
         [](const Song& s) { return devicesOf(s).substr(0, 7); }, "EQ off:"},
        {"Larkwin's limiter slot bypassed", "Larkwin 6.0.1",
         [](Document&, Node& t) {
             t.channel->subNode->findChild("Channel Limiter Slot")->findParameter("bypass")->set(1);
         },
         devicesOf, "Channel Limiter off: bypass=1 Ceiling=200 Release=50;"},
        {"seventeen instruments share the fifteen melodic channels", "",
         [](Document& d, Node&) {
             for (int i = 1; i < 17; ++i) d.insertTrack(d.trackRoot, *d.createTrack("instrument"));
         },
         [](const Song& s) {
             std::string out;
             for (const auto& t : s.tracks)
                 if (t.kind == Interchange::Track::Kind::Instrument) out += std::to_string(t.midiChannel) + " ";
             return out;
         },
         "0 1 2 3 4 5 6 7 8 10 11 12 13 14 15 0 1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto host = makeHost(c.host);
        Document& document = host->document();
        Node* track = document.createTrack(std::string(c.label).starts_with("seventeen") ? "instrument" : "audio");
        ASSERT_NE(track, nullptr);
        ASSERT_EQ(document.insertTrack(document.trackRoot, *track), "");
        if (c.change) c.change(document, *track);
        EXPECT_EQ(c.read(Interchange::readSong(*host, c.file)), c.expected);
    }
}
