// Audio files: IAudioFileReader, IAudioSource, IAudioFileTypes, IAudioFileWriter and
// IAudioClip over libsndfile and libsoxr.
#include "refhost/audio.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "base/text.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"
#include "refhost/streams.h"

namespace RefHost {

namespace {

constexpr std::size_t kInputBlockFrames = 4096;
constexpr Host::int32 kMaxChannels = 256;
constexpr double kMaxRate = 1536000;
// Room for a wave file's chunks besides its samples (RIFF or RF64 with ds64, an extensible
// fmt, fact, the data chunk's header), with plenty to spare.
constexpr std::uint64_t kHeaderAllowance = 1024;
// The most sample bytes a file with 32-bit size fields (a plain wave file, AIFF) holds.
constexpr std::uint64_t kPlainSizeLimit = 0xFFFFFFFFu - kHeaderAllowance;
// What a new file must leave free on its disk besides a sixteenth of its own size.
constexpr std::uint64_t kFreeSpaceMargin = 16u << 20;

struct FormatName {
    int major;
    const char* name;
};

constexpr FormatName kFormatNames[] = {
    {SF_FORMAT_WAV, "WAV"},   {SF_FORMAT_WAVEX, "WAVEX"}, {SF_FORMAT_AIFF, "AIFF"},
    {SF_FORMAT_FLAC, "FLAC"}, {SF_FORMAT_W64, "W64"},     {SF_FORMAT_RF64, "RF64"},
    {SF_FORMAT_CAF, "CAF"},   {SF_FORMAT_OGG, "OGG"},     {SF_FORMAT_AU, "AU"},
};

constexpr FormatName kWritableTypes[] = {
    {SF_FORMAT_WAV, "Wave File"}, {SF_FORMAT_AIFF, "AIFF File"}, {SF_FORMAT_FLAC, "FLAC File"}};

Host::int32 bitsOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    default: return 0;
    }
}

// The libsndfile format for a type and sample size; 0 when there is none.
int fileFormat(int major, Host::int32 bits) {
    int sub = 0;
    switch (bits) {
    case 8: sub = major == SF_FORMAT_WAV ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8; break;
    case 16: sub = SF_FORMAT_PCM_16; break;
    case 24: sub = SF_FORMAT_PCM_24; break;
    case 32: sub = SF_FORMAT_PCM_32; break;
    default: return 0;
    }
    SF_INFO probe{};
    probe.samplerate = 44100;
    probe.channels = 1;
    probe.format = major | sub;
    return sf_format_check(&probe) ? major | sub : 0;
}

// A hidden name beside file that no other writer of this process or another one uses:
// ".drums (44100.0Hz 16bit).wav.1234-5.part".
std::filesystem::path partialPathFor(const std::filesystem::path& file) {
    static std::atomic<unsigned long> serial{0};
    const std::string suffix = "." + std::to_string(static_cast<long>(getpid())) + "-" +
                               std::to_string(++serial) + ".part";
    std::filesystem::path hidden = file.parent_path();
    hidden /= "." + file.filename().string() + suffix;
    return hidden;
}

// True when a file of size bytes fits the free space of folder and leaves the margin free.
// A folder whose free space cannot be told is left to the writes to find out.
bool fitsFreeSpace(const ReferenceHost& host, const std::filesystem::path& folder,
                   std::uint64_t size) {
    std::uint64_t available = 0;
    if (const auto assumed = host.audioResources().freeSpace) {
        available = *assumed;
    } else {
        std::error_code ec;
        const auto space = std::filesystem::space(folder.empty() ? "." : folder, ec);
        if (ec) return true;
        available = space.available;
    }
    const std::uint64_t margin = size / 16 + kFreeSpaceMargin;
    return size <= available && margin <= available - size;
}

// The bytes of samples frames of channels make at bits, or UINT64_MAX beyond that.
std::uint64_t sampleBytes(Host::int64 frames, Host::int32 channels, Host::int32 bits) {
    const auto perFrame =
        static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>((bits + 7) / 8);
    const auto count = static_cast<std::uint64_t>(std::max<Host::int64>(frames, 0));
    if (perFrame != 0 && count > UINT64_MAX / perFrame) return UINT64_MAX;
    return count * perFrame;
}

