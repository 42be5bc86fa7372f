// The audio side of the region chunk: an audio region's wave file is looked up in the
// project folder and then in its "Audio" folder; a file whose sample rate or sample size
// differs from the project's is converted into a copy beside it, once per import; the
// region becomes an audio event of the current track playing a clip of that file.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "base/iptr.h"
#include "base/text.h"
#include "hostkit/diagnostics.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"
#include "reader/reader_error.h"
#include "reader/regions.h"

namespace Tessaro {

namespace {

constexpr std::size_t kMaxFolderUnits = 1024;
constexpr Host::int32 kCopyBlockFrames = 1024;
constexpr Host::int32 kMaxCopyChannels = 256;
constexpr char kWaveFileType[] = "Wave File";

// A copy that cannot be made whole ends the import: a region must not play part of its
// file, nor a copy an earlier import left. These texts are this reader's own.
constexpr char kCopyNotCreated[] = "cannot create the converted copy of a wave file";
constexpr char kCopyNotWritten[] = "cannot write the converted copy of a wave file";
constexpr char kSourceNotRead[] = "cannot read a wave file to convert";

template <class I>
IPtr<I> createHostInstance(const HostSession& host, const Host::FUID& cid) {
    IPtr<I> object;
    if (!host.context ||
        host.context->createInstance(cid, I::iid, object.putVoid()) != Host::kResultOk)
        object.reset();
    return object;
}

// The project's sample format as the host states it; rate is NaN when the host gives none.
struct ProjectFormat {
    float rate = std::numeric_limits<float>::quiet_NaN();
    Host::int32 bits = 0;
    // A format a converted copy can be made in.
    bool usable() const { return std::isfinite(rate) && rate > 0 && bits >= 8 && bits <= 64; }
};

ProjectFormat projectFormat(Host::IImportTarget* target) {
    ProjectFormat format;
    if (!target) return format;
    float rate = 0;
    Host::int32 bits = 0;
    if (target->getSampleRate(&rate) == Host::kResultOk) format.rate = rate;
    if (target->getSampleSize(&bits) == Host::kResultOk) format.bits = bits;
    return format;
}

// The writer of the host's audio file type named "Wave File"; empty when the host has none.
IPtr<Host::IAudioFileWriter> waveFileWriter(const HostSession& host) {
    IPtr<Host::IAudioFileWriter> writer;
    const auto types = queryTo<Host::IAudioFileTypes>(host.context);
    if (!types) return writer;
    const Host::int32 count = types->getCount();
    for (Host::int32 i = 0; i < count; ++i) {
        const std::string name = readHostText8(
            [&](char* buffer, Host::int32 size) { return types->getName(i, buffer, size); });
        if (name != kWaveFileType) continue;
        if (types->createWriter(i, writer.put()) != Host::kResultOk) writer.reset();
        break;
    }
    return writer;
}

// Copies the source to the writer (configured with channels) in blocks, telling the
// writer which block is the last (the one after which the source has nothing more). Every
// read and write is checked; a copy cut short fails, and the writer, released unfinished,
// leaves no file.
void copyFrames(Host::IAudioSource* source, Host::IAudioFileWriter* writer,
                Host::int32 channels) {
    if (channels <= 0 || channels > kMaxCopyChannels || source->getChannelCount() != channels)
        fail(kSourceNotRead);
    std::vector<float> block(static_cast<std::size_t>(kCopyBlockFrames) *
                             static_cast<std::size_t>(channels));
    for (;;) {
        const Host::int32 frames = source->read(block.data(), kCopyBlockFrames);
        if (frames < 0 || frames > kCopyBlockFrames) fail(kSourceNotRead);
        if (writer->write(block.data(), frames, frames == 0) != Host::kResultOk)
            fail(kCopyNotWritten);
        if (frames == 0) return;
    }
}

// The frame count of frames at fromRate once converted to toRate.
Host::int64 convertedFrameCount(Host::int64 frames, double fromRate, double toRate) {
    if (frames <= 0) return 0;
    const double converted = std::round(static_cast<double>(frames) * toRate / fromRate);
    if (!(converted < 9.0e18)) return 0;
    return static_cast<Host::int64>(converted);
}

// A new host path object set to path.
IPtr<Host::IPath> convertedCopyPath(const HostSession& host, const std::u16string& path) {
    auto newPath = createHostInstance<Host::IPath>(host, Host::kPathClass);
    if (!newPath) fail("audioEvent.setMedium - create soundNewPath fails");
    newPath->setPath(path.c_str());
    return newPath;
}

struct ConvertedCopy {
    IPtr<Host::IPath> path;
    bool written = false;  // false where the host offered no converter or no writer
};

// The path of the copy of the wave file at filePath (which the reader reads, in format) in
// the project's format: the copy made earlier in this import, or one made now through the
// host's converting source and "Wave File" writer. A host that offers neither makes no
// copy, and the reader then finds one or fails.
ConvertedCopy convertedCopy(const HostSession& host, SongModel& song,
                            Host::IAudioFileReader* reader, const std::u16string& filePath,
                            const Host::AudioFormat& format, const ProjectFormat& project) {
    if (const auto made = song.convertedCopies.find(filePath); made != song.convertedCopies.end())
        return {convertedCopyPath(host, made->second), true};

    const double rate = project.rate;
    const Host::int64 frames = convertedFrameCount(format.frameCount, format.sampleRate, rate);
    IPtr<Host::IAudioSource> source;
    if (reader->createConvertingSource(rate, source.put()) != Host::kResultOk) source.reset();
    if (source) {
        source->setSampleRate(rate);
        source->setSampleSize(project.bits);
        source->setFrameCount(frames);
    }
    std::u16string newFilePath = convertedFilePath(filePath, rate, project.bits);
    auto newPath = convertedCopyPath(host, newFilePath);
    const auto writer = waveFileWriter(host);
    if (!writer) return {newPath, false};
    if (writer->configure(newPath.get(), 1, project.bits, rate, frames, format.channelCount) !=
            Host::kResultOk ||
        writer->open() != Host::kResultOk)
        fail(kCopyNotCreated);
    if (!source) return {newPath, false};
    copyFrames(source.get(), writer.get(), format.channelCount);
    song.convertedCopies.emplace(filePath, std::move(newFilePath));
    return {newPath, true};
}

}  // namespace

// 16383 is the largest 14-bit value, the range of a pitch bend.
std::uint16_t rewriteOldEventValue(std::uint16_t value) {
    const float scaled =
        ((static_cast<float>(value) / 16383.0f - 0.5f) * 2.0f + 0.5f) * 16383.0f;
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(scaled));
}

