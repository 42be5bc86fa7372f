// The region chunk on an audio track: finding the wave file, converted copies in the
// project's format, the audio event and its clip, and names that reach out of the project.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "refhost/audio.h"
#include "tests/reader/region_run.h"

using namespace TessaroTest;
using namespace TessaroWriter;

namespace {

namespace fs = std::filesystem;
using Report = RefHost::Report;

constexpr const char* kSetFilePathFails = "audioEvent.setMedium - setFilePath fails";

Tone tone(double rate, int bits, std::vector<double> frequencies = {440.0, 660.0},
          double seconds = 2.0) {
    Tone t;
    t.sampleRate = rate;
    t.sampleSize = bits;
    t.channels = static_cast<int>(frequencies.size());
    t.frequencies = std::move(frequencies);
    t.seconds = seconds;
    t.level = 0.5;
    return t;
}

// A project in the given format whose audio track plays regions.
ProjectFile audioProject(std::vector<Region> regions, std::uint32_t rate = 44100,
                         std::uint8_t bits = 16, std::uint16_t version = kLatestVersion) {
    RegionChunk chunk;
    chunk.regions = std::move(regions);
    ProjectFile file = oneTrack(kAudioTrack, chunk, version);
    HeadChunk* head = file.find<HeadChunk>();
    head->sampleRate = rate;
    head->sampleSize = static_cast<std::uint8_t>(bits);
    return file;
}

ImportOptions withFiles(std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files) {
    ImportOptions options;
    options.files = std::move(files);
    return options;
}

struct Samples {
    SF_INFO info{};
    std::vector<float> data;  // interleaved
};

Samples readSamples(const fs::path& path) {
    Samples s;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &s.info);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path;
        return s;
    }
    s.data.resize(static_cast<std::size_t>(s.info.frames * s.info.channels));
    sf_readf_float(file, s.data.data(), s.info.frames);
    sf_close(file);
    return s;
}

// The frequency of one channel: rising zero crossings per second over the middle second.
double frequencyOf(const Samples& s, int channel) {
    const auto rate = static_cast<std::size_t>(s.info.samplerate);
    const auto channels = static_cast<std::size_t>(s.info.channels);
    const std::size_t from = rate / 2;
    std::size_t crossings = 0;
    double first = -1, last = -1;
    for (std::size_t f = from; f < from + rate; ++f) {
        const float a = s.data[f * channels + static_cast<std::size_t>(channel)];
        const float b = s.data[(f + 1) * channels + static_cast<std::size_t>(channel)];
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(f) + a / (a - b);  // interpolated
            if (first < 0) first = at;
            last = at;
            ++crossings;
        }
    }
    return (static_cast<double>(crossings) - 1) / (last - first) * static_cast<double>(rate);
}

// The RMS level of one channel over the middle second.
double levelOf(const Samples& s, int channel) {
    const auto rate = static_cast<std::size_t>(s.info.samplerate);
    const auto channels = static_cast<std::size_t>(s.info.channels);
    double sum = 0;
    for (std::size_t f = rate / 2; f < rate / 2 + rate; ++f) {
        const double v = s.data[f * channels + static_cast<std::size_t>(channel)];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(rate));
}

}  // namespace