template <class T>
bool isA(Object& object) {
    return dynamic_cast<T*>(&object) != nullptr;
}

bool contextWithFileTypes(Object& object) {
    auto* context = dynamic_cast<ContextObject*>(&object);
    return context && context->host().profile().offers("audioFileTypes");
}

// --- Facets ------------------------------------------------------------------------

class AudioFileReaderFacet : public Facet<Host::IAudioFileReader, AudioFileReaderObject> {
public:
    using Facet::Facet;

    Host::tresult setFilePath(Host::IPath* path) override {
        const HostCall call(*this, "setFilePath");
        if (!call) return call.refusal();
        auto* where = dynamic_cast<PathObject*>(
            argument("setFilePath", path, "path", &Host::IPath::iid));
        if (!where) return Host::kInvalidArgument;
        self().file.reset();
        const std::filesystem::path file = where->fsPath();
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            auto& missing = host().records().filesMissing;
            if (std::find(missing.begin(), missing.end(), file) == missing.end())
                missing.push_back(file);
            return Host::kResultFalse;
        }
        host().records().filesRead.push_back(file);
        self().file = readAudioFileInfo(file);
        return self().file ? Host::kResultOk : Host::kResultFalse;
    }

    Host::tresult getFormat(Host::AudioFormat* format) override {
        const HostCall call(*this, "getFormat");
        if (!call) return call.refusal();
        if (!outPointer("getFormat", format)) return Host::kInvalidArgument;
        if (!self().file) return Host::kResultFalse;
        format->sampleRate = self().file->sampleRate;
        format->sampleSize = self().file->sampleSize;
        format->channelCount = self().file->channels;
        format->frameCount = self().file->frames;
        return Host::kResultOk;
    }

    Host::tresult createConvertingSource(double rate, Host::IAudioSource** source) override {
        const HostCall call(*this, "createConvertingSource");
        if (!call) return call.refusal();
        if (!outPointer("createConvertingSource", source)) return Host::kInvalidArgument;
        *source = nullptr;
        if (!self().file) return Host::kResultFalse;
        if (!(rate > 0 && rate <= kMaxRate)) return Host::kInvalidArgument;
        auto& made = host().make<AudioSourceObject>(*self().file, rate);
        return account().handOut(made, Host::IAudioSource::iid, reinterpret_cast<void**>(source));
    }
};

class AudioSourceFacet : public Facet<Host::IAudioSource, AudioSourceObject> {
public:
    using Facet::Facet;

    Host::tresult setSampleRate(double rate) override {
        const HostCall call(*this, "setSampleRate");
        if (!call) return call.refusal();
        if (!beforeReading("setSampleRate")) return Host::kInvalidArgument;
        if (!(rate > 0 && rate <= kMaxRate)) return Host::kInvalidArgument;
        self().rate = rate;
        return Host::kResultOk;
    }
    Host::tresult setSampleSize(Host::int32 bits) override {
        const HostCall call(*this, "setSampleSize");
        if (!call) return call.refusal();
        if (!beforeReading("setSampleSize")) return Host::kInvalidArgument;
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != 64)
            return Host::kInvalidArgument;
        self().sampleSize = bits;
        return Host::kResultOk;
    }
    Host::tresult setFrameCount(Host::int64 frames) override {
        const HostCall call(*this, "setFrameCount");
        if (!call) return call.refusal();
        if (!beforeReading("setFrameCount")) return Host::kInvalidArgument;
        if (frames < 0) return Host::kInvalidArgument;
        self().frameCount = frames;
        return Host::kResultOk;
    }
    Host::int32 getChannelCount() override {
        const HostCall call(*this, "getChannelCount");
        return call ? self().file.channels : 0;
    }
    Host::int32 read(float* buffer, Host::int32 frames) override {
        const HostCall call(*this, "read");
        if (!call) return -1;
        if (frames < 0 || (!buffer && frames > 0)) {
            misuse("read", "a null buffer or a negative frame count");
            return -1;
        }
        return self().read(buffer, frames);
    }

