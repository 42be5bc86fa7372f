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

void writeAudioFile(ReportWriter& out, const ReferenceHost& host, const AudioFileInfo& info,
                    bool withPath) {
    out.beginObject();
    if (withPath) out.member("path", shownFilePath(host, info.path));
    out.member("sampleRate", info.sampleRate);
    out.member("sampleSize", info.sampleSize);
    out.member("channels", info.channels);
    out.member("frames", info.frames);
    out.member("format", info.format);
    out.end();
}

}  // namespace RefHost