std::string sampleRateText(double rate) {
    if (!std::isfinite(rate)) return std::isnan(rate) ? "nan" : rate < 0 ? "-inf" : "inf";
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    const auto point = text.find('.');
    if (point != std::string::npos) {
        const auto last = text.find_last_not_of('0');
        text.erase(std::max(last, point + 1) + 1);
    }
    return text;
}

std::u16string convertedFilePath(std::u16string_view path, double rate, std::int32_t bits) {
    std::u16string result(path);
    constexpr std::u16string_view kExtension = u".wav";
    if (result.size() >= kExtension.size()) {
        const auto tail = std::u16string_view(result).substr(result.size() - kExtension.size());
        const bool isWave = std::equal(tail.begin(), tail.end(), kExtension.begin(),
                                       [](char16_t a, char16_t b) {
                                           if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 32);
                                           return a == b;
                                       });
        if (isWave) result.resize(result.size() - kExtension.size());
    }
    result += u" (";
    result += toUtf16(sampleRateText(rate));
    result += u"Hz ";
    result += toUtf16(std::to_string(bits));
    result += u"bit).wav";
    return result;
}

bool isPlainFileName(std::u16string_view name) {
    if (name.empty()) return false;
    if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c == u'.'; })) return false;
    return std::none_of(name.begin(), name.end(), [](char16_t c) {
        return c == u'/' || c == u'\\' || c == u':' || c < 0x20 || c == 0x7F;
    });
}