private:
    bool beforeReading(const char* operation) {
        if (!self().started()) return true;
        misuse(operation, "called after the first read");
        return false;
    }
};

class AudioFileTypesFacet : public Facet<Host::IAudioFileTypes, ContextObject> {
public:
    using Facet::Facet;

    Host::int32 getCount() override {
        const HostCall call(*this, "getCount");
        return call ? static_cast<Host::int32>(audioFileTypes(host()).size()) : 0;
    }
    Host::tresult getName(Host::int32 index, Host::char8* buffer, Host::int32 size) override {
        const HostCall call(*this, "getName");
        if (!call) return call.refusal();
        const auto types = audioFileTypes(host());
        if (index < 0 || static_cast<std::size_t>(index) >= types.size())
            return Host::kInvalidArgument;
        return copyOut("getName", types[static_cast<std::size_t>(index)].name, buffer, size);
    }
    Host::tresult createWriter(Host::int32 index, Host::IAudioFileWriter** writer) override {
        const HostCall call(*this, "createWriter");
        if (!call) return call.refusal();
        if (!outPointer("createWriter", writer)) return Host::kInvalidArgument;
        *writer = nullptr;
        const auto types = audioFileTypes(host());
        if (index < 0 || static_cast<std::size_t>(index) >= types.size())
            return Host::kInvalidArgument;
        const AudioFileType& type = types[static_cast<std::size_t>(index)];
        if (type.format == 0) return Host::kResultFalse;
        auto& made = host().make<AudioFileWriterObject>(type);
        return account().handOut(made, Host::IAudioFileWriter::iid,
                                 reinterpret_cast<void**>(writer));
    }
};

class AudioFileWriterFacet : public Facet<Host::IAudioFileWriter, AudioFileWriterObject> {
public:
    using Facet::Facet;

    Host::tresult configure(Host::IPath* path, Host::int32 mode, Host::int32 sampleSize,
                            double rate, Host::int64 frameCount,
                            Host::int32 channelCount) override {
        const HostCall call(*this, "configure");
        if (!call) return call.refusal();
        if (self().opened) {
            misuse("configure", "the file is open already");
            return Host::kInvalidArgument;
        }
        auto* where = dynamic_cast<PathObject*>(
            argument("configure", path, "path", &Host::IPath::iid));
        if (!where) return Host::kInvalidArgument;
        if (mode != 1 || fileFormat(self().type.format, sampleSize) == 0 || !(rate >= 1) ||
            rate > kMaxRate || rate != std::floor(rate) || frameCount < 0 || channelCount < 1 ||
            channelCount > kMaxChannels)
            return Host::kInvalidArgument;
        self().path = where->fsPath();
        self().sampleSize = sampleSize;
        self().rate = rate;
        self().expectedFrames = frameCount;
        self().channels = channelCount;
        return Host::kResultOk;
    }

    Host::tresult open() override {
        const HostCall call(*this, "open");
        if (!call) return call.refusal();
        if (!self().path || self().opened) {
            misuse("open", self().opened ? "opened twice" : "open before configure");
            return Host::kInvalidArgument;
        }
        if (!self().open()) return Host::kResultFalse;
        return Host::kResultOk;
    }

    Host::tresult write(const float* buffer, Host::int32 frames, Host::tbool last) override {
        const HostCall call(*this, "write");
        if (!call) return call.refusal();
        // After a failed write the file is gone; the writer says so to every later write.
        if (self().failed) return Host::kResultFalse;
        if (!self().opened || self().closed) {
            misuse("write", self().closed ? "the file is closed" : "write before open");
            return Host::kInvalidArgument;
        }
        if (frames < 0 || (!buffer && frames > 0)) {
            misuse("write", "a null buffer or a negative frame count");
            return Host::kInvalidArgument;
        }
        const bool written = self().write(buffer, frames);
        if (const auto& watcher = host().audioWriteWatcher(); watcher && written)
            watcher(AudioWriteProgress{*self().path, self().written, self().expectedFrames});
        const bool closed = !last || self().close();
        return written && closed ? Host::kResultOk : Host::kResultFalse;
    }
};