TEST(AudioRegion, TheFileIsLookedUpInTheProjectFolderThenInAudio) {
    const auto wave = toneBytes(tone(44100, 16));
    struct Case {
        std::vector<std::string> present;
        const char* clip;
    };
    const Case cases[] = {
        {{"drums.wav"}, "drums.wav"},
        {{"Audio/drums.wav"}, "Audio/drums.wav"},
        {{"drums.wav", "Audio/drums.wav"}, "drums.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
        for (const auto& name : c.present) files.emplace_back(name, wave);
        const RegionRun run = readProject(audioProject({audioRegion(0, u"drums.wav")}),
                                          withFiles(files));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
        const Report& clip = run.events()[0]["clip"];
        EXPECT_EQ(clip["path"], c.clip);
        EXPECT_EQ(clip["sampleRate"], 44100.0);
        EXPECT_EQ(clip["sampleSize"], 16);
        EXPECT_EQ(clip["frames"], 88200);
        // A file in the project's format is used as it is.
        EXPECT_EQ(run.report["files"], Report::array());
    }
}

TEST(AudioRegion, TheEventTakesTheRegion) {
    const auto wave = toneBytes(tone(48000, 24));
    Region region = audioRegion(960, u"drums.wav", 24000);
    region.length = 1440;
    region.gain = 87.5f;
    region.mute = 1;
    region.attack = 120;
    region.release = 0;
    Region plain = audioRegion(2400, u"drums.wav", 0);
    plain.attack = 0;
    plain.release = 240;
    const RegionRun run = readProject(audioProject({region, plain}, 48000, 24),
                                      withFiles({{"drums.wav", wave}}));
    ASSERT_EQ(run.result, 0) << run.error;
    const Report& events = run.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["kind"], "audio event");
    EXPECT_EQ(events[0]["start"], run.at(960));
    EXPECT_EQ(events[0]["length"], run.at(1440));
    EXPECT_EQ(events[0]["mute"], true);
    EXPECT_EQ(events[0]["offset"], 0.5);  // 24000 frames at the file's 48000 Hz
    EXPECT_EQ(events[0]["volume"], 87.5);
    EXPECT_EQ(events[0]["fadeIn"], run.at(120));
    EXPECT_EQ(events[0]["fadeOut"], nullptr);
    EXPECT_EQ(events[1]["mute"], false);
    EXPECT_EQ(events[1]["offset"], 0.0);
    EXPECT_EQ(events[1]["fadeIn"], nullptr);
    EXPECT_EQ(events[1]["fadeOut"], run.at(240));
    EXPECT_EQ(events[1]["clip"]["path"], "drums.wav");
}

TEST(AudioRegion, AFileInAnotherFormatIsConvertedIntoACopyBesideIt) {
    struct Case {
        const char* name;
        std::string where;  // the file's path in the project folder
        Tone source;
        std::uint32_t projectRate;
        std::uint8_t projectBits;
        const char* copy;
        std::int64_t frames;
    };
    const Case cases[] = {
        {"48k 24 bit", "drums.wav", tone(48000, 24), 44100, 16, "drums (44100.0Hz 16bit).wav",
         88200},
        {"rate only", "Audio/drums.wav", tone(48000, 16), 44100, 16,
         "Audio/drums (44100.0Hz 16bit).wav", 88200},
        {"size only", "drums.wav", tone(44100, 24), 44100, 16, "drums (44100.0Hz 16bit).wav",
         88200},
        {"up", "drums.wav", tone(22050, 16, {440.0}), 48000, 24, "drums (48000.0Hz 24bit).wav",
         96000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RegionRun run = readProject(
            audioProject({audioRegion(0, u"drums.wav", 4410)}, c.projectRate, c.projectBits),
            withFiles({{c.where, toneBytes(c.source)}}));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
        const Report& event = run.events()[0];
        EXPECT_EQ(event["clip"]["path"], c.copy);
        EXPECT_EQ(event["clip"]["sampleRate"], static_cast<double>(c.projectRate));
        EXPECT_EQ(event["clip"]["sampleSize"], c.projectBits);
        EXPECT_EQ(event["clip"]["frames"], c.frames);
        // The offset counts in the rate of the file as found.
        EXPECT_EQ(event["offset"],
                  static_cast<double>(4410.0f / static_cast<float>(c.source.sampleRate)));
        ASSERT_EQ(run.report["files"].size(), 1u);
        EXPECT_EQ(run.report["files"][0]["path"], c.copy);

        // The copy plays the same tones at the same level.
        const Samples copy = readSamples(run.folder->path() / c.copy);
        EXPECT_EQ(copy.info.samplerate, static_cast<int>(c.projectRate));
        EXPECT_EQ(copy.info.channels, c.source.channels);
        EXPECT_EQ(copy.info.frames, c.frames);
        EXPECT_EQ(copy.info.format, SF_FORMAT_WAV | (c.projectBits == 16 ? SF_FORMAT_PCM_16
                                                                         : SF_FORMAT_PCM_24));
        for (int channel = 0; channel < c.source.channels; ++channel) {
            const double hz = c.source.frequencies[static_cast<std::size_t>(channel)];
            EXPECT_NEAR(frequencyOf(copy, channel), hz, 0.01) << channel;
            EXPECT_NEAR(20 * std::log10(levelOf(copy, channel) / (0.5 / std::numbers::sqrt2)),
                        0.0, 0.01)
                << channel;
        }
        // The original stays as it was.
        EXPECT_EQ(readSamples(run.folder->path() / c.where).info.samplerate,
                  static_cast<int>(c.source.sampleRate));
    }
}

TEST(AudioRegion, TheCopysNameKeepsANameThatDoesNotEndInWav) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"take.WAV", "take (44100.0Hz 16bit).wav"},
        {u"take.aif", "take.aif (44100.0Hz 16bit).wav"},
        {u"take", "take (44100.0Hz 16bit).wav"},
        {u"a.wav.wav", "a.wav (44100.0Hz 16bit).wav"},
    };
    for (const auto& [name, copy] : cases) {
        SCOPED_TRACE(copy);
        const std::string file = utf8(name);
        const RegionRun run = readProject(audioProject({audioRegion(0, name)}),
                                          withFiles({{file, toneBytes(tone(48000, 16))}}));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_EQ(run.events()[0]["clip"]["path"], copy);
    }
}

