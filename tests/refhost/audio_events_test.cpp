// The reference host's audio side and event lists, reached as a plug-in reaches them: the
// writer clips and dithers, a converting source delivers exactly the frames asked, and the
// event lists hold only what fits them.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <numeric>

#include "base/iptr.h"
#include "base/text.h"
#include "refhost/audio.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"
#include "tools/writer/tone_file.h"

using namespace TessaroTest;
using Tessaro::IPtr;
using Tessaro::queryTo;

namespace {

namespace fs = std::filesystem;

template <class I>
IPtr<I> create(RefHost::ReferenceHost& host, const Host::FUID& cid) {
    IPtr<I> object;
    contextAs<Host::IHostContext>(host)->createInstance(cid, I::iid, object.putVoid());
    return object;
}

IPtr<Host::IPath> pathTo(RefHost::ReferenceHost& host, const fs::path& file) {
    auto path = create<Host::IPath>(host, Host::kPathClass);
    path->setPath(Tessaro::toUtf16(file.string()).c_str());
    return path;
}

IPtr<Host::IAudioFileWriter> waveWriter(RefHost::ReferenceHost& host,
                                        const std::string& type = "Wave File") {
    auto types = contextAs<Host::IAudioFileTypes>(host);
    IPtr<Host::IAudioFileWriter> writer;
    for (Host::int32 i = 0; i < types->getCount(); ++i) {
        char name[64] = {};
        types->getName(i, name, sizeof name);
        if (std::string(name) == type) types->createWriter(i, writer.put());
    }
    return writer;
}

// Writes samples (mono) at bits and reads them back as integers of that size.
std::vector<int> roundTrip(const std::vector<float>& samples, Host::int32 bits) {
    TempFolder folder;
    auto host = makeHost();
    const fs::path file = folder.path() / "out.wav";
    {
        auto writer = waveWriter(*host);
        auto path = pathTo(*host, file);
        EXPECT_EQ(writer->configure(path.get(), 1, bits, 44100,
                                    static_cast<Host::int64>(samples.size()), 1),
                  Host::kResultOk);
        EXPECT_EQ(writer->open(), Host::kResultOk);
        EXPECT_EQ(writer->write(samples.data(), static_cast<Host::int32>(samples.size()), 1),
                  Host::kResultOk);
    }
    EXPECT_TRUE(host->account().findings().clean());
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    std::vector<int> values(static_cast<std::size_t>(info.frames));
    sf_readf_int(in, values.data(), info.frames);
    sf_close(in);
    for (int& v : values) v >>= 32 - bits;
    return values;
}

}  // namespace

TEST(RefHostAudio, TheWriterClipsRatherThanWraps) {
    EXPECT_EQ(roundTrip({1.5f, -1.5f, 40.0f, -40.0f}, 16),
              (std::vector<int>{32767, -32768, 32767, -32768}));
    EXPECT_EQ(roundTrip({1.5f, -1.5f, 1.0f, -1.0f, NAN}, 24),
              (std::vector<int>{8388607, -8388608, 8388607, -8388608, 0}));
}

TEST(RefHostAudio, SixteenBitsAreDitheredTwentyFourAreNot) {
    // A level of 0.3 steps: without dither every sample would round to 0; TPDF dither keeps
    // the mean and stays within one step either side.
    const std::vector<float> quiet(20000, 0.3f / 32768.0f);
    const auto dithered = roundTrip(quiet, 16);
    const double mean =
        std::accumulate(dithered.begin(), dithered.end(), 0.0) / static_cast<double>(dithered.size());
    EXPECT_NEAR(mean, 0.3, 0.02);
    EXPECT_EQ(*std::min_element(dithered.begin(), dithered.end()), -1);
    EXPECT_EQ(*std::max_element(dithered.begin(), dithered.end()), 1);

    const std::vector<float> exact = {0.25f, -0.125f, 3.0f / 8388608.0f};
    EXPECT_EQ(roundTrip(exact, 24), (std::vector<int>{2097152, -1048576, 3}));
}

