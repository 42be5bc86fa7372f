// tessaro-import --render, --stems and --with-stems, run as a user runs them, with the small
// soundfont: the mix is the sum of the stems heard, an audio track's stem is its converted
// copy at its fader, notes sound at their times, the same render gives the same bytes, bad
// input is one clear message and leaves nothing behind, and the stems inside a DAWproject
// file are muted audio tracks after their instrument tracks.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/resource.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "interchange/host_units.h"
#include "tests/interchange/export_support.h"
#include "tests/render/render_support.h"
#include "tests/support/folder_names.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

Json readJson(const fs::path& file) { return Json::parse(readFile(file)); }

// The scale of the host's faders, as its mixer reports it.
Interchange::FaderScale scaleOf(const Json& report) {
    return report.at("mixer").at("value") == 4.0 ? Interchange::FaderScale::Newer
                                                 : Interchange::FaderScale::Older;
}

// The gains of a track's fader and pan, from the host's values in the report.
Interchange::PanGains faderOf(const Json& report, const std::string& track) {
    for (const auto& t : report.at("tracks"))
        if (t.at("name") == track) {
            const double gain =
                Interchange::faderGain(scaleOf(report), t.at("channel").at("volume").get<double>());
            const auto pan = Interchange::panGains(
                Interchange::panPosition(t.at("channel").at("pan").get<double>(), 32767));
            return {gain * pan.left, gain * pan.right};
        }
    throw std::runtime_error("no track " + track);
}

double masterGain(const Json& report) {
    for (const auto& c : report.at("mixer").at("channels"))
        if (c.at("type") == "Output")
            for (const auto& p : c.at("parameters"))
                if (p.at("name") == "volume")
                    return Interchange::faderGain(scaleOf(report), p.at("value").get<double>());
    throw std::runtime_error("no output");
}

// The demo, or the demo with its drums not soloed.
fs::path writeDemo(const fs::path& folder, bool drumsSoloed) {
    TessaroWriter::ProjectFile demo = TessaroWriter::demoProject();
    for (auto& chunk : demo.chunks)
        if (auto* t = std::get_if<TessaroWriter::TrackInfoChunk>(&chunk);
            t && t->trackNumber == TessaroWriter::kDemoDrums)
            t->solo = drumsSoloed ? 1 : 0;
    const fs::path project = folder / "Demo.tsp";
    if (!demo.writeTo(project) || !TessaroWriter::writeDemoWaveFiles(folder))
        throw std::runtime_error("no demo");
    return project;
}

