// Audio files: reading (IAudioFileReader, with libsndfile), sample-rate conversion
// (IAudioSource, with libsoxr at its very high quality, float in and out), the audio file
// types the host writes (IAudioFileTypes on the host context) with their writers
// (IAudioFileWriter, with libsndfile: samples are clipped, never wrapped, and get TPDF
// dither when written below 24 bits), and clips (IAudioClip) that audio events play.
// Built without the audio libraries (TESSARO_WITH_AUDIO 0, the Windows build), the host
// offers none of these: audio_none.cpp.
#pragma once

#if TESSARO_WITH_AUDIO
#include <sndfile.h>
#include <soxr.h>
#endif

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "refhost/facet.h"
#include "refhost/report.h"

namespace RefHost {

// What the header of an audio file tells.
struct AudioFileInfo {
    std::filesystem::path path;
    double sampleRate = 0;
    Host::int32 sampleSize = 0;  // bits per sample; 32 for float, 64 for double
    Host::int32 channels = 0;
    Host::int64 frames = 0;
    std::string format;  // "WAV", "AIFF", "FLAC" ...
};

// The header of the audio file at path; none when libsndfile cannot read it.
std::optional<AudioFileInfo> readAudioFileInfo(const std::filesystem::path& path);

// A reader of one audio file at a time, created with kAudioFileReaderClass.
class AudioFileReaderObject : public Object {
public:
    using Object::Object;
    std::string describe() const override;

    std::optional<AudioFileInfo> file;  // set by a successful setFilePath
};

#if TESSARO_WITH_AUDIO
// The file of a reader delivered at another sample rate. The frames come out of libsoxr
// until the input ends and it is flushed; with a frame count set, exactly that many frames
// are delivered (cut, or filled with silence).
class AudioSourceObject : public Object {
public:
    AudioSourceObject(ReferenceHost& host, AudioFileInfo file, double rate);
    ~AudioSourceObject() override;
    std::string describe() const override;

    // Frames read into out (frames × channels floats): 0 at the end, -1 on an error.
    Host::int32 read(float* out, Host::int32 frames);
    bool started() const { return started_; }

    AudioFileInfo file;
    double rate;
    std::optional<Host::int32> sampleSize;
    std::optional<Host::int64> frameCount;
    Host::int64 delivered = 0;

private:
    bool start();
    static std::size_t supply(void* self, soxr_cbuf_t* data, std::size_t requested);

    bool started_ = false;
    bool failed_ = false;
    bool converterDone_ = false;
    SNDFILE* in_ = nullptr;
    soxr_t soxr_ = nullptr;
    std::vector<float> input_;
};

#endif

// What an audio file writer tells its host's watcher after each block it writes
// (ReferenceHost::watchAudioWrites): the file it was configured with, the frames written
// so far and the frame count it was configured with.
struct AudioWriteProgress {
    const std::filesystem::path& file;
    Host::int64 written = 0;
    Host::int64 frames = 0;
};

// One audio file type the host writes.
struct AudioFileType {
    std::string name;  // "Wave File"
    int format = 0;    // libsndfile's major format; 0 for a type it cannot write
};

// The types of the host's IAudioFileTypes: the profile's "audioFileTypes" (a list of
// names) or "Wave File", "AIFF File", "FLAC File".
std::vector<AudioFileType> audioFileTypes(const ReferenceHost& host);

#if TESSARO_WITH_AUDIO
// A writer of one file of a type. It writes into a hidden file beside the one configured
// and renames it into place when it closes, so that a file being written is never seen
// half done: two imports converting the same wave file at once (projects that share a
// folder) each leave a whole file, never one that both wrote into.
class AudioFileWriterObject : public Object {
public:
    AudioFileWriterObject(ReferenceHost& host, AudioFileType type);
    ~AudioFileWriterObject() override;
    std::string describe() const override;

    // Converts and writes frames; false when libsndfile refuses.
    bool write(const float* frames, Host::int32 count);
    // Closes the file and renames it into place; false when that fails (nothing is left
    // behind then). Closing a closed or unopened writer does nothing and succeeds.
    bool close();

    AudioFileType type;
    std::optional<std::filesystem::path> path;  // set by configure
    std::filesystem::path partial;              // where the file is written until it closes
    Host::int32 sampleSize = 0;
    double rate = 0;
    Host::int64 expectedFrames = 0;
    Host::int32 channels = 0;
    bool opened = false;
    bool closed = false;
    Host::int64 written = 0;
    SNDFILE* out = nullptr;

private:
    // The dither's noise source: Knuth's 64-bit linear congruential generator, whose upper
    // 32 bits are the uniform values; a fixed seed gives the same file every time.
    std::linear_congruential_engine<std::uint64_t, 6364136223846793005u, 1442695040888963407u, 0u>
        dither_{0x7E55A20u};
    std::vector<int> converted_;
};

#endif

// The file an audio event plays, created with kAudioClipClass.
class AudioClipObject : public Object {
public:
    using Object::Object;
    std::string describe() const override;

    std::optional<AudioFileInfo> file;  // taken from a reader
};

// A new object of an audio class (reader, clip); null for other classes.
Object* createAudioObject(ReferenceHost& host, const Host::FUID& cid);

// A file's path relative to the project folder when it lies inside it, else whole.
std::string shownFilePath(const ReferenceHost& host, const std::filesystem::path& file);
// The report of an audio file: path, sample rate, sample size, channels, frames, format.
Report audioFileJson(const ReferenceHost& host, const AudioFileInfo& info);
// Adds "audio" (the file's format as read back) to each entry of the report's "files"
// that is an audio file.
void addAudioFileReport(const ReferenceHost& host, Report& report);

std::span<const FacetType> audioFacetTypes();

}  // namespace RefHost
