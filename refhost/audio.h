// Audio files: reading (IAudioFileReader, with libsndfile), sample-rate conversion
// (IAudioSource, with libsoxr at its very high quality, float in and out), the audio file
// types the host writes (IAudioFileTypes on the host context) with their writers
// (IAudioFileWriter, with libsndfile: samples are clipped, never wrapped, and get TPDF
// dither when written below 24 bits), and clips (IAudioClip) that audio events play.
// A converting source or writer gives back its open file, libsoxr's state and its buffers
// as soon as the plug-in releases it (AudioResources in reference_host.h counts them); the
// object itself stays until the host goes, so that a late call is a recorded misuse.
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
#include "refhost/report_writer.h"

namespace RefHost {

// What the header of an audio file tells.
struct AudioFileInfo {
    std::filesystem::path path;
    double sampleRate = 0;
    Host::int32 sampleSize = 0;  // bits per sample; 32 for float, 64 for double
    Host::int32 channels = 0;
    Host::int64 frames = 0;
    std::string format;  // "WAV", "WAVEX" (an extensible wave file), "RF64", "AIFF" ...
    // The positions of the channels (libsndfile's SF_CHANNEL_MAP_*) where a file of more
    // than two channels names them (an extensible wave file's channel mask); else empty.
    std::vector<int> channelMap;
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
    // Closes the file and frees the converter and the buffer.
    void lastReferenceReleased() override;

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
    void giveBack();
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
// folder) each leave a whole file, never one that both wrote into. A write that fails
// (a full disk, a file-size limit) removes the hidden file at once, as does a writer
// released or destroyed before its last block: only a whole file is ever put in place.
//
// The file's size follows from the frame count it is configured with. open refuses a file
// that would not fit the free space of its folder with a margin, before anything is
// written. A wave file whose data would not fit the 32-bit sizes of a plain wave file is
// written as RF64; a wave file of more than two channels keeps the channel layout of the
// file it copies (the host's newest converting source of that many channels, which a
// copy loop reads from) in an extensible header. No write takes a file beyond what its
// format holds.
class AudioFileWriterObject : public Object {
public:
    AudioFileWriterObject(ReferenceHost& host, AudioFileType type);
    ~AudioFileWriterObject() override;
    std::string describe() const override;
    // A file still open was never finished: it is removed.
    void lastReferenceReleased() override;

    // Opens the hidden file; false when it cannot be made or would not fit.
    bool open();
    // Converts and writes frames; false when libsndfile refuses or the file would grow
    // beyond its format (the hidden file is removed then).
    bool write(const float* frames, Host::int32 count);
    // Closes the file and renames it into place; false when that fails or an earlier write
    // failed (nothing is left behind then). Closing a closed or unopened writer does
    // nothing else.
    bool close();
    // Closes and removes the hidden file without putting it in place.
    void abandon();

    AudioFileType type;
    std::optional<std::filesystem::path> path;  // set by configure
    std::filesystem::path partial;              // where the file is written until it closes
    Host::int32 sampleSize = 0;
    double rate = 0;
    Host::int64 expectedFrames = 0;
    Host::int32 channels = 0;
    bool opened = false;
    bool closed = false;
    bool failed = false;  // a write or the close failed: nothing was put in place
    Host::int64 written = 0;
    SNDFILE* out = nullptr;

private:
    // The most frames the open file's format holds.
    Host::int64 frameLimit_ = 0;

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
// The report of an audio file: its path (when withPath), sample rate, sample size,
// channels, frames and format.
void writeAudioFile(ReportWriter& out, const ReferenceHost& host, const AudioFileInfo& info,
                    bool withPath);

std::span<const FacetType> audioFacetTypes();

}  // namespace RefHost
