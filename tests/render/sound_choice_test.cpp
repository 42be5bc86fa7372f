// The General MIDI sound of an instrument track, the stem file names and the soundfont
// search: the tables of docs/render.md, case by case.
#include <gtest/gtest.h>

#include "render/render.h"
#include "render/sound_choice.h"
#include "render/soundfont.h"

using namespace Render;
using Interchange::Device;
using Interchange::Track;

namespace {

// An instrument track of plugin showing preset (empty: the plug-in's name), on channel.
Track instrumentTrack(std::string name, std::string plugin, std::string preset, std::int32_t channel = 0,
                      std::optional<std::string> state = std::nullopt) {
    Track t;
    t.kind = Track::Kind::Instrument;
    t.name = {std::move(name), false};
    t.midiChannel = channel;
    Interchange::Channel c;
    Device d;
    d.role = Device::Role::Instrument;
    d.plugin = plugin;
    d.name = {preset.empty() ? plugin : preset, false};
    if (state) d.stateName = Interchange::Text{*state, false};
    if (state || !preset.empty()) d.preset = Interchange::Text{state ? *state : preset, false};
    c.devices.push_back(std::move(d));
    t.channel = std::move(c);
    return t;
}

}  // namespace

TEST(SoundChoice, PresetsNamingGeneralMidiSoundsPlayThem) {
    Track piano = instrumentTrack("Keys", "Miravox Lite", "[GM 001] Acoustic Grand Piano");
    piano.gmProgram = 0;
    const SoundChoice p = chooseSound(piano);
    EXPECT_EQ(p.bank, 0);
    EXPECT_EQ(p.program, 0);
    EXPECT_FALSE(p.drums);
    EXPECT_FALSE(p.substituted());

    const struct {
        std::int32_t gm;
        std::int32_t program;
        const char* kit;
    } kits[] = {{129, 0, "Standard"}, {130, 25, "Analog"}, {131, 32, "Jazz"},       {132, 0, "Standard"},
                {133, 8, "Room"},     {134, 16, "Power"},  {135, 24, "Electronic"}, {140, 0, "Standard"}};
    for (const auto& k : kits) {
        SCOPED_TRACE(k.gm);
        Track t = instrumentTrack("Beat", "Miravox Lite", "[GM " + std::to_string(k.gm) + "] Kit", 9);
        t.gmKit = k.gm;
        const SoundChoice c = chooseSound(t);
        EXPECT_EQ(c.bank, kDrumBank);
        EXPECT_EQ(c.program, k.program);
        EXPECT_TRUE(c.drums);
        EXPECT_FALSE(c.substituted());
        EXPECT_STREQ(kitName(kitOfGmNumber(k.gm)), k.kit);
    }
}

