// What the reference host's audio side shows in both builds, with and without the audio
// libraries: the descriptions of readers and clips, and audio files in the report.
#include "refhost/audio.h"
#include "refhost/file_io.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

std::string genericUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string AudioFileReaderObject::describe() const {
    return file ? "audio file reader of \"" + FileIo::utf8(file->path) + "\"" : "audio file reader";
}

std::string AudioClipObject::describe() const {
    return file ? "audio clip of \"" + FileIo::utf8(file->path) + "\"" : "audio clip";
}

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

}  // namespace RefHost