TEST(AudioRegion, AMissingFileIsNamed) {
    ImportOptions options;
    options.files = {{"other.wav", toneBytes(tone(44100, 16))}};
    const RegionRun run = readProject(audioProject({audioRegion(0, u"drums.wav")}), options);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.error, kSetFilePathFails);
    EXPECT_EQ(run.report["missingFiles"], Report::parse(R"(["Audio/drums.wav"])"));
    EXPECT_EQ(run.events(), Report::array());
    EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();

    ImportHarness harness;
    const auto loaded = harness.importBytes(audioProject({audioRegion(0, u"drums.wav")}).bytes());
    ASSERT_TRUE(loaded.result.has_value()) << loaded.error;
    EXPECT_EQ(*loaded.result, 1);
    EXPECT_EQ(loaded.messages,
              std::vector<std::string>{"Cannot read Tessaro project file. Reason: unknown format."});
    EXPECT_EQ(loaded.report["missingFiles"], Report::parse(R"(["Audio/drums.wav"])"));
    EXPECT_TRUE(loaded.clean()) << loaded.findingsText();
}

TEST(AudioRegion, NamesThatReachOutOfTheProjectAreNeverLookedUp) {
    // Files that such names could reach: beside the project folder and at its root.
    const auto wave = toneBytes(tone(48000, 24));
    const char16_t* names[] = {
        u"../outside.wav", u"..\\outside.wav", u"Audio/inside.wav", u"Audio\\inside.wav",
        u"C:outside.wav",  u"..",              u"",                 u"inside.wav:x",
    };
    for (const char16_t* name : names) {
        SCOPED_TRACE(utf8(name));
        TempFolder outer;
        outer.write("outside.wav", wave);
        ImportOptions options;
        options.files = {{"Audio/inside.wav", wave}, {"inside.wav", wave}};
        const RegionRun run = readProject(audioProject({audioRegion(0, name)}), options);
        EXPECT_EQ(run.error, kSetFilePathFails);
        EXPECT_EQ(run.events(), Report::array());
        EXPECT_TRUE(run.host->records().filesRead.empty());
        EXPECT_TRUE(run.host->records().filesWritten.empty());
        EXPECT_EQ(run.report["missingFiles"], Report::array());
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
    }
}

TEST(AudioRegion, WithoutAWaveFileWriterNoCopyIsMade) {
    struct Case {
        std::vector<std::string> types;
        bool converted;
    };
    const Case cases[] = {
        {{"AIFF File", "FLAC File"}, false},
        {{}, false},
        {{"AIFF File", "Wave File"}, true},
    };
    for (const Case& c : cases) {
        ImportOptions options = withFiles({{"drums.wav", toneBytes(tone(48000, 24))}});
        options.adjustProfile = [&](RefHost::Profile& p) { p.data["audioFileTypes"] = c.types; };
        const RegionRun run = readProject(audioProject({audioRegion(0, u"drums.wav")}), options);
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
        if (c.converted) {
            EXPECT_EQ(run.result, 0) << run.error;
            EXPECT_EQ(run.events()[0]["clip"]["path"], "drums (44100.0Hz 16bit).wav");
        } else {
            EXPECT_EQ(run.error, kSetFilePathFails);
            EXPECT_EQ(run.report["files"], Report::array());
            EXPECT_EQ(run.report["missingFiles"],
                      Report::parse(R"(["drums (44100.0Hz 16bit).wav"])"));
        }
    }
}

