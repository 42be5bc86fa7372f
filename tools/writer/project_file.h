// A whole project file: the magic, then chunks in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/writer/chunks.h"

namespace TessaroWriter {

inline constexpr std::array<std::uint8_t, 8> kMagic = {0x99, 0x63, 0x6D, 0x70,
                                                        0x0D, 0x0A, 0x1A, 0x0A};

using Chunk = std::variant<HeadChunk, OutputBusChunk, KeyboardChunk, TrackInfoChunk,
                           RegionChunk, PadChunk, PresetChunk, AutomationChunk, EffectChunk,
                           RawChunk>;

// The whole chunk (id, size, body) in the layout of `fileVersion`.
std::vector<std::uint8_t> encode(const Chunk& chunk, std::uint16_t fileVersion);
std::string_view chunkId(const Chunk& chunk);

struct ProjectFile {
    // The first bytes of the file; any length, to write a wrong or short magic.
    std::vector<std::uint8_t> magic{kMagic.begin(), kMagic.end()};
    std::vector<Chunk> chunks;
    // The version whose layout the chunks are written in. Unset: the version of the last
    // "HEAD" chunk before each chunk, as the importer sees it, or the latest version
    // before any "HEAD". (A "HEAD" chunk always follows its own version field.)
    std::optional<std::uint16_t> layoutVersion;
    // Cut the file after this many bytes (a truncated file).
    std::optional<std::size_t> truncateAt;

    // Appends a chunk; returns it, typed, for further changes.
    template <class C>
    C& add(C chunk) {
        chunks.emplace_back(std::move(chunk));
        return std::get<C>(chunks.back());
    }

    // The first chunk of a type, or null.
    template <class C>
    C* find() {
        for (Chunk& c : chunks) {
            if (auto* p = std::get_if<C>(&c)) return p;
        }
        return nullptr;
    }
    template <class C>
    const C* find() const {
        for (const Chunk& c : chunks) {
            if (const auto* p = std::get_if<C>(&c)) return p;
        }
        return nullptr;
    }

    // The layout version of the chunk at `index` (see layoutVersion).
    std::uint16_t versionAt(std::size_t index) const;
    // Byte offset of the chunk at `index` (its id) in the untruncated file.
    std::size_t offsetOf(std::size_t index) const;

    std::vector<std::uint8_t> bytes() const;
    // Writes bytes() to the path, creating the folders; false when it cannot.
    bool writeTo(const std::filesystem::path& path) const;
};

// The names of the wave files that the audio regions of a file refer to, each once, in
// the order of their first mention.
std::vector<std::u16string> referencedAudioFiles(const ProjectFile& file);

// A project in the given format (sample rate, sample size) with one audio track per entry
// of tracks, numbered from 1: each region of a track plays the named wave file, the regions
// one after another, each regionTicks long.
ProjectFile audioTracksProject(const std::vector<std::vector<std::u16string>>& tracks,
                               std::uint32_t sampleRate = 44100, std::uint8_t sampleSize = 16,
                               std::uint32_t regionTicks = 120);

// A project of count plain instrument tracks, "Track 1" to "Track <count>": the song header
// and a track info chunk per track, nothing else. The one kind of input whose size a file
// can grow without bound while every track stays legal.
ProjectFile instrumentTracksProject(int count);

}  // namespace TessaroWriter