TEST(SoundChoice, OtherSoundsGetASubstituteByThePresetsNameThenTheTracksName) {
    const struct {
        Track track;
        std::int32_t bank;
        std::int32_t program;
        SoundChoice::By by;
        const char* from;
    } cases[] = {
        {instrumentTrack("Synth", "Analora", "", 0, "Warm Pad"), 0, 89, SoundChoice::By::Name, "Warm Pad"},
        {instrumentTrack("Synth", "Analora", "", 0, "R&B Lead"), 0, 80, SoundChoice::By::Name, "R&B Lead"},
        {instrumentTrack("Synth", "Miravox Lite", "Saw I-V"), 0, 81, SoundChoice::By::Name, "Saw I-V"},
        {instrumentTrack("Synth", "Miravox Lite", "Hop Hip Bass"), 0, 38, SoundChoice::By::Name,
         "Hop Hip Bass"},
        {instrumentTrack("Synth", "Miravox Lite", "Fretless Bass"), 0, 35, SoundChoice::By::Name,
         "Fretless Bass"},
        {instrumentTrack("Synth", "Miravox Lite", "1990s Synth Strings"), 0, 50, SoundChoice::By::Name,
         "1990s Synth Strings"},
        {instrumentTrack("Synth", "Miravox Lite", "Digi Layer Keys"), 0, 4, SoundChoice::By::Name,
         "Digi Layer Keys"},
        {instrumentTrack("Synth", "Miravox Lite", "Metallic Kit"), 128, 0, SoundChoice::By::Name,
         "Metallic Kit"},
        {instrumentTrack("Deep Bass", "Analora", ""), 0, 38, SoundChoice::By::TrackName, "Deep Bass"},
        {instrumentTrack("Frozen", "Miravox Lite", "Frozen Lake"), 0, kFixedProgram, SoundChoice::By::Fixed,
         ""},
        {instrumentTrack("Drums", "Beatwright Lite", "", 9), 128, 0, SoundChoice::By::Fixed, ""},
        {instrumentTrack("Rock Drums", "Beatwright Lite", "", 9), 128, 16, SoundChoice::By::TrackName,
         "Rock Drums"},
        {instrumentTrack("Beat", "Beatwright Lite", "Modern Hip Hop Kit 1", 9), 128, 25,
         SoundChoice::By::Name, "Modern Hip Hop Kit 1"},
        {instrumentTrack("Beat", "Beatwright Lite", "Progressive House Kit 2", 9), 128, 24,
         SoundChoice::By::Name, "Progressive House Kit 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track.name.utf8 + " / " + c.track.channel->devices.front().name.utf8);
        const SoundChoice choice = chooseSound(c.track);
        EXPECT_EQ(choice.bank, c.bank);
        EXPECT_EQ(choice.program, c.program);
        EXPECT_EQ(choice.drums, c.bank == kDrumBank);
        EXPECT_EQ(choice.by, c.by);
        EXPECT_EQ(choice.from, c.from);
        EXPECT_TRUE(choice.substituted());
    }
    // Words are whole words: "Deep" holds no "ep".
    std::int32_t program = -1;
    EXPECT_FALSE(programByName("Frozen Lake Deep", program));
}

TEST(StemNames, ArePlaceAndNameMadeSafeForAFileSystem) {
    const struct {
        std::size_t position, count;
        std::string name, file;
    } cases[] = {
        {3, 4, "Synth", "03 Synth.wav"},
        {12, 120, "Bass", "012 Bass.wav"},
        {1, 2, "a/b\\c:d*e?f\"g<h>i|j", "01 a_b_c_d_e_f_g_h_i_j.wav"},
        {2, 2, "Lead.  ", "02 Lead.wav"},
        {2, 2, "", "02 Track.wav"},
        {2, 2, "..", "02 Track.wav"},
        {5, 9, std::string("tab\there"), "05 tab_here.wav"},
        {1, 1, std::string(150, 'x') + "\xC3\xA9" + std::string(100, 'y'),
         "01 " + std::string(150, 'x') + "\xC3\xA9" + std::string(48, 'y') + ".wav"},
        {1, 1, std::string(199, 'x') + "\xC3\xA9", "01 " + std::string(199, 'x') + ".wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stemFileName(c.position, c.count, c.name), c.file);
    }
}

TEST(SoundfontSearch, TakesTheNamedFileThenTheVariableThenTheFirstDefaultThatExists) {
    const std::filesystem::path here = TESSARO_SOURCE_DIR "/README.md";
    const std::filesystem::path gone = "/nonexistent/Gone.sf2";
    EXPECT_EQ(findSoundfont(here, std::string("/x"), {gone}), here);
    EXPECT_EQ(findSoundfont({}, here.string(), {gone}), here);
    EXPECT_EQ(findSoundfont({}, std::string(), {gone, here}), here);
    EXPECT_EQ(findSoundfont({}, std::nullopt, {gone, here}), here);

    const struct {
        std::filesystem::path named;
        std::optional<std::string> variable;
        std::string message;
    } failures[] = {
        {gone, std::nullopt, "no soundfont: --soundfont \"/nonexistent/Gone.sf2\" does not exist; "},
        {{},
         gone.string(),
         "no soundfont: $TESSARO_SOUNDFONT names \"/nonexistent/Gone.sf2\", which does not exist; "},
        {{},
         std::nullopt,
         "no soundfont: none named (--soundfont, $TESSARO_SOUNDFONT) and none of \"/nonexistent/Gone.sf2\", "
         "\"/nonexistent/Other.sf2\" exists; "},
    };
    const std::string hint =
        "install one (apt install fluid-soundfont-gm, or the small timgm6mb-soundfont) or name one with "
        "--soundfont FILE or $TESSARO_SOUNDFONT";
    for (const auto& f : failures) {
        SCOPED_TRACE(f.message);
        try {
            findSoundfont(f.named, f.variable, {gone, "/nonexistent/Other.sf2"});
            ADD_FAILURE() << "no error";
        } catch (const SoundfontError& e) {
            EXPECT_EQ(e.what(), f.message + hint);
        }
    }
    EXPECT_EQ(defaultSoundfonts(),
              (std::vector<std::filesystem::path>{"/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                                  "/usr/share/sounds/sf2/TimGM6mb.sf2"}));
}