TEST(RefHostAudio, AConvertingSourceDeliversExactlyTheFramesAsked) {
    TempFolder folder;
    TessaroWriter::Tone t;
    t.sampleRate = 48000;
    t.sampleSize = 24;
    t.channels = 2;
    t.seconds = 1.0;
    ASSERT_TRUE(TessaroWriter::writeToneFile(folder.path() / "in.wav", t));
    auto host = makeHost();
    host->setProjectFolder(folder.path());
    {
        auto reader = create<Host::IAudioFileReader>(*host, Host::kAudioFileReaderClass);
        ASSERT_EQ(reader->setFilePath(pathTo(*host, folder.path() / "in.wav").get()),
                  Host::kResultOk);
        for (const Host::int64 frames : {44100, 44000, 50000}) {
            IPtr<Host::IAudioSource> source;
            ASSERT_EQ(reader->createConvertingSource(44100, source.put()), Host::kResultOk);
            source->setFrameCount(frames);
            ASSERT_EQ(source->getChannelCount(), 2);
            std::vector<float> block(2 * 1000);
            Host::int64 total = 0;
            for (Host::int32 n; (n = source->read(block.data(), 1000)) > 0;) total += n;
            EXPECT_EQ(total, frames);
            EXPECT_EQ(source->read(block.data(), 1000), 0);
            // Settings belong before the first read.
            EXPECT_EQ(source->setSampleRate(22050), Host::kInvalidArgument);
        }
        IPtr<Host::IAudioSource> none;
        EXPECT_EQ(reader->createConvertingSource(0, none.put()), Host::kInvalidArgument);
        EXPECT_FALSE(none);
    }
    const auto found = host->account().findings();
    EXPECT_EQ(found.held, 0u);
    EXPECT_EQ(found.misuseCount, 3u);
    EXPECT_NE(found.firstMisuse().find("setSampleRate"), std::string::npos) << found.firstMisuse();
}

TEST(RefHostAudio, AConvertingSourceKeepsThePassbandInTimeAndRemovesWhatCannotBeKept) {
    // Channel 0 plays 1 kHz, which must come out as the same sine at the new rate with no
    // delay; channel 1 plays 23 kHz, above what 44100 Hz can hold, which must be removed
    // rather than fold back as an alias. The input is 32-bit, so its own noise is far below.
    TempFolder folder;
    TessaroWriter::Tone t;
    t.sampleRate = 48000;
    t.sampleSize = 32;
    t.channels = 2;
    t.seconds = 2.0;
    t.frequencies = {1000.0, 23000.0};
    t.level = 0.5;
    ASSERT_TRUE(TessaroWriter::writeToneFile(folder.path() / "in.wav", t));
    auto host = makeHost();
    std::vector<float> out;
    {
        auto reader = create<Host::IAudioFileReader>(*host, Host::kAudioFileReaderClass);
        ASSERT_EQ(reader->setFilePath(pathTo(*host, folder.path() / "in.wav").get()),
                  Host::kResultOk);
        IPtr<Host::IAudioSource> source;
        ASSERT_EQ(reader->createConvertingSource(44100, source.put()), Host::kResultOk);
        source->setFrameCount(2 * 44100);
        std::vector<float> block(2 * 1024);
        for (Host::int32 n; (n = source->read(block.data(), 1024)) > 0;)
            out.insert(out.end(), block.begin(), block.begin() + 2 * n);
    }
    ASSERT_EQ(out.size(), 2u * 2 * 44100);
    // The middle second, away from the filter's run-in at both ends.
    double error = 0, alias = 0;
    for (std::size_t n = 22050; n < 22050 + 44100; ++n) {
        const double ideal = 0.5 * std::sin(2 * std::numbers::pi * 1000.0 * static_cast<double>(n) / 44100);
        error += std::pow(out[2 * n] - ideal, 2);
        alias += std::pow(out[2 * n + 1], 2);
    }
    const auto dB = [](double sumOfSquares) { return 10 * std::log10(sumOfSquares / 44100 + 1e-30); };
    EXPECT_LT(dB(error), -140) << "the 1 kHz tone is changed or delayed";
    EXPECT_LT(dB(alias), -135) << "the 23 kHz tone folds back";
    EXPECT_TRUE(host->account().findings().clean());
}