namespace {

// Where the region's wave file is: in the project folder, else in its "Audio" folder. A
// name that reaches out of those folders is never looked up.
struct WaveFile {
    std::u16string path;
    IPtr<Host::IPath> hostPath;
    bool plainName = false;
    bool inAudioFolder = false;
};

WaveFile findWaveFile(const HostSession& host, Host::IImportTarget* target,
                      const std::u16string& fileName) {
    const std::u16string folder = target ? readHostText(
                                               [&](char16_t* buffer, Host::int32 size) {
                                                   return target->getProjectFolder(buffer, size);
                                               },
                                               kMaxFolderUnits)
                                         : std::u16string();
    WaveFile file;
    file.plainName = isPlainFileName(fileName);
    file.path = folder + fileName;
    file.hostPath = createHostInstance<Host::IPath>(host, Host::kPathClass);
    if (!file.hostPath) fail("audioEvent.setMedium - create IPath fails");
    if (file.plainName) {
        file.hostPath->setPath(file.path.c_str());
        if (host.files && host.files->checkFile(file.hostPath.get()) != Host::kResultOk) {
            file.path = folder + u"Audio\\" + fileName;
            file.hostPath->setPath(file.path.c_str());
            file.inAudioFolder = true;
        }
    }
    return file;
}

// Notes what became of the region's wave file; the failure that follows names the region's
// file name field only.
struct WaveFileNotes {
    ImportNotes& notes;
    std::int64_t track;
    const std::u16string& fileName;
    void operator()(const std::string& what) const {
        notes.add(Host::kNoteWaveFileMissing, track,
                  "wave file \"" + noteText(fileName) + "\": " + what);
    }
};

// The reader of the wave file, set to it; its format in format. A file the reader cannot
// take, or without a sample rate (it cannot be placed in time), fails.
IPtr<Host::IAudioFileReader> openWaveFile(const HostSession& host, const WaveFile& file,
                                          const WaveFileNotes& note, Host::AudioFormat& format) {
    auto reader = createHostInstance<Host::IAudioFileReader>(host, Host::kAudioFileReaderClass);
    if (!reader) fail("audioEvent.setMedium - create IAudioFileReader fails");
    if (!file.plainName) {
        note("not looked for; the name reaches out of the project's folders");
        fail("audioEvent.setMedium - setFilePath fails");
    }
    if (reader->setFilePath(file.hostPath.get()) != Host::kResultOk) {
        note(file.inAudioFolder ? "not found in the project folder nor readable in its Audio folder"
             : host.files       ? "found in the project folder, but the host cannot read it"
                                : "not found or not readable in the project folder");
        fail("audioEvent.setMedium - setFilePath fails");
    }
    format = {};
    if (reader->getFormat(&format) != Host::kResultOk) format = {};
    if (!(std::isfinite(format.sampleRate) && format.sampleRate > 0)) {
        note("has no sample rate; it cannot be placed in time");
        fail("audioEvent.setMedium - setFilePath fails");
    }
    return reader;
}

// Points the reader at a copy in the project's format, beside the file, when the file's
// format differs from it. A host that states no usable project format plays the file as it
// is.
void useProjectFormat(const HostSession& host, SongModel& song, Host::IAudioFileReader* reader,
                      const WaveFile& file, const Host::AudioFormat& format,
                      const ProjectFormat& project, const WaveFileNotes& note) {
    if (!project.usable() || (format.sampleRate == static_cast<double>(project.rate) &&
                              format.sampleSize == project.bits))
        return;
    const auto copy = convertedCopy(host, song, reader, file.path, format, project);
    const std::string copyText = "its copy at " + sampleRateText(project.rate) + " Hz " +
                                 std::to_string(project.bits) + " bit ";
    if (!copy.written) note(copyText + "could not be written");
    if (reader->setFilePath(copy.path.get()) != Host::kResultOk) {
        if (copy.written) note(copyText + "cannot be read back");
        fail("audioEvent.setMedium - setFilePath fails");
    }
}

// The audio event in the current track's event list, and the list; empty where the host
// makes none.
struct AudioEventPlaced {
    IPtr<Host::IEventList> list;
    IPtr<Host::FUnknown> object;
    IPtr<Host::IEvent> event;
    IPtr<Host::IAudioEvent> audioEvent;
};

// The audio event with its place, its offset into the file (seconds) and its mute.
AudioEventPlaced placeAudioEvent(const HostSession& host, const SongModel& song,
                                 const RegionHeader& region, double offset) {
    AudioEventPlaced placed;
    Host::IEditContext* edit = host.edit.get();
    // A list the host could not prepare takes no event.
    if (song.track.host && edit &&
        song.track.host->getEventList(placed.list.put()) == Host::kResultOk && placed.list &&
        placed.list->prepare(Host::IEventList::kAudio) == Host::kResultOk) {
        const auto factory = queryTo<Host::IObjectFactory>(host.project);
        if (factory && factory->createObject("audio event", placed.object.put()) != Host::kResultOk)
            placed.object.reset();
        // An event the list does not take is not set further.
        if (placed.object &&
            edit->insertObject(placed.list.get(), placed.object.get()) != Host::kResultOk)
            placed.object.reset();
    }
    placed.event = queryTo<Host::IEvent>(placed.object);
    placed.audioEvent = queryTo<Host::IAudioEvent>(placed.object);
    Host::IEventList* list = placed.list.get();
    if (placed.event) {
        placed.event->setStart(list, song.header.ticksToPosition(region.position), edit);
        placed.event->setLength(list, song.header.ticksToPosition(region.length), edit);
    }
    if (placed.audioEvent) placed.audioEvent->setOffset(list, offset, edit);
    if (placed.event) placed.event->setMute(list, region.mute, edit);
    return placed;
}

// The clip playing the reader's file, on the event, with the region's volume and fades.
void attachClip(const HostSession& host, const SongModel& song, const RegionHeader& region,
                Host::IAudioFileReader* reader, const AudioEventPlaced& placed) {
    auto clip = createHostInstance<Host::IAudioClip>(host, Host::kAudioClipClass);
    if (!clip) fail("audioEvent.setMedium - create IAudioClip fails");
    Host::IAudioEvent* audioEvent = placed.audioEvent.get();
    if (clip->setReader(reader) != Host::kResultOk || !audioEvent) return;
    Host::IEventList* list = placed.list.get();
    Host::IEditContext* edit = host.edit.get();
    audioEvent->setClip(clip.get());
    audioEvent->setVolume(list, static_cast<double>(region.gain), edit);
    if (region.attack != 0)
        audioEvent->setFadeIn(list, song.header.ticksToPosition(region.attack), edit);
    if (region.release != 0)
        audioEvent->setFadeOut(list, song.header.ticksToPosition(region.release), edit);
}

}  // namespace

void placeAudioRegion(const HostSession& host, ImportNotes& notes, SongModel& song,
                      const RegionHeader& region, std::uint32_t inPoint,
                      const std::u16string& fileName) {
    const auto target = queryTo<Host::IImportTarget>(host.target);
    const WaveFile file = findWaveFile(host, target.get(), fileName);
    const WaveFileNotes note{notes, song.track.number, fileName};
    const ProjectFormat project = projectFormat(target.get());
    Host::AudioFormat format{};
    const auto reader = openWaveFile(host, file, note, format);
    // The offset into the file is in its own rate, before any conversion.
    const double fileRate = format.sampleRate;
    useProjectFormat(host, song, reader.get(), file, format, project, note);

    const float offset = static_cast<float>(inPoint) / static_cast<float>(fileRate);
    const AudioEventPlaced placed =
        placeAudioEvent(host, song, region, static_cast<double>(offset));
    attachClip(host, song, region, reader.get(), placed);
}

}  // namespace Tessaro