TEST(AudioRegion, SubChunksOfEveryVersionAreReadToTheirEnd) {
    const auto wave = toneBytes(tone(44100, 16, {440.0}));
    for (const int v : {7, 14, 15, 19, 22}) {
        const auto version = static_cast<std::uint16_t>(v);
        SCOPED_TRACE(version);
        Region first = audioRegion(0, u"a.wav", 10);
        std::get<AudioData>(first.content).extra = {9, 9, 9};
        const Region second = audioRegion(960, u"b.wav", 20);
        ProjectFile file = audioProject({first, second}, 44100, 16, version);
        file.add(KeyboardChunk{});
        const RegionRun run = readProject(file, withFiles({{"a.wav", wave}, {"b.wav", wave}}));
        ASSERT_EQ(run.result, 0) << run.error;
        ASSERT_EQ(run.events().size(), 2u);
        EXPECT_EQ(run.events()[1]["clip"]["path"], "b.wav");
        EXPECT_EQ(run.events()[1]["offset"], static_cast<double>(20.0f / 44100.0f));
        EXPECT_TRUE(run.probeRead);
    }
    // The frame, the header with its name and the sub-chunk are read to the chunk's end.
    const RegionRun run = readProject(audioProject({audioRegion(0, u"a.wav")}),
                                      withFiles({{"a.wav", wave}}));
    EXPECT_TRUE(run.probeRead);
}

TEST(AudioRegion, SubChunkFieldsAreChecked) {
    Region shortSub = audioRegion(0, u"a.wav");
    std::get<AudioData>(shortSub.content).sizeOverride = 29;
    EXPECT_EQ(readProject(audioProject({shortSub})).error, "TREG audio sub chunk size too short");

    ProjectFile cut = audioProject({audioRegion(0, u"a.wav")});
    cut.truncateAt = cut.bytes().size() - (30 + 10 - 4 - 2);  // inside the in-point
    EXPECT_EQ(readProject(cut).error, "cannot read region in-point of track");
}

namespace {

// The files under folder, relative to it, sorted.
std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().lexically_relative(folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

void expectAudioGivenBack(const RegionRun& run) {
    EXPECT_EQ(run.host->audioResources().openFiles, 0u);
    EXPECT_EQ(run.host->audioResources().converters, 0u);
    EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
}

}  // namespace

TEST(AudioRegion, EachWaveFileIsConvertedOncePerImport) {
    // Track 1 plays a.wav twice and then b.wav; track 2 plays a.wav again.
    const auto wave = toneBytes(tone(48000, 24));
    const RegionRun run =
        readProject(audioTracksProject({{u"a.wav", u"a.wav", u"b.wav"}, {u"a.wav"}}),
                    withFiles({{"a.wav", wave}, {"Audio/b.wav", wave}}));
    ASSERT_EQ(run.result, 0) << run.error;
    expectAudioGivenBack(run);
    EXPECT_EQ(run.host->records().filesWritten.size(), 2u);
    const Report& files = run.report["files"];
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0]["path"], "a (44100.0Hz 16bit).wav");
    EXPECT_EQ(files[1]["path"], "Audio/b (44100.0Hz 16bit).wav");
    const Report& tracks = run.report["tracks"];
    struct Played {
        const Report& event;
        std::int64_t start;
        const char* copy;
    };
    const Played played[] = {
        {tracks[0]["events"][0], 0, "a (44100.0Hz 16bit).wav"},
        {tracks[0]["events"][1], 120, "a (44100.0Hz 16bit).wav"},
        {tracks[0]["events"][2], 240, "Audio/b (44100.0Hz 16bit).wav"},
        {tracks[1]["events"][0], 0, "a (44100.0Hz 16bit).wav"},
    };
    for (const Played& p : played) {
        SCOPED_TRACE(p.copy);
        EXPECT_EQ(p.event["clip"]["path"], p.copy);
        EXPECT_EQ(p.event["clip"]["frames"], 88200);
        EXPECT_EQ(p.event["start"], run.at(p.start));
        EXPECT_EQ(p.event["length"], run.at(120));
    }
    EXPECT_EQ(filesIn(run.folder->path()),
              (std::vector<std::string>{"Audio", "Audio/b (44100.0Hz 16bit).wav", "Audio/b.wav",
                                        "a (44100.0Hz 16bit).wav", "a.wav", "project.tsp"}));
}