TEST(RefHostAudio, WritersRefuseWhatTheyCannotWrite) {
    TempFolder folder;
    auto host = makeHost();
    {
        auto writer = waveWriter(*host);
        auto path = pathTo(*host, folder.path() / "x.wav");
        EXPECT_EQ(writer->configure(path.get(), 2, 16, 44100, 0, 1), Host::kInvalidArgument);
        EXPECT_EQ(writer->configure(path.get(), 1, 12, 44100, 0, 1), Host::kInvalidArgument);
        EXPECT_EQ(writer->configure(path.get(), 1, 16, 44100.5, 0, 1), Host::kInvalidArgument);
        EXPECT_EQ(writer->configure(path.get(), 1, 16, NAN, 0, 1), Host::kInvalidArgument);
        EXPECT_EQ(writer->configure(path.get(), 1, 16, 44100, 0, 0), Host::kInvalidArgument);
        const float sample = 0;
        EXPECT_EQ(writer->write(&sample, 1, 0), Host::kInvalidArgument);  // not open
        EXPECT_EQ(writer->open(), Host::kInvalidArgument);                 // not configured
    }
    const auto found = host->account().findings();
    EXPECT_EQ(found.held, 0u);
    EXPECT_EQ(found.misuseCount, 2u);
    EXPECT_TRUE(host->records().filesWritten.empty());
}

