#include "tools/writer/chunks.h"

#include <algorithm>
#include <string_view>

namespace TessaroWriter {
namespace {

std::uint32_t sizeOf(std::size_t n) { return static_cast<std::uint32_t>(n); }

template <class T>
std::uint8_t count8(const std::vector<T>& items, const std::optional<std::uint8_t>& lie) {
    return lie ? *lie : static_cast<std::uint8_t>(items.size());
}

template <class T>
std::uint32_t count32(const std::vector<T>& items, const std::optional<std::uint32_t>& lie) {
    return lie ? *lie : static_cast<std::uint32_t>(items.size());
}

// Id, size field (the override or the body size) and body.
std::vector<std::uint8_t> wrap(std::string_view id, const std::vector<std::uint8_t>& body,
                               const std::optional<std::uint32_t>& sizeOverride) {
    ByteWriter w;
    w.ascii(id);
    w.u32(sizeOverride ? *sizeOverride : sizeOf(body.size()));
    w.bytes(body);
    return w.take();
}

void writeKeyLists(ByteWriter& w, const std::vector<std::vector<std::uint8_t>>& lists,
                   const std::optional<std::uint8_t>& countLie) {
    w.u8(count8(lists, countLie));
    for (const auto& keys : lists) {
        w.u8(static_cast<std::uint8_t>(keys.size()));
        w.bytes(keys);
    }
}

}  // namespace

std::vector<std::uint8_t> encodeBody(const HeadChunk& c) {
    const unsigned v = c.version;
    ByteWriter w;
    w.u16(c.version);
    w.f32(c.songLengthSeconds);
    w.u16(c.ticksPerWholeNote);
    w.u32(c.songLengthTicks);
    w.f32(c.tempo);
    w.u8(c.numerator).u8(c.denominator).u8(c.looping);
    w.u32(c.songCursor).u32(c.leftMarker).u32(c.rightMarker);
    w.u32(c.rulerStartTick).u32(c.rulerEndTick);
    w.u16(c.trackCount).u16(c.selectedTrack);
    if (v >= 3 && v <= 6) w.f32(c.masterGain).f32(c.masterPan);
    if (v >= 7) {
        w.bytes(c.dropped7);
        w.u32(c.sampleRate).u8(c.sampleSize);
    }
    if (v >= 11) w.bytes(c.dropped11);
    if (v >= 18) w.bytes(c.dropped18);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const OutputBusChunk& c, std::uint16_t fileVersion) {
    ByteWriter w;
    w.u8(c.channel).u8(c.mute).f32(c.gain).f32(c.pan);
    if (fileVersion >= 9) w.u8(c.automationMode);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const KeyboardChunk& c, std::uint16_t) {
    ByteWriter w;
    w.u8(c.rowCount);
    w.u8(c.lowerLeftKey).u8(c.lowerRightKey).u8(c.upperLeftKey).u8(c.upperRightKey);
    w.u8(c.keyLabelMode).u8(c.velocityMode).i8(c.transposition).u8(c.autoQuantization);
    w.f32(c.pitchBendRange);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const TrackInfoChunk& c, std::uint16_t fileVersion) {
    const unsigned v = fileVersion;
    ByteWriter w;
    w.u16(c.trackNumber).u8(c.trackType).string(c.name);
    w.u32(c.instrumentId).u32(c.colour);
    w.u8(c.mute).u8(c.solo).u8(c.armed).u8(c.monitoring);
    w.f32(c.volume).f32(c.pan);
    w.f32(c.attackDuration).f32(c.releaseDuration).f32(c.attackOffset);
    w.u8(c.audioInputChannelCount).u8(c.audioInputChannel);
    w.u8(c.midiInputPort).u8(c.midiInputChannel);
    w.u8(c.midiOutputPort).u8(c.midiOutputChannel);
    w.u8(count8(c.sends, c.sendCountOverride));
    for (const Send& s : c.sends) w.i16(s.busId).u8(s.enabled).f32(s.level);
    if (v >= 6) w.u16(c.freeze);
    if (v >= 7) {
        w.f32(c.modulation);
        w.u8(count8(c.outputs, c.outputCountOverride));
        w.bytes(c.outputs);
    }
    if (v >= 8) w.u32(c.audioInputId);
    if (v >= 9) w.u8(c.automationMode);
    if (v >= 10) w.f32(c.pitchBendRange);
    if (v >= 14) w.string(c.extraText1).string(c.extraText2);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeSubChunk(const MidiData& d, std::uint16_t fileVersion) {
    const unsigned v = fileVersion;
    const std::uint8_t eventRecordSize = d.eventRecordSize ? *d.eventRecordSize
                                         : static_cast<std::uint8_t>(v >= 10 ? 8 : 6);
    // The size as the importer counts it: the fixed part plus the records at their
    // declared sizes. A record size smaller than the fields still gets all fields written.
    const std::uint32_t fixed = v >= 2 ? 26 : 25;
    const std::uint32_t declared = fixed + sizeOf(d.notes.size()) * d.noteRecordSize +
                                   sizeOf(d.events.size()) * eventRecordSize +
                                   sizeOf(d.extra.size());
    ByteWriter w;
    w.u32(d.sizeOverride ? *d.sizeOverride : declared);
    w.i8(d.transposition).u8(d.quantizeGrid);
    if (v >= 2) w.u8(d.quantizeTuplet);
    w.u8(d.quantizeEnds).f32(d.quantizeSwing).f32(d.quantizeAmount);
    w.u8(d.noteRecordSize).u32(count32(d.notes, d.noteCountOverride));
    for (const Note& n : d.notes) {
        const std::size_t start = w.size();
        w.u32(n.position).u32(n.length).u8(n.key).u8(n.velocity);
        w.padTo(start + d.noteRecordSize);
    }
    w.u8(eventRecordSize).u32(count32(d.events, d.eventCountOverride));
    for (const Event& e : d.events) {
        const std::size_t start = w.size();
        w.u32(e.position).u16(e.value);
        if (v >= 10) w.u8(e.type).u8(e.key);
        w.padTo(start + eventRecordSize);
    }
    w.bytes(d.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeSubChunk(const AudioData& d, std::uint16_t fileVersion) {
    const std::uint32_t declared =
        30 + 2 * sizeOf(d.fileName.units()) + sizeOf(d.extra.size());
    ByteWriter w;
    w.u32(d.sizeOverride ? *d.sizeOverride : declared);
    const std::size_t start = w.size();
    w.u32(d.inPoint).string(d.fileName);
    if (fileVersion >= 15) w.bytes(d.reserved15);
    if (fileVersion >= 19) w.bytes(d.reserved19);
    if (fileVersion >= 22) w.bytes(d.reserved22);
    // The app writes the whole 30-byte frame in every version; the blocks an older
    // version does not define are padding.
    w.padTo(start - 4 + 30 + 2 * d.fileName.units());
    w.bytes(d.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const RegionChunk& c, std::uint16_t fileVersion) {
    ByteWriter w;
    w.u16(c.regionHeaderSize).u16(c.trackNumber);
    w.u32(count32(c.regions, c.regionCountOverride));
    for (const Region& r : c.regions) {
        const std::size_t start = w.size();
        w.u32(r.position).u32(r.length).f32(r.gain).u8(r.mute).u32(r.attack).u32(r.release);
        w.string(r.name);
        w.padTo(start + c.regionHeaderSize + 2 * r.name.units());
        std::visit([&](const auto& data) { w.bytes(encodeSubChunk(data, fileVersion)); },
                   r.content);
    }
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const PadChunk& c, std::uint16_t) {
    ByteWriter w;
    w.u16(c.trackNumber);
    writeKeyLists(w, c.chordButtons, c.chordButtonCountOverride);
    w.u8(count8(c.drumPadKeys, c.drumPadCountOverride));
    w.bytes(c.drumPadKeys);
    writeKeyLists(w, c.chordPads, c.chordPadCountOverride);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const PresetChunk& c, std::uint16_t) {
    const std::size_t natural = 8 + 2 * c.name.units();
    const std::uint16_t headerSize =
        c.headerSize ? *c.headerSize : static_cast<std::uint16_t>(natural);
    ByteWriter w;
    w.u16(headerSize).u16(c.trackNumber).u16(c.pluginId).string(c.name);
    w.padTo(std::max<std::size_t>(natural, headerSize));
    w.u32(c.dataLengthOverride ? *c.dataLengthOverride : sizeOf(c.data.size()));
    w.bytes(c.data);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const AutomationChunk& c, std::uint16_t) {
    ByteWriter w;
    w.u16(c.type).u32(c.targetId).u8(c.enabled).u8(c.read).u8(c.write);
    w.u32(count32(c.points, c.countOverride));
    for (const AutomationPoint& p : c.points) w.u32(p.position).f32(p.value).u8(p.curveType);
    w.bytes(c.extra);
    return w.take();
}

std::vector<std::uint8_t> encodeBody(const RawChunk& c, std::uint16_t) { return c.body; }

std::vector<std::uint8_t> encode(const HeadChunk& c) {
    return wrap(chunkId(c), encodeBody(c), c.sizeOverride);
}

std::vector<std::uint8_t> encode(const HeadChunk& c, std::uint16_t) { return encode(c); }

#define TESSARO_WRITER_ENCODE(Type)                                                    \
    std::vector<std::uint8_t> encode(const Type& c, std::uint16_t fileVersion) {       \
        return wrap(chunkId(c), encodeBody(c, fileVersion), c.sizeOverride);           \
    }
TESSARO_WRITER_ENCODE(OutputBusChunk)
TESSARO_WRITER_ENCODE(KeyboardChunk)
TESSARO_WRITER_ENCODE(TrackInfoChunk)
TESSARO_WRITER_ENCODE(RegionChunk)
TESSARO_WRITER_ENCODE(PadChunk)
TESSARO_WRITER_ENCODE(PresetChunk)
TESSARO_WRITER_ENCODE(AutomationChunk)
TESSARO_WRITER_ENCODE(EffectChunk)
#undef TESSARO_WRITER_ENCODE

std::vector<std::uint8_t> encode(const RawChunk& c, std::uint16_t) {
    ByteWriter w;
    w.ascii(c.id);
    if (c.withSize) w.u32(c.sizeOverride ? *c.sizeOverride : sizeOf(c.body.size()));
    w.bytes(c.body);
    return w.take();
}

}  // namespace TessaroWriter