TEST(AudioRegion, ACopyThatCannotBeMadeWholeEndsTheImportAndLeavesNoFile) {
    // A header claiming 1 Hz: 144000 frames become 6,912,000,000 at 48000 Hz, 20.7 GB.
    auto oneHertz = toneBytes(tone(48000, 16, {440.0}, 3.0));
    const std::uint8_t rate1[] = {1, 0, 0, 0, 2, 0, 0, 0};  // the rate and the bytes per second
    std::copy(std::begin(rate1), std::end(rate1), oneHertz.begin() + 24);
    const auto wave = toneBytes(tone(44100, 16));
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
        std::uint64_t freeSpace;
        const char* error;
    };
    const Case cases[] = {
        {"1 Hz header", {{"a.wav", oneHertz}}, 10'000'000'000,
         "cannot create the converted copy of a wave file"},
        {"a full disk", {{"a.wav", wave}}, 0, "cannot create the converted copy of a wave file"},
        {"a folder in the copy's place", {{"a.wav", wave}, {"a (48000.0Hz 24bit).wav/keep", {}}},
         10'000'000'000, "cannot write the converted copy of a wave file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImportOptions options = withFiles(c.files);
        options.adjustHost = [&](RefHost::ReferenceHost& host) {
            host.audioResources().freeSpace = c.freeSpace;
        };
        const RegionRun run =
            readProject(audioTracksProject({{u"a.wav", u"a.wav"}}, 48000, 24), options);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.error, c.error);
        expectAudioGivenBack(run);
        std::vector<std::string> expected{"project.tsp"};
        for (const auto& file : c.files) {
            expected.push_back(file.first);
            if (file.first.find('/') != std::string::npos)
                expected.push_back(file.first.substr(0, file.first.find('/')));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(filesIn(run.folder->path()), expected);
    }
}

TEST(AudioRegion, ACopyKeepsTheChannelLayoutOfAnExtensibleWaveFile) {
    Tone surround = tone(48000, 24, {440.0, 660.0, 880.0, 110.0});
    surround.channelMap = {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_CENTER,
                           SF_CHANNEL_MAP_LFE};
    Tone quad = tone(48000, 24, {440.0, 660.0, 880.0, 110.0});
    struct Case {
        const char* name;
        Tone source;
        const char* format;
    };
    for (const Case& c : {Case{"extensible", surround, "WAVEX"}, Case{"plain", quad, "WAV"}}) {
        SCOPED_TRACE(c.name);
        const RegionRun run = readProject(audioTracksProject({{u"s.wav"}}),
                                          withFiles({{"s.wav", toneBytes(c.source)}}));
        ASSERT_EQ(run.result, 0) << run.error;
        expectAudioGivenBack(run);
        EXPECT_EQ(run.events()[0]["clip"]["format"], c.format);
        EXPECT_EQ(run.events()[0]["clip"]["channels"], 4);
        EXPECT_EQ(run.report["files"][0]["audio"]["format"], c.format);
        const auto copy = RefHost::readAudioFileInfo(run.folder->path() / "s (44100.0Hz 16bit).wav");
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->channelMap, c.source.channelMap);
    }
}

TEST(AudioRegion, ASubChunkSizeNeitherTheChunkNorTheFileCanHoldPlacesNothing) {
    // Refused at its size field: the wave file is not even looked for.
    Region region = audioRegion(0, u"a.wav");
    std::get<AudioData>(region.content).sizeOverride = 0xFFFFFFF0u;
    const RegionRun run = readProject(audioProject({region}),
                                      withFiles({{"a.wav", toneBytes(tone(44100, 16, {440.0}))}}));
    EXPECT_EQ(run.error, "TREG audio sub chunk size too short");
    EXPECT_EQ(run.events(), Report::array());
    EXPECT_EQ(run.report["files"], Report::array());
    EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
}