TEST(RefHostAudio, TwoWritersOfOneFileEachLeaveItWholeAndTellEachBlock) {
    // Two imports converting the same wave file at once (projects sharing a folder): the
    // file is never seen half written, and the last writer to close leaves its whole file.
    TempFolder folder;
    const fs::path file = folder.path() / "shared.wav";
    auto first = makeHost();
    auto second = makeHost();
    std::vector<std::pair<Host::int64, Host::int64>> told;  // written, frames
    first->watchAudioWrites([&](const RefHost::AudioWriteProgress& block) {
        EXPECT_EQ(block.file, file);
        told.emplace_back(block.written, block.frames);
    });
    const std::vector<float> frames(1500, 0.25f);
    const auto count = static_cast<Host::int32>(frames.size());
    {
        auto a = waveWriter(*first);
        auto b = waveWriter(*second);
        ASSERT_EQ(a->configure(pathTo(*first, file).get(), 1, 16, 44100, 3000, 1), Host::kResultOk);
        ASSERT_EQ(b->configure(pathTo(*second, file).get(), 1, 16, 44100, 1500, 1), Host::kResultOk);
        ASSERT_EQ(a->open(), Host::kResultOk);
        ASSERT_EQ(a->write(frames.data(), count, 0), Host::kResultOk);
        EXPECT_FALSE(fs::exists(file));
        ASSERT_EQ(b->open(), Host::kResultOk);
        ASSERT_EQ(b->write(frames.data(), count, 1), Host::kResultOk);
        EXPECT_EQ(RefHost::readAudioFileInfo(file)->frames, 1500);
        ASSERT_EQ(a->write(frames.data(), count, 0), Host::kResultOk);
        EXPECT_EQ(RefHost::readAudioFileInfo(file)->frames, 1500);
        ASSERT_EQ(a->write(nullptr, 0, 1), Host::kResultOk);
    }
    EXPECT_EQ(RefHost::readAudioFileInfo(file)->frames, 3000);
    EXPECT_EQ(told, (std::vector<std::pair<Host::int64, Host::int64>>{
                        {1500, 3000}, {3000, 3000}, {3000, 3000}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(first->records().filesWritten, std::vector<fs::path>{file});
    EXPECT_TRUE(first->account().findings().clean());
    EXPECT_TRUE(second->account().findings().clean());
}

TEST(RefHostAudio, SourcesAndWritersGiveBackTheirFilesAndConvertersOnTheirLastRelease) {
    TempFolder folder;
    TessaroWriter::Tone t;
    t.sampleRate = 48000;
    t.seconds = 1.0;
    ASSERT_TRUE(TessaroWriter::writeToneFile(folder.path() / "in.wav", t));
    auto host = makeHost();
    const RefHost::AudioResources& held = host->audioResources();
    const auto count = [&] { return std::pair(held.openFiles, held.converters); };
    using Count = std::pair<std::size_t, std::size_t>;
    std::vector<float> block(2 * 1024);
    Host::IAudioSource* lateSource = nullptr;
    Host::IAudioFileWriter* lateWriter = nullptr;
    {
        auto reader = create<Host::IAudioFileReader>(*host, Host::kAudioFileReaderClass);
        ASSERT_EQ(reader->setFilePath(pathTo(*host, folder.path() / "in.wav").get()),
                  Host::kResultOk);
        EXPECT_EQ(count(), Count(0, 0));  // a reader reads the header and closes the file
        IPtr<Host::IAudioSource> source;
        ASSERT_EQ(reader->createConvertingSource(44100, source.put()), Host::kResultOk);
        EXPECT_EQ(source->read(block.data(), 1024), 1024);
        EXPECT_EQ(count(), Count(1, 1));

        // A writer finishes its file with the last block, while it is still held.
        auto finished = waveWriter(*host);
        ASSERT_EQ(finished->configure(pathTo(*host, folder.path() / "done.wav").get(), 1, 16,
                                      44100, 1024, 2),
                  Host::kResultOk);
        ASSERT_EQ(finished->open(), Host::kResultOk);
        EXPECT_EQ(count(), Count(2, 1));
        ASSERT_EQ(finished->write(block.data(), 1024, 1), Host::kResultOk);
        EXPECT_EQ(count(), Count(1, 1));

        // A writer released before its last block leaves no file, hidden or not.
        auto unfinished = waveWriter(*host);
        ASSERT_EQ(unfinished->configure(pathTo(*host, folder.path() / "cut.wav").get(), 1, 16,
                                        44100, 4096, 2),
                  Host::kResultOk);
        ASSERT_EQ(unfinished->open(), Host::kResultOk);
        ASSERT_EQ(unfinished->write(block.data(), 1024, 0), Host::kResultOk);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
        lateWriter = unfinished.get();
        unfinished.reset();
        EXPECT_EQ(count(), Count(1, 1));
        lateSource = source.get();
        source.reset();
        EXPECT_EQ(count(), Count(0, 0));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(RefHost::readAudioFileInfo(folder.path() / "done.wav")->frames, 1024);
    // What is left of them answers a late call as a misuse, holding nothing.
    EXPECT_EQ(lateSource->read(block.data(), 1024), -1);
    EXPECT_EQ(lateWriter->write(block.data(), 1024, 1), Host::kInvalidArgument);
    EXPECT_EQ(count(), Count(0, 0));
    const auto found = host->account().findings();
    EXPECT_EQ(found.held, 0u);
    EXPECT_EQ(found.misuseCount, 2u);
    EXPECT_FALSE(fs::exists(folder.path() / "cut.wav"));
}

TEST(RefHostAudio, AWriterRefusesWhatTheDiskOrItsFormatCannotHoldAndWritesRf64BeyondWave) {
    struct Case {
        const char* name;
        std::uint64_t freeSpace;
        Host::int32 bits;
        Host::int64 frames;
        const char* format;  // nullptr: refused
        const char* type = "Wave File";
    };
    const Case cases[] = {
        // 25,000,000 stereo 16-bit frames are 100,000,000 bytes.
        {"beyond the free space", 100'000'000, 16, 25'000'000, nullptr},
        {"within it but not its margin", 110'000'000, 16, 25'000'000, nullptr},
        {"within it and its margin", 124'000'000, 16, 25'000'000, "WAV"},
        // 536,870,912 stereo 32-bit frames are 4 GiB: beyond a plain wave file's sizes.
        {"4 GiB", 10'000'000'000, 32, 536'870'912, "RF64"},
        {"just below", 10'000'000'000, 32, 536'870'000, "WAV"},
        // A plain wave file keeps 1024 bytes of its 32-bit sizes for its header: 4 bytes a
        // stereo 16-bit frame, the last frame that fits and the first that does not, both
        // under 4 GiB of samples.
        {"at the plain limit", 10'000'000'000, 16, 1'073'741'567, "WAV"},
        {"beyond it, under 4 GiB", 10'000'000'000, 16, 1'073'741'568, "RF64"},
        {"AIFF beyond it, under 4 GiB", 10'000'000'000, 16, 1'073'741'568, nullptr, "AIFF File"},
        {"4 GiB of AIFF", 10'000'000'000, 32, 536'870'912, nullptr, "AIFF File"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        auto host = makeHost();
        host->audioResources().freeSpace = c.freeSpace;
        const fs::path file = folder.path() / "big.wav";
        {
            auto writer = waveWriter(*host, c.type);
            ASSERT_EQ(writer->configure(pathTo(*host, file).get(), 1, c.bits, 44100, c.frames, 2),
                      Host::kResultOk);
            ASSERT_EQ(writer->open(), c.format ? Host::kResultOk : Host::kResultFalse);
            const std::vector<float> frames(2 * 100, 0.25f);
            if (c.format) {
                EXPECT_EQ(writer->write(frames.data(), 100, 1), Host::kResultOk);
            }
        }
        EXPECT_TRUE(host->account().findings().clean());
        EXPECT_EQ(host->audioResources().openFiles, 0u);
        if (!c.format) {
            EXPECT_TRUE(fs::is_empty(folder.path()));
            EXPECT_TRUE(host->records().filesWritten.empty());
            continue;
        }
        const auto written = RefHost::readAudioFileInfo(file);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->format, c.format);
        EXPECT_EQ(written->frames, 100);
    }
}

TEST(RefHostEvents, ListsHoldOnlyEventsOfTheirKindOncePrepared) {
    auto host = makeHost();
    auto project = projectOf(*host);
    auto factory = queryTo<Host::IObjectFactory>(project);
    auto edit = contextAs<Host::IEditContext>(*host);
    auto keys = addTrack(*host, "instrument", u"Keys");
    auto track = queryTo<Host::ITrack>(keys);
    IPtr<Host::IEventList> list;
    ASSERT_EQ(track->getEventList(list.put()), Host::kResultOk);

    IPtr<Host::FUnknown> part, note, audio;
    factory->createObject("MIDI part", part.put());
    factory->createObject("note", note.put());
    factory->createObject("audio event", audio.put());
    // Not prepared yet, then the wrong kinds, then a part.
    EXPECT_EQ(edit->insertObject(list.get(), part.get()), Host::kInvalidArgument);
    EXPECT_EQ(list->prepare(Host::IEventList::kAudio), Host::kInvalidArgument);
    EXPECT_EQ(list->prepare(Host::IEventList::kMidi), Host::kResultOk);
    EXPECT_EQ(edit->insertObject(list.get(), note.get()), Host::kInvalidArgument);
    EXPECT_EQ(edit->insertObject(list.get(), audio.get()), Host::kInvalidArgument);
    EXPECT_EQ(edit->insertObject(list.get(), part.get()), Host::kResultOk);
    EXPECT_EQ(edit->insertObject(list.get(), part.get()), Host::kInvalidArgument);
    EXPECT_EQ(list->getCount(), 1);

    // A setter names the list that holds the event.
    auto midiPart = queryTo<Host::IMidiPart>(part);
    IPtr<Host::IEventList> partList;
    ASSERT_EQ(midiPart->getEventList(partList.put()), Host::kResultOk);
    auto partEvent = queryTo<Host::IEvent>(part);
    EXPECT_EQ(partEvent->setStart(partList.get(), 1.0, edit.get()), Host::kInvalidArgument);
    EXPECT_EQ(partEvent->setStart(list.get(), 1.0, edit.get()), Host::kResultOk);
    auto noteEvent = queryTo<Host::INoteEvent>(note);
    EXPECT_EQ(noteEvent->setPitch(partList.get(), 60, edit.get()), Host::kInvalidArgument);
    EXPECT_EQ(edit->insertObject(partList.get(), note.get()), Host::kResultOk);
    EXPECT_EQ(noteEvent->setPitch(partList.get(), 60, edit.get()), Host::kResultOk);
    EXPECT_EQ(noteEvent->setVelocity(partList.get(), 128, edit.get()), Host::kInvalidArgument);

    // The part's quantize menu.
    auto node = queryTo<Host::IParamNode>(part);
    IPtr<Host::IParameter> quantize;
    ASSERT_EQ(node->findParameter("quantMenu", quantize.put()), Host::kResultOk);
    EXPECT_EQ(quantize->getMax(), 19);
    auto entries = queryTo<Host::IEntryList>(quantize);
    ASSERT_EQ(entries->getCount(), 20);
    char16_t name[32] = {};
    entries->getEntryName(10, name, 32);
    EXPECT_EQ(std::u16string(name), u"1/8 Triplet");

    const auto found = host->account().findings();
    EXPECT_EQ(found.misuseCount, 8u);
    EXPECT_NE(found.misuses[0].find("was not prepared"), std::string::npos) << found.misuses[0];
}