std::vector<std::string> renderArgs(const fs::path& project, std::vector<std::string> more) {
    std::vector<std::string> args{project.string(), "--soundfont", smallSoundfont().string()};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Five instrument tracks (more than the render's synthesizers), two bars of notes.
std::vector<InstrumentPart> fiveTracks() {
    std::vector<InstrumentPart> parts(5);
    const std::pair<const char16_t*, std::uint32_t> voices[] = {
        {u"Keys", 1}, {u"Bass", 20}, {u"Beat", 160}, {u"Strings", 110}, {u"Lead", 142}};
    for (std::size_t t = 0; t < parts.size(); ++t) {
        parts[t].name = voices[t].first;
        parts[t].instrumentId = voices[t].second;
        parts[t].length = 2 * 480;
        for (std::uint32_t i = 0; i < 8; ++i)
            parts[t].notes.push_back(
                {i * 120, 100, static_cast<std::uint8_t>(t == 2 ? 36 + 2 * (i % 2) : 48 + i), 100});
    }
    return parts;
}

}  // namespace

TEST(RenderCommand, TheMixIsTheSumOfTheStemsHeardThroughTheMaster) {
    const struct {
        bool soloed;
        std::set<std::string> heard;
    } cases[] = {{true, {"Drums"}}, {false, {"Piano", "Drums", "Vocals"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.soloed ? "drums soloed" : "no solo");
        TempFolder folder;
        const fs::path project = writeDemo(folder.path(), c.soloed);
        const fs::path mix = folder.path() / "Demo.wav", stems = folder.path() / "stems",
                       report = folder.path() / "r.json";
        const ToolRun run =
            runTool(renderArgs(project, {"--render", mix.string(), "--stems", stems.string(),
                                         "--render-format", "float", "--json", report.string()}));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(namesIn(stems),
                  (std::set<std::string>{"01 Piano.wav", "02 Drums.wav", "03 Synth.wav", "04 Vocals.wav"}));
        const Json json = readJson(report);
        const Json& render = json.at("render");
        EXPECT_EQ(render.at("written"), true);
        EXPECT_EQ(render.at("mix"), mix.string());
        EXPECT_EQ(render.at("format"), "float");
        std::set<std::string> heard;
        for (const auto& t : render.at("tracks"))
            if (t.at("heard") == true) heard.insert(t.at("track").get<std::string>());
        EXPECT_EQ(heard, c.heard);

        const Wave out = readWave(mix);
        EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        EXPECT_EQ(out.sampleRate, 44100);
        EXPECT_EQ(out.frames(), render.at("frames").get<std::size_t>());
        std::vector<double> sum(out.samples.size(), 0.0);
        for (const auto& t : render.at("tracks")) {
            const std::string name = t.at("track");
            const Wave stem = readWave(t.at("stem").get<std::string>());
            ASSERT_EQ(stem.frames(), out.frames()) << name;
            double peak = 0;
            for (const float x : stem.samples) peak = std::max(peak, std::fabs(static_cast<double>(x)));
            // Every stem sounds, the muted synth's too.
            EXPECT_GT(peak, 1e-3) << name;
            if (heard.contains(name))
                for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += stem.samples[i];
        }
        const double master = masterGain(json);
        double worst = 0, level = 0;
        for (std::size_t i = 0; i < sum.size(); ++i) {
            worst = std::max(worst, std::fabs(out.samples[i] - master * sum[i]));
            level = std::max(level, std::fabs(static_cast<double>(out.samples[i])));
        }
        EXPECT_LT(worst, 1e-6);
        EXPECT_GT(level, 1e-2);
    }
}

TEST(RenderCommand, TheReportTellsEachTracksSoundAndWhatTheRenderLeftOut) {
    TempFolder folder;
    const fs::path demo = writeDemo(folder.path(), true);
    InstrumentPart beat;
    beat.name = u"Beat";
    beat.instrumentId = 160;
    beat.notes = {{0, 60, 36, 100}, {240, 60, 38, 100}};
    // A program change (event type 4) to the sound effects kit (bank 128, program 56),
    // which the small soundfont lacks.
    beat.events = {{120, 56, TessaroWriter::kEventType4, 0}};
    const fs::path kit = folder.path() / "Kit.tsp";
    ASSERT_TRUE(instrumentProject({beat}, 1).writeTo(kit));
    const struct {
        fs::path project;
        std::vector<std::string> sounds;
        std::vector<std::string> leftOut;
    } cases[] = {
        {demo,
         {"Piano: Miravox Lite [GM 001] Acoustic Grand Piano, 0/0 Piano 1, preset",
          "Drums: Beatwright Lite -, 128/0 Standard, fixed, substituted",
          "Synth: Analora Warm Pad, 0/89 Warm Pad, preset name, substituted", "Vocals: audio"},
         {"inserts not run | Piano |  | Echolet | 1",
          "sends not run | Piano |  | send 1 to Bus 1 at -9.1 dB | 1",
          "inserts not run | Vocals |  | Compressor | 1",
          "sends not run | Vocals |  | send 1 to Bus 1 at -12.0 dB | 1",
          "effect channels not run | Bus 1 |  |  | 1", "inserts not run | Bus 1 |  | Hallvane Lite | 1",
          "inserts not run | Stereo Out |  | Tonalix | 1",
          "inserts not run | Stereo Out |  | Channel Limiter | 1",
          "the master's pan | Stereo Out |  | 0.55 | 1",
          "instruments played by a General MIDI substitute | Drums |  | Beatwright Lite: bank 128 program 0 "
          "(Standard) | 1",
          "controller-like events outside their part | Synth | Pad |  | 2",
          "instruments played by a General MIDI substitute | Synth |  | Analora \"Warm Pad\": bank 0 program "
          "89 "
          "(Warm Pad) | 1"}},
        {kit,
         {"Beat: Beatwright Lite -, 128/0 Standard, fixed, substituted"},
         {"instruments played by a General MIDI substitute | Beat |  | Beatwright Lite: bank 128 program 0 "
          "(Standard) | 1",
          "presets the soundfont lacks, played as program 0 of their bank | Beat |  | bank 128 program 56 | "
          "1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.project.filename().string());
        const fs::path report = folder.path() / "r.json";
        const ToolRun run = runTool(renderArgs(
            c.project, {"--render", (folder.path() / "mix.wav").string(), "--json", report.string(), "-q"}));
        ASSERT_EQ(run.status, 0) << run.err;
        const Json render = readJson(report).at("render");
        std::vector<std::string> sounds, leftOut;
        const auto text = [](const Json& j) { return j.is_null() ? std::string() : j.get<std::string>(); };
        for (const auto& t : render.at("tracks")) {
            std::string line = t.at("track").get<std::string>() + ": ";
            const Json& s = t.at("sound");
            if (s.is_null()) {
                line += "audio";
            } else {
                line += text(s.at("plugin")) + " " + (s.at("preset").is_null() ? "-" : text(s.at("preset"))) +
                        ", " + std::to_string(s.at("bank").get<int>()) + "/" +
                        std::to_string(s.at("program").get<int>()) + " " + text(s.at("name")) + ", " +
                        text(s.at("by"));
                if (s.at("substituted") == true) line += ", substituted";
            }
            sounds.push_back(line);
        }
        for (const auto& l : render.at("leftOut"))
            leftOut.push_back(text(l.at("what")) + " | " + text(l.at("track")) + " | " + text(l.at("clip")) +
                              " | " + text(l.at("value")) + " | " + std::to_string(l.at("count").get<int>()));
        EXPECT_EQ(sounds, c.sounds);
        EXPECT_EQ(leftOut, c.leftOut);
    }
}

TEST(RenderCommand, AnAudioTracksStemIsItsConvertedCopyAtItsFader) {
    TempFolder folder;
    TessaroWriter::Tone tone;
    tone.sampleRate = 48000;
    tone.seconds = 3.0;
    tone.frequencies = {440.0, 660.0};
    ASSERT_TRUE(TessaroWriter::writeToneFile(folder.path() / "tone.wav", tone));
    TessaroWriter::ProjectFile file = TessaroWriter::audioTracksProject({{u"tone.wav"}});
    auto* track = file.find<TessaroWriter::TrackInfoChunk>();
    track->volume = 0.8f;
    track->pan = -0.4f;
    auto& region = file.find<TessaroWriter::RegionChunk>()->regions.front();
    region.position = 480;  // bar 2: 2 s
    region.length = 960;    // 4 s, beyond the 2.9 s of the file left after the in-point
    region.gain = 0.7f;
    std::get<TessaroWriter::AudioData>(region.content).inPoint = 4800;  // 0.1 s of the 48 kHz file
    const fs::path project = folder.path() / "song.tsp";
    ASSERT_TRUE(file.writeTo(project));

    const fs::path stems = folder.path() / "stems", report = folder.path() / "r.json";
    const ToolRun run = runTool(renderArgs(
        project, {"--stems", stems.string(), "--render-format", "float", "--json", report.string()}));
    ASSERT_EQ(run.status, 0) << run.err;
    const Json json = readJson(report);
    const Wave stem = readWave(stems / "01 Audio 1.wav");
    const Wave copy = readWave(folder.path() / "tone (44100.0Hz 16bit).wav");
    ASSERT_EQ(copy.sampleRate, 44100);
    const double eventGain = json.at("tracks")[0].at("events")[0].at("volume");
    const Interchange::PanGains g = faderOf(json, "Audio 1");
    const std::size_t start = 88200, length = 176400, offset = 4410;
    ASSERT_GE(stem.frames(), start + length);
    std::size_t sounding = 0;
    for (std::size_t f = 0; f < stem.frames(); ++f) {
        const bool inEvent = f >= start && f < start + length && f - start + offset < copy.frames();
        for (int ch = 0; ch < 2; ++ch) {
            const double expected =
                inEvent ? copy.at(f - start + offset, ch) * eventGain * (ch == 0 ? g.left : g.right) : 0.0;
            ASSERT_NEAR(stem.at(f, ch), expected, 1e-7) << "frame " << f << ", channel " << ch;
        }
        sounding += inEvent;
    }
    EXPECT_EQ(sounding, copy.frames() - offset);
}

TEST(RenderCommand, NotesOfAGridSoundAtTheirTimesAfterSilence) {
    TempFolder folder;
    InstrumentPart part;
    part.name = u"Sticks";
    part.instrumentId = 160;  // the drum plug-in: the standard kit
    part.length = 3 * 480;
    // Eighths from the second bar on (2 s at 120 bpm), a quarter second apart.
    for (std::uint32_t i = 0; i < 12; ++i) part.notes.push_back({480 + i * 60, 30, 37, 110});
    const fs::path project = folder.path() / "grid.tsp";
    ASSERT_TRUE(instrumentProject({part}, 3).writeTo(project));
    const fs::path stems = folder.path() / "stems";
    const ToolRun run = runTool(renderArgs(project, {"--stems", stems.string(), "--render-format", "float"}));
    ASSERT_EQ(run.status, 0) << run.err;
    const Wave stem = readWave(stems / "01 Sticks.wav");
    const auto level = [&](std::size_t f) {
        return std::max(std::fabs(stem.at(f, 0)), std::fabs(stem.at(f, 1)));
    };
    constexpr std::size_t kFirst = 88200;
    const double silence = std::pow(10.0, -90.0 / 20);
    for (std::size_t f = 0; f < kFirst; ++f) ASSERT_LT(level(f), silence) << "frame " << f;
    const std::size_t ms = 44;  // frames in a millisecond, near enough
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const std::size_t at = kFirst + i * 11025;
        double before = 0;
        for (std::size_t f = at - 20 * ms; f < at - 10 * ms; ++f)
            before = std::max(before, static_cast<double>(level(f)));
        const double threshold = std::max(1e-3, 10 * before);
        std::size_t onset = 0;
        for (std::size_t f = at - 10 * ms; f < at + 20 * ms && onset == 0; ++f)
            if (level(f) > threshold) onset = f;
        ASSERT_NE(onset, 0u);
        EXPECT_LE(std::abs(static_cast<long>(onset) - static_cast<long>(at)), static_cast<long>(5 * ms));
    }
}

TEST(RenderCommand, TheSameRenderGivesTheSameBytesOnAnyNumberOfThreads) {
    TempFolder folder;
    const fs::path project = folder.path() / "Five.tsp";
    std::vector<InstrumentPart> parts = fiveTracks();
    // The host's song is the file's two bars and one more of 480 ticks a beat: six bars. A
    // string chord held to its end sounds on in the release.
    parts[3].length = 6 * 480;
    parts[3].notes.push_back({5 * 480, 480, 60, 100});
    ASSERT_TRUE(instrumentProject(parts, 2).writeTo(project));
    std::vector<std::vector<std::uint8_t>> mixes, stems;
    for (const char* jobs : {"2", "2", "1"}) {
        const fs::path out = folder.path() / (std::string("out") + std::to_string(mixes.size()));
        const ToolRun run = runTool(renderArgs(project, {"--render", (out / "mix.wav").string(), "--stems",
                                                         (out / "stems").string(), "--jobs", jobs, "-q"}));
        ASSERT_EQ(run.status, 0) << run.err;
        mixes.push_back(readFile(out / "mix.wav"));
        stems.push_back(readFile(out / "stems" / "04 Strings.wav"));
    }
    const Wave mix = readWave(folder.path() / "out0" / "mix.wav");
    EXPECT_EQ(mix.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    // The song's 12 s, then the release in blocks of 4096 frames until nothing sounds, at
    // most 4 s.
    constexpr std::size_t kSong = 12 * 44100;
    ASSERT_GT(mix.frames(), kSong);
    EXPECT_LE(mix.frames(), kSong + 4 * 44100);
    EXPECT_TRUE((mix.frames() - kSong) % 4096 == 0 || mix.frames() == kSong + 4 * 44100) << mix.frames();
    for (std::size_t i = 1; i < mixes.size(); ++i) {
        EXPECT_TRUE(mixes[i] == mixes[0]) << "render " << i;
        EXPECT_TRUE(stems[i] == stems[0]) << "render " << i;
    }
}

namespace {

// A run the render refuses: its arguments, its environment and file-size limit, and what
// it must end in.
struct Refusal {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> environment;
    unsigned long sizeLimit;
    int status;
    std::string err;
    bool imported;  // the import ran (its summary is on standard output)
};

// Runs each refusal in a folder with the demo and a broken project: the one message, the
// exit status, and nothing left but the import's converted copy.
void expectRefusals(
    const std::function<std::vector<Refusal>(const fs::path& folder, const fs::path& project)>& make) {
    TempFolder folder;
    const fs::path project = writeDemo(folder.path(), true);
    folder.write("Broken.tsp", std::vector<std::uint8_t>{'n', 'o', 't', ' ', 't', 's', 'p'});
    const std::set<std::string> before = namesIn(folder.path());
    const std::vector<std::uint8_t> projectBytes = readFile(project);
    for (const Refusal& c : make(folder.path(), project)) {
        SCOPED_TRACE(c.what);
        ToolRunOptions options;
        options.environment = c.environment;
        if (c.sizeLimit) options.limits = {{RLIMIT_FSIZE, c.sizeLimit}};
        const ToolRun run = runTool(c.args, options);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(contains(run.out, "Result:"), c.imported) << run.out;
        std::set<std::string> after = namesIn(folder.path());
        after.erase("vocals (44100.0Hz 16bit).wav");  // the import's converted copy
        EXPECT_EQ(after, before);
        EXPECT_TRUE(readFile(project) == projectBytes);
    }
}

const std::string kInstallHint =
    "; install one (apt install fluid-soundfont-gm, or the small timgm6mb-soundfont) or name one with "
    "--soundfont FILE or $TESSARO_SOUNDFONT\n";

}  // namespace

TEST(RenderCommand, BadInputIsOneClearMessageAndLeavesNothingBehind) {
    expectRefusals([](const fs::path& folder, const fs::path& project) {
        const std::string p = project.string(), broken = (folder / "Broken.tsp").string();
        const std::string mix = (folder / "mix.wav").string(),
                          missing = (folder / "gone" / "mix.wav").string();
        const std::string sf = smallSoundfont().string();
        return std::vector<Refusal>{
            {"missing soundfont",
             {p, "--render", mix, "--soundfont", "/nonexistent/Gone.sf2"},
             {},
             0,
             2,
             "tessaro-import: no soundfont: --soundfont \"/nonexistent/Gone.sf2\" does not exist" +
                 kInstallHint,
             false},
            {"not a soundfont (the project)",
             {p, "--render", mix, "--soundfont", p},
             {},
             0,
             2,
             "tessaro-import: not a soundfont: \"" + p + "\" is no SoundFont 2 file" + kInstallHint,
             false},
            {"variable names a missing file",
             {p, "--stems", (folder / "s").string()},
             {{"TESSARO_SOUNDFONT", "/nonexistent/Gone.sf2"}},
             0,
             2,
             "tessaro-import: no soundfont: $TESSARO_SOUNDFONT names \"/nonexistent/Gone.sf2\", which does "
             "not exist" +
                 kInstallHint,
             false},
            {"stems without a DAWproject",
             {p, "--with-stems", "--soundfont", sf},
             {},
             0,
             2,
             "tessaro-import: --with-stems puts the stems into the DAWproject file: it needs --dawproject\n",
             false},
            {"several projects, one file",
             {p, broken, "--render", mix, "--soundfont", sf},
             {},
             0,
             2,
             "tessaro-import: with several projects, --render takes a folder (a path ending in /), not \"" +
                 mix + "\"\n",
             false},
            {"unwritable output",
             {p, "--render", missing, "--soundfont", sf},
             {},
             0,
             2,
             "tessaro-import: cannot write " + missing + ": " + (folder / "gone").string() +
                 " does not exist\n",
             true},
            {"stems for a DAWproject file that cannot be written",
             {p, "--dawproject", (folder / "gone" / "x.dawproject").string(), "--with-stems", "--soundfont",
              sf},
             {},
             0,
             2,
             "tessaro-import: cannot write " + (folder / "gone" / "x.dawproject").string() + ": " +
                 (folder / "gone").string() + " does not exist\n",
             true},
            {"the project file as the mix",
             {p, "--render", p, "--soundfont", sf},
             {},
             0,
             2,
             "tessaro-import: cannot write " + p + ": it is the project file\n",
             true},
            {"failed import", {broken, "--render", mix, "--soundfont", sf}, {}, 0, 1, "", true},
        };
    });
}

// Its own test: a coverage build leaves out the runs under a file-size limit, which would
// cut the counters the command writes as it ends.
TEST(RenderCommand, ARenderCutByAFileSizeLimitLeavesNothing) {
    expectRefusals([](const fs::path& folder, const fs::path& project) {
        // The import's converted copy (1,058,444 bytes) fits; the mix (6,350,444) does not.
        const std::string mix = (folder / "mix.wav").string();
        return std::vector<Refusal>{
            {"file-size limit",
             {project.string(), "--render", mix, "--soundfont", smallSoundfont().string()},
             {},
             2'000'000ul,
             2,
             "tessaro-import: cannot write " + mix + ": File too large\n",
             true}};
    });
}

TEST(RenderCommand, TheDawprojectHoldsEachInstrumentStemAsAMutedAudioTrackAfterIt) {
    TempFolder folder;
    InstrumentPart piano, bass, drums;
    piano.name = u"Keys";
    piano.notes = {{0, 240, 60, 100}, {240, 240, 64, 100}};
    bass.name = u"Bass";
    bass.instrumentId = 20;
    bass.notes = {{0, 480, 40, 100}};
    drums.name = u"Beat";
    drums.instrumentId = 160;
    drums.notes = {{0, 60, 36, 100}, {120, 60, 38, 100}};
    const fs::path project = folder.path() / "Song.tsp";
    ASSERT_TRUE(instrumentProject({piano, bass, drums}, 2).writeTo(project));
    const fs::path out = folder.path() / "Song.dawproject", stems = folder.path() / "stems";
    const ToolRun run = runTool(
        renderArgs(project, {"--dawproject", out.string(), "--with-stems", "--stems", stems.string()}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"Song.tsp", "Song.dawproject", "stems"}));

    const auto entries = readContainer(out);
    const auto& xml = entries.at("project.xml");
    ASSERT_TRUE(schemaFolder()) << "the DAWproject schemas belong in tests/data/dawproject";
    EXPECT_EQ(schemaErrors(xml, "Project.xsd"), "");
    EXPECT_EQ(schemaErrors(xml, "Project-1.0-release.xsd"), "");
    const XmlDocument doc(xml);
    std::vector<std::string> order;
    for (const auto& t : doc.select("/Project/Structure/Track"))
        order.push_back(t.at("name") + " " + t.at("contentType"));
    EXPECT_EQ(order, (std::vector<std::string>{"Keys notes", "Keys (rendered) audio", "Bass notes",
                                               "Bass (rendered) audio", "Beat notes", "Beat (rendered) audio",
                                               "Stereo Out audio"}));
    const auto mutes = doc.select("/Project/Structure/Track[contains(@name, '(rendered)')]/Channel/Mute");
    ASSERT_EQ(mutes.size(), 3u);
    for (const auto& m : mutes) EXPECT_EQ(m.at("value"), "true");
    for (const std::string name : {"Keys", "Bass", "Beat"}) {
        SCOPED_TRACE(name);
        const auto clips = doc.select("//Clip[@name='" + name + " (rendered)']");
        ASSERT_EQ(clips.size(), 1u);
        EXPECT_EQ(clips[0].at("time"), "0");
        const auto files = doc.select("//Clip[@name='" + name + " (rendered)']/Audio/File");
        ASSERT_EQ(files.size(), 1u);
        const std::string stem = (name == "Keys" ? "01 " : name == "Bass" ? "02 " : "03 ") + name + ".wav";
        EXPECT_EQ(files[0].at("path"), "audio/" + stem);
        EXPECT_TRUE(entries.at("audio/" + stem) == readFile(stems / stem));
        const Wave wave = readWave(stems / stem);
        // One clip over the whole render: its beats are the stem's seconds at 120 bpm.
        EXPECT_DOUBLE_EQ(clips[0].number("duration"), static_cast<double>(wave.frames()) / 44100 * 2);
    }

    // Without --stems the stems go through a hidden folder beside the file, gone once the
    // file holds them.
    const fs::path alone = folder.path() / "Alone.dawproject";
    const ToolRun withoutStems = runTool(renderArgs(project, {"--dawproject", alone.string(), "--with-stems"}));
    ASSERT_EQ(withoutStems.status, 0) << withoutStems.err;
    EXPECT_EQ(namesIn(folder.path()),
              (std::set<std::string>{"Song.tsp", "Song.dawproject", "stems", "Alone.dawproject"}));
    const auto held = readContainer(alone);
    for (const std::string stem : {"01 Keys.wav", "02 Bass.wav", "03 Beat.wav"})
        EXPECT_TRUE(held.at("audio/" + stem) == entries.at("audio/" + stem)) << stem;
}

TEST(RenderCommand, SeveralProjectsRenderIntoFoldersTheirPagesPlayTheMixProgressOnATerminalOnly) {
    TempFolder folder;
    const fs::path a = folder.path() / "Song.tsp", b = folder.path() / "Other.tsp";
    ASSERT_TRUE(instrumentProject(fiveTracks(), 1).writeTo(a));
    fs::copy_file(a, b);
    const std::string mixes = (folder.path() / "Mixes").string() + "/",
                      stems = (folder.path() / "Stems").string() + "/",
                      pages = (folder.path() / "Pages").string() + "/";
    for (const auto display :
         {ToolRunOptions::StandardError::Pipe, ToolRunOptions::StandardError::Terminal}) {
        SCOPED_TRACE(display == ToolRunOptions::StandardError::Pipe ? "pipe" : "terminal");
        ToolRunOptions options;
        options.standardError = display;
        options.environment = {{"TESSARO_PROGRESS_AFTER", "0"}};
        const ToolRun run = runTool(
            renderArgs(a, {b.string(), "--render", mixes, "--stems", stems, "--html", pages, "--jobs", "2"}),
            options);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(linesOf(run.out),
                  (std::vector<std::string>{
                      a.string() + ": imported -> " + mixes + "Song.wav, " + stems + "Song/, " + pages + "Song.html",
                      b.string() + ": imported -> " + mixes + "Other.wav, " + stems + "Other/, " + pages +
                          "Other.html",
                      "2 projects: 2 imported, 0 failed"}));
        EXPECT_EQ(contains(run.err, " s rendered"), display == ToolRunOptions::StandardError::Terminal)
            << run.err;
        EXPECT_EQ(namesIn(folder.path() / "Stems" / "Other"),
                  (std::set<std::string>{"01 Keys.wav", "02 Bass.wav", "03 Beat.wav", "04 Strings.wav",
                                         "05 Lead.wav"}));
        EXPECT_TRUE(readFile(folder.path() / "Mixes" / "Song.wav") ==
                    readFile(folder.path() / "Mixes" / "Other.wav"));
        // Each project's page plays its mix.
        const auto page = readFile(folder.path() / "Pages" / "Other.html");
        EXPECT_TRUE(contains(std::string(page.begin(), page.end()),
                             "<audio id=\"mix\" controls preload=\"metadata\" src=\"../Mixes/Other.wav\">"));
    }
}