class AudioClipFacet : public Facet<Host::IAudioClip, AudioClipObject> {
public:
    using Facet::Facet;

    Host::tresult setReader(Host::IAudioFileReader* reader) override {
        const HostCall call(*this, "setReader");
        if (!call) return call.refusal();
        auto* from = dynamic_cast<AudioFileReaderObject*>(
            argument("setReader", reader, "reader", &Host::IAudioFileReader::iid));
        if (!from) return Host::kInvalidArgument;
        if (!from->file) return Host::kResultFalse;
        self().file = from->file;
        return Host::kResultOk;
    }
};

const FacetType kTypes[] = {
    facetType<AudioFileReaderFacet, Host::IAudioFileReader>("IAudioFileReader",
                                                            isA<AudioFileReaderObject>),
    facetType<AudioSourceFacet, Host::IAudioSource>("IAudioSource", isA<AudioSourceObject>),
    facetType<AudioFileTypesFacet, Host::IAudioFileTypes>("IAudioFileTypes",
                                                          contextWithFileTypes),
    facetType<AudioFileWriterFacet, Host::IAudioFileWriter>("IAudioFileWriter",
                                                            isA<AudioFileWriterObject>),
    facetType<AudioClipFacet, Host::IAudioClip>("IAudioClip", isA<AudioClipObject>),
};

}  // namespace

// --- Files ---------------------------------------------------------------------------

std::optional<AudioFileInfo> readAudioFileInfo(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return std::nullopt;
    std::vector<int> channelMap;
    if (info.channels > 2) {
        channelMap.resize(static_cast<std::size_t>(info.channels));
        if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, channelMap.data(),
                       static_cast<int>(channelMap.size() * sizeof(int))) != SF_TRUE)
            channelMap.clear();
    }
    sf_close(file);
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) return std::nullopt;
    AudioFileInfo result;
    result.channelMap = std::move(channelMap);
    result.path = path;
    result.sampleRate = info.samplerate;
    result.sampleSize = bitsOf(info.format);
    result.channels = info.channels;
    result.frames = info.frames;
    result.format = "other";
    for (const auto& f : kFormatNames)
        if ((info.format & SF_FORMAT_TYPEMASK) == f.major) result.format = f.name;
    return result;
}

// --- Converting source ---------------------------------------------------------------

AudioSourceObject::AudioSourceObject(ReferenceHost& host, AudioFileInfo f, double r)
    : Object(host), file(std::move(f)), rate(r) {
    host.audioResources().newestSource = this;
}

AudioSourceObject::~AudioSourceObject() { giveBack(); }

void AudioSourceObject::lastReferenceReleased() {
    giveBack();
    failed_ = true;
}

void AudioSourceObject::giveBack() {
    AudioResources& resources = host().audioResources();
    if (soxr_) {
        soxr_delete(soxr_);
        soxr_ = nullptr;
        --resources.converters;
    }
    if (in_) {
        sf_close(in_);
        in_ = nullptr;
        --resources.openFiles;
    }
    std::vector<float>().swap(input_);
    if (resources.newestSource == this) resources.newestSource = nullptr;
}

std::string AudioSourceObject::describe() const {
    return "converting source of \"" + file.path.string() + "\"";
}

std::size_t AudioSourceObject::supply(void* self, soxr_cbuf_t* data, std::size_t requested) {
    auto& source = *static_cast<AudioSourceObject*>(self);
    const auto want = static_cast<sf_count_t>(std::min(requested, kInputBlockFrames));
    const sf_count_t got = sf_readf_float(source.in_, source.input_.data(), want);
    *data = source.input_.data();
    return got > 0 ? static_cast<std::size_t>(got) : 0;  // 0: the end, and soxr flushes
}

