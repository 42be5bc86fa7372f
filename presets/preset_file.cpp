#include "presets/preset_file.h"

#include <cstdio>
#include <cstring>

namespace Qpl {

namespace {

constexpr const char* kChunkIds[] = {"QPL3", "Comp", "Cont", "Prog", "Info", "List"};
constexpr std::int32_t kFormatVersion = 1;

struct MetaAttribute {
    const char* id;
    const char* value;
    const char* flags;
};

constexpr MetaAttribute kSynthMeta[] = {
    {"MediaType", "QplPreset", "writeProtected"},
    {"MusicalMidiInstrument", "Analora", "writeProtected"},
    {"PlugInCategory", "Instrument|Synth", "writeProtected"},
    {"PlugInName", "Analora", "writeProtected"},
    {"PlugInVendor", "Valdrun Media Technologies", "writeProtected"},
    {"QPL3UniqueID", "7E21A4C03B5D4F96A8C2D17E5F09B3A4", "hidden|writeProtected"},
};

}  // namespace

const char* chunkId(ChunkType type) { return kChunkIds[type]; }

std::string classIdText(const Host::FUID& cid) {
    const auto* b = cid.bytes;
    const unsigned long group1 = static_cast<unsigned long>(b[0]) |
                                 static_cast<unsigned long>(b[1]) << 8 |
                                 static_cast<unsigned long>(b[2]) << 16 |
                                 static_cast<unsigned long>(b[3]) << 24;
    const unsigned group2 = static_cast<unsigned>(b[4] | b[5] << 8);
    const unsigned group3 = static_cast<unsigned>(b[6] | b[7] << 8);
    char text[33];
    std::snprintf(text, sizeof text, "%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", group1,
                  group2, group3, b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return std::string(text, 32);
}

std::string synthPresetMetaText() {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n";
    for (const auto& a : kSynthMeta) {
        text += "<Attribute id=\"";
        text += a.id;
        text += "\" value=\"";
        text += a.value;
        text += "\" type=\"string\" flags=\"";
        text += a.flags;
        text += "\"/>\n";
    }
    text += "</MetaInfo>";
    return text;
}

PresetFile::PresetFile(Host::IBStream* stream, const Host::FUID& classId)
    : stream_(Tessaro::IPtr<Host::IBStream>::share(stream)), classId_(classId) {}

bool PresetFile::seekTo(std::int64_t position) {
    Host::int64 result = -1;
    return stream_ &&
           stream_->seek(position, Host::IBStream::kSeekSet, &result) == Host::kResultOk &&
           result == position;
}

bool PresetFile::tell(std::int64_t* position) {
    Host::int64 told = -1;
    if (!stream_ || stream_->tell(&told) != Host::kResultOk || told < 0) return false;
    *position = told;
    return true;
}

bool PresetFile::writeField(const void* bytes, std::int32_t size) {
    Host::int32 written = 0;
    return stream_ && stream_->write(bytes, size, &written) == Host::kResultOk &&
           written == size;
}

bool PresetFile::writeInt32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 24)};
    return writeField(b, 4);
}

bool PresetFile::writeInt64(std::int64_t value) {
    const auto v = static_cast<std::uint64_t>(value);
    std::uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
    return writeField(b, 8);
}

bool PresetFile::writeData(const void* bytes, std::int32_t size) {
    if (!stream_) return false;
    Host::int32 written = 0;
    const Host::tresult r = stream_->write(bytes, size, &written);
    return r == Host::kResultOk || r == Host::kNotImplemented;
}

std::int32_t PresetFile::findEntry(ChunkType type) const {
    for (std::int32_t i = 0; i < entryCount_; ++i)
        if (std::memcmp(entries_[i].id, kChunkIds[type], 4) == 0) return i;
    return -1;
}

bool PresetFile::beginEntry(ChunkType type, Entry& entry) {
    if (entryCount_ >= kMaxEntries) return false;
    std::memcpy(entry.id, kChunkIds[type], 4);
    entry.size = 0;
    return tell(&entry.offset);
}

bool PresetFile::endEntry(Entry& entry) {
    if (entryCount_ >= kMaxEntries) return false;
    std::int64_t position = 0;
    if (!tell(&position)) return false;
    entry.size = position - entry.offset;
    entries_[entryCount_++] = entry;
    return true;
}

bool PresetFile::emitHeader() {
    if (!seekTo(0)) return false;
    const std::string id = classIdText(classId_);
    return writeField(kChunkIds[kHeader], 4) && writeInt32(kFormatVersion) &&
           writeData(id.data(), static_cast<std::int32_t>(id.size())) && writeInt64(0);
}

bool PresetFile::emitChunk(const void* data, std::int32_t size, ChunkType type) {
    if (size < 0 || (size > 0 && !data) || findEntry(type) >= 0) return false;
    Entry entry;
    return beginEntry(type, entry) && writeData(data, size) && endEntry(entry);
}

bool PresetFile::emitMetaText(const char* text, std::int32_t length, bool replace) {
    if (!text) return false;
    const std::int32_t existing = findEntry(kMetaInfo);
    if (existing >= 0 && !replace) return false;
    if (existing >= 0) {
        // Only the last chunk can be written anew without moving the others.
        if (existing != entryCount_ - 1 || !seekTo(entries_[existing].offset)) return false;
        --entryCount_;
    } else {
        const std::int64_t end =
            entryCount_ == 0 ? kHeaderSize
                             : entries_[entryCount_ - 1].offset + entries_[entryCount_ - 1].size;
        if (!seekTo(end)) return false;
    }
    if (length < 0) length = static_cast<std::int32_t>(std::strlen(text));
    Entry entry;
    return beginEntry(kMetaInfo, entry) && writeData(text, length) && endEntry(entry);
}

bool PresetFile::emitChunkList() {
    std::int64_t listOffset = 0;
    if (!tell(&listOffset) || !seekTo(kListOffsetPosition) || !writeInt64(listOffset) ||
        !seekTo(listOffset))
        return false;
    if (!writeField(kChunkIds[kChunkList], 4) || !writeInt32(entryCount_)) return false;
    for (std::int32_t i = 0; i < entryCount_; ++i) {
        const Entry& e = entries_[i];
        if (!writeField(e.id, 4) || !writeInt64(e.offset) || !writeInt64(e.size)) return false;
    }
    return true;
}

bool PresetFile::writeSynthPreset(Host::IBStream* stream, const void* data, std::int32_t size) {
    PresetFile file(stream, kAnaloraClassId);
    if (!file.emitHeader()) return false;
    if (!file.emitChunk(data, size, kComponentState)) return false;
    const std::string meta = synthPresetMetaText();
    if (!file.emitMetaText(meta.c_str(), static_cast<std::int32_t>(meta.size()), false))
        return false;
    return file.emitChunkList();
}

}  // namespace Qpl
