#include "tools/writer/project_file.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <system_error>

namespace TessaroWriter {

std::vector<std::uint8_t> encode(const Chunk& chunk, std::uint16_t fileVersion) {
    return std::visit([&](const auto& c) { return encode(c, fileVersion); }, chunk);
}

std::string_view chunkId(const Chunk& chunk) {
    return std::visit([](const auto& c) { return chunkId(c); }, chunk);
}

std::uint16_t ProjectFile::versionAt(std::size_t index) const {
    if (layoutVersion) return *layoutVersion;
    std::uint16_t version = kLatestVersion;
    for (std::size_t i = 0; i < index && i < chunks.size(); ++i) {
        if (const auto* head = std::get_if<HeadChunk>(&chunks[i])) version = head->version;
    }
    return version;
}

std::size_t ProjectFile::offsetOf(std::size_t index) const {
    std::size_t offset = magic.size();
    for (std::size_t i = 0; i < index && i < chunks.size(); ++i) {
        offset += encode(chunks[i], versionAt(i)).size();
    }
    return offset;
}

std::vector<std::uint8_t> ProjectFile::bytes() const {
    std::vector<std::uint8_t> out(magic);
    std::uint16_t version = layoutVersion.value_or(kLatestVersion);
    for (const Chunk& chunk : chunks) {
        const auto encoded = encode(chunk, version);
        out.insert(out.end(), encoded.begin(), encoded.end());
        if (const auto* head = std::get_if<HeadChunk>(&chunk); head && !layoutVersion) {
            version = head->version;
        }
    }
    if (truncateAt && *truncateAt < out.size()) out.resize(*truncateAt);
    return out;
}

bool ProjectFile::writeTo(const std::filesystem::path& path) const {
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    if (error) return false;
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (!stream) return false;
    const auto data = bytes();
    stream.write(reinterpret_cast<const char*>(data.data()),
                 static_cast<std::streamsize>(data.size()));
    stream.close();
    return !stream.fail();
}

std::vector<std::u16string> referencedAudioFiles(const ProjectFile& file) {
    std::vector<std::u16string> names;
    for (const Chunk& chunk : file.chunks) {
        const auto* regions = std::get_if<RegionChunk>(&chunk);
        if (!regions) continue;
        for (const Region& region : regions->regions) {
            const auto* audio = std::get_if<AudioData>(&region.content);
            if (audio && std::find(names.begin(), names.end(), audio->fileName.text) == names.end()) {
                names.push_back(audio->fileName.text);
            }
        }
    }
    return names;
}

ProjectFile instrumentTracksProject(int count) {
    ProjectFile file;
    HeadChunk& head = file.add(HeadChunk{});
    head.trackCount = static_cast<std::uint16_t>(count);
    for (int t = 1; t <= count; ++t) {
        TrackInfoChunk track;
        track.trackNumber = static_cast<std::uint16_t>(t);
        track.trackType = kInstrumentTrack;
        track.name = std::string_view("Track " + std::to_string(t));
        file.add(std::move(track));
    }
    return file;
}

ProjectFile audioTracksProject(const std::vector<std::vector<std::u16string>>& tracks,
                               std::uint32_t sampleRate, std::uint8_t sampleSize,
                               std::uint32_t regionTicks) {
    ProjectFile file;
    HeadChunk& head = file.add(HeadChunk{});
    head.trackCount = static_cast<std::uint16_t>(tracks.size());
    head.sampleRate = sampleRate;
    head.sampleSize = sampleSize;
    std::uint16_t number = 0;
    for (const auto& names : tracks) {
        TrackInfoChunk track;
        track.trackNumber = ++number;
        track.trackType = kAudioTrack;
        track.name = std::string_view("Audio " + std::to_string(number));
        file.add(std::move(track));
        RegionChunk chunk;
        chunk.trackNumber = number;
        std::uint32_t position = 0;
        for (const auto& name : names) {
            AudioData audio;
            audio.fileName = name;
            Region region;
            region.position = position;
            region.length = regionTicks;
            region.content = audio;
            chunk.regions.push_back(std::move(region));
            position += regionTicks;
        }
        file.add(std::move(chunk));
    }
    return file;
}

}  // namespace TessaroWriter