bool AudioSourceObject::start() {
    started_ = true;
    SF_INFO info{};
    in_ = sf_open(file.path.c_str(), SFM_READ, &info);
    if (!in_) return false;
    ++host().audioResources().openFiles;
    if (info.channels != file.channels) return false;
    input_.resize(kInputBlockFrames * static_cast<std::size_t>(file.channels));
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(file.sampleRate, rate, static_cast<unsigned>(file.channels), &error, &io,
                        &quality, nullptr);
    if (soxr_) ++host().audioResources().converters;
    if (error || !soxr_) return false;
    return soxr_set_input_fn(soxr_, supply, this, kInputBlockFrames) == nullptr;
}

Host::int32 AudioSourceObject::read(float* out, Host::int32 frames) {
    if (!started_ && !start()) failed_ = true;
    if (failed_) return -1;
    std::size_t want = static_cast<std::size_t>(frames);
    if (frameCount) want = static_cast<std::size_t>(
                        std::min<Host::int64>(frames, *frameCount - delivered));
    const auto channels = static_cast<std::size_t>(file.channels);
    std::size_t got = 0;
    while (got < want && !converterDone_) {
        const std::size_t n = soxr_output(soxr_, out + got * channels, want - got);
        if (soxr_error(soxr_)) {
            failed_ = true;
            return -1;
        }
        if (n == 0) converterDone_ = true;
        got += n;
    }
    // With a frame count the source is exactly that long: silence after the converter's end.
    if (frameCount && got < want) {
        std::fill(out + got * channels, out + want * channels, 0.0f);
        got = want;
    }
    delivered += static_cast<Host::int64>(got);
    return static_cast<Host::int32>(got);
}

// --- File types and writers ----------------------------------------------------------

std::vector<AudioFileType> audioFileTypes(const ReferenceHost& host) {
    std::vector<std::string> names;
    const auto& data = host.profile().data;
    if (data.is_object() && data.contains("audioFileTypes") && data["audioFileTypes"].is_array()) {
        for (const auto& name : data["audioFileTypes"])
            if (name.is_string()) names.push_back(name.get<std::string>());
    } else {
        for (const auto& t : kWritableTypes) names.emplace_back(t.name);
    }
    std::vector<AudioFileType> types;
    for (auto& name : names) {
        int format = 0;
        for (const auto& t : kWritableTypes)
            if (name == t.name) format = t.major;
        types.push_back({std::move(name), format});
    }
    return types;
}

AudioFileWriterObject::AudioFileWriterObject(ReferenceHost& host, AudioFileType t)
    : Object(host), type(std::move(t)) {}

AudioFileWriterObject::~AudioFileWriterObject() { abandon(); }

std::string AudioFileWriterObject::describe() const {
    return path ? type.name + " writer of \"" + path->string() + "\"" : type.name + " writer";
}

void AudioFileWriterObject::lastReferenceReleased() {
    if (out) failed = true;
    abandon();
}

bool AudioFileWriterObject::open() {
    const int format = fileFormat(type.format, sampleSize);
    const std::uint64_t samples = sampleBytes(expectedFrames, channels, sampleSize);
    const std::uint64_t size =
        samples > UINT64_MAX - kHeaderAllowance ? UINT64_MAX : samples + kHeaderAllowance;
    if (!fitsFreeSpace(host(), path->parent_path(), size)) return false;

    int container = format;
    std::vector<int> layout;
    frameLimit_ = std::numeric_limits<Host::int64>::max();
    if (type.format == SF_FORMAT_WAV || type.format == SF_FORMAT_AIFF) {
        const std::uint64_t perFrame = sampleBytes(1, channels, sampleSize);
        frameLimit_ = static_cast<Host::int64>(kPlainSizeLimit / perFrame);
    }
    // AIFF has no larger form: a file beyond its 32-bit sizes is refused before it is begun.
    if (type.format == SF_FORMAT_AIFF && samples > kPlainSizeLimit) return false;
    if (type.format == SF_FORMAT_WAV) {
        // The copy loop reads the newest converting source while it writes.
        const auto* source =
            dynamic_cast<const AudioSourceObject*>(host().audioResources().newestSource);
        if (channels > 2 && source && source->file.channels == channels)
            layout = source->file.channelMap;
        const int sub = format & SF_FORMAT_SUBMASK;
        if (samples > kPlainSizeLimit) {
            container = SF_FORMAT_RF64 | sub;
            frameLimit_ = std::numeric_limits<Host::int64>::max();
        } else if (!layout.empty()) {
            container = SF_FORMAT_WAVEX | sub;
        }
    }

    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = channels;
    info.format = container;
    partial = partialPathFor(*path);
    out = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (!out) {
        // libsndfile may have made the file before it failed to write its header.
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        return false;
    }
    ++host().audioResources().openFiles;
    if (!layout.empty())
        sf_command(out, SFC_SET_CHANNEL_MAP_INFO, layout.data(),
                   static_cast<int>(layout.size() * sizeof(int)));
    opened = true;
    return true;
}

