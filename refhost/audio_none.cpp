// The reference host without its audio libraries (TESSARO_WITH_AUDIO 0: the Windows build,
// which has no libsndfile or libsoxr). The host reads no audio file and offers no audio
// class or interface, so the module finds no audio file reader and skips audio events, as
// it does with a host that lacks them. Everything else of audio.h behaves as in audio.cpp.
#include "refhost/audio.h"

#include "refhost/reference_host.h"

namespace RefHost {

namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string genericUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::optional<AudioFileInfo> readAudioFileInfo(const std::filesystem::path&) {
    return std::nullopt;
}

std::string AudioFileReaderObject::describe() const {
    return file ? "audio file reader of \"" + utf8(file->path) + "\"" : "audio file reader";
}

std::vector<AudioFileType> audioFileTypes(const ReferenceHost&) { return {}; }

std::string AudioClipObject::describe() const {
    return file ? "audio clip of \"" + utf8(file->path) + "\"" : "audio clip";
}

Object* createAudioObject(ReferenceHost&, const Host::FUID&) { return nullptr; }

std::string shownFilePath(const ReferenceHost& host, const std::filesystem::path& file) {
    if (!host.projectFolder().empty()) {
        const auto relative = file.lexically_normal().lexically_relative(
            host.projectFolder().lexically_normal());
        if (!relative.empty() && *relative.begin() != "..") return genericUtf8(relative);
    }
    return genericUtf8(file);
}

Report audioFileJson(const ReferenceHost& host, const AudioFileInfo& info) {
    Report j;
    j["path"] = shownFilePath(host, info.path);
    j["sampleRate"] = info.sampleRate;
    j["sampleSize"] = info.sampleSize;
    j["channels"] = info.channels;
    j["frames"] = info.frames;
    j["format"] = info.format;
    return j;
}

void addAudioFileReport(const ReferenceHost&, Report&) {}

std::span<const FacetType> audioFacetTypes() { return {}; }

}  // namespace RefHost