bool AudioFileWriterObject::write(const float* frames, Host::int32 count) {
    if (count == 0) return true;
    if (count > frameLimit_ - written) {
        failed = true;
        abandon();
        return false;
    }
    const std::size_t samples = static_cast<std::size_t>(count) * static_cast<std::size_t>(channels);
    converted_.resize(samples);
    // Samples are quantized to the file's size and kept in the top bits of an int, which is
    // how libsndfile takes integers for any sample size.
    const double full = std::ldexp(1.0, sampleSize - 1);
    const double lowest = -full;
    const double highest = full - 1;
    const int shift = 32 - sampleSize;
    const bool dither = sampleSize < 24;
    constexpr double kUnit32 = 1.0 / 4294967296.0;
    // Adding and taking away 1.5 * 2^52 rounds a double to the nearest integer (ties to
    // even), as nearbyint does, without a library call per sample.
    constexpr double kRound = 6755399441055744.0;
    for (std::size_t i = 0; i < samples; ++i) {
        const double x = std::isfinite(frames[i]) ? static_cast<double>(frames[i]) : 0.0;
        // Clamped first, so the rounding below stays within its range.
        double y = std::clamp(x * full, lowest - 2, highest + 2);
        // TPDF dither: the difference of two uniform values, spanning ±1 step.
        if (dither) {
            const auto a = static_cast<double>(dither_() >> 32);
            const auto b = static_cast<double>(dither_() >> 32);
            y += (a - b) * kUnit32;
        }
        const double q = std::clamp((y + kRound) - kRound, lowest, highest);
        converted_[i] = static_cast<int>(static_cast<std::int64_t>(q) * (std::int64_t{1} << shift));
    }
    const sf_count_t done = sf_writef_int(out, converted_.data(), count);
    written += done;
    if (done == count) return true;
    failed = true;
    abandon();
    return false;
}

bool AudioFileWriterObject::close() {
    if (!out) return !failed;
    const int closing = sf_close(out);
    out = nullptr;
    --host().audioResources().openFiles;
    closed = true;
    std::vector<int>().swap(converted_);
    std::error_code ec;
    if (closing == 0) {
        std::filesystem::rename(partial, *path, ec);
        // Only a file that is in place counts as written; an abandoned copy is gone.
        if (!ec) {
            host().records().filesWritten.push_back(*path);
            return true;
        }
    }
    failed = true;
    std::filesystem::remove(partial, ec);
    return false;
}

void AudioFileWriterObject::abandon() {
    if (out) {
        sf_close(out);
        out = nullptr;
        --host().audioResources().openFiles;
        closed = true;
        std::error_code ec;
        std::filesystem::remove(partial, ec);
    }
    std::vector<int>().swap(converted_);
}

Object* createAudioObject(ReferenceHost& host, const Host::FUID& cid) {
    if (cid == Host::kAudioFileReaderClass) return &host.make<AudioFileReaderObject>();
    if (cid == Host::kAudioClipClass) return &host.make<AudioClipObject>();
    return nullptr;
}

std::span<const FacetType> audioFacetTypes() { return kTypes; }

}  // namespace RefHost
