// One plain struct per chunk of the project file, each with valid defaults: a
// default-constructed chunk encodes to a chunk that the importer reads without complaint.
//
// Every chunk struct ends in the same two members:
//   sizeOverride  the value written into the size field instead of the true body size;
//   extra         bytes appended to the body (counted in the size unless overridden).
// Counts that can lie have a `...CountOverride`; record sizes can be set larger than the
// fields they hold (the records are padded with zeros).
//
// The layout of most chunks depends on the file version of the song header. The encoders
// take that version; `ProjectFile` (project_file.h) passes the version of the last "HEAD"
// chunk before the one it encodes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/writer/byte_writer.h"
#include "tools/writer/effect_chunk.h"

namespace TessaroWriter {

// The newest file version the writer knows; the default of every file it builds.
inline constexpr std::uint16_t kLatestVersion = 22;

// "HEAD": the song header. Its own version field decides its layout.
struct HeadChunk {
    std::uint16_t version = kLatestVersion;
    float songLengthSeconds = 16.0f;  // 3840 ticks at 480 per whole note and 120 bpm
    std::uint16_t ticksPerWholeNote = 480;
    std::uint32_t songLengthTicks = 3840;
    float tempo = 120.0f;
    std::uint8_t numerator = 4;
    std::uint8_t denominator = 4;
    std::uint8_t looping = 0;
    std::uint32_t songCursor = 0;
    std::uint32_t leftMarker = 0;
    std::uint32_t rightMarker = 1920;
    std::uint32_t rulerStartTick = 0;
    std::uint32_t rulerEndTick = 3840;
    std::uint16_t trackCount = 0;
    std::uint16_t selectedTrack = 0;
    float masterGain = 1.0f;                     // versions 3 to 6
    float masterPan = 0.0f;                      // versions 3 to 6
    std::array<std::uint8_t, 8> dropped7{};      // version 7 on, in place of gain and pan
    std::uint32_t sampleRate = 44100;            // version 7 on
    std::uint8_t sampleSize = 16;                // version 7 on
    std::array<std::uint8_t, 8> dropped11{};     // version 11 on
    std::array<std::uint8_t, 6> dropped18{};     // version 18 on
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// "OUTB": one output bus of the app's mixer.
struct OutputBusChunk {
    std::uint8_t channel = 1;
    std::uint8_t mute = 0;
    float gain = 1.0f;
    float pan = 0.0f;
    std::uint8_t automationMode = 0;  // version 9 on
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// "KEYB": the app's on-screen keyboard.
struct KeyboardChunk {
    std::uint8_t rowCount = 1;
    std::uint8_t lowerLeftKey = 48;
    std::uint8_t lowerRightKey = 72;
    std::uint8_t upperLeftKey = 60;
    std::uint8_t upperRightKey = 84;
    std::uint8_t keyLabelMode = 0;
    std::uint8_t velocityMode = 1;
    std::int8_t transposition = 0;
    std::uint8_t autoQuantization = 0;
    float pitchBendRange = 2.0f;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

inline constexpr std::uint8_t kInstrumentTrack = 0;
inline constexpr std::uint8_t kAudioTrack = 1;

// One send of a track: 7 bytes.
struct Send {
    std::int16_t busId = 0;
    std::uint8_t enabled = 1;
    float level = 0.5f;
};

// "TINF": one track.
struct TrackInfoChunk {
    std::uint16_t trackNumber = 1;
    std::uint8_t trackType = kInstrumentTrack;
    FileString name = u"Track";
    std::uint32_t instrumentId = 1;
    std::uint32_t colour = 0x4080C0;
    std::uint8_t mute = 0;
    std::uint8_t solo = 0;
    std::uint8_t armed = 0;
    std::uint8_t monitoring = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    float attackDuration = 0.0f;
    float releaseDuration = 0.0f;
    float attackOffset = 0.0f;
    std::uint8_t audioInputChannelCount = 1;
    std::uint8_t audioInputChannel = 0;
    std::uint8_t midiInputPort = 0;
    std::uint8_t midiInputChannel = 0;
    std::uint8_t midiOutputPort = 0;
    std::uint8_t midiOutputChannel = 0;
    std::vector<Send> sends;
    std::optional<std::uint8_t> sendCountOverride;
    std::uint16_t freeze = 0;                    // version 6 on
    float modulation = 0.0f;                     // version 7 on
    std::vector<std::uint8_t> outputs = {1};     // version 7 on: output bus channels
    std::optional<std::uint8_t> outputCountOverride;
    std::uint32_t audioInputId = 0;              // version 8 on
    std::uint8_t automationMode = 0;             // version 9 on
    float pitchBendRange = 2.0f;                 // version 10 on
    FileString extraText1;                       // version 14 on
    FileString extraText2;                       // version 14 on
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// A note of a MIDI region; positions are absolute ticks.
struct Note {
    std::uint32_t position = 0;
    std::uint32_t length = 120;
    std::uint8_t key = 60;
    std::uint8_t velocity = 100;
};

inline constexpr std::uint8_t kPitchBendEvent = 2;  // value bits 0-6 and 7-13
inline constexpr std::uint8_t kEventType3 = 3;      // one value
inline constexpr std::uint8_t kEventType4 = 4;      // one value
inline constexpr std::uint8_t kControllerEvent = 5; // key (controller number) and value

// An event of a MIDI region; type and key are written from version 10 on.
struct Event {
    std::uint32_t position = 0;
    std::uint16_t value = 8192;
    std::uint8_t type = kPitchBendEvent;
    std::uint8_t key = 0;
};

// The MIDI sub-chunk of a region on an instrument track.
struct MidiData {
    std::int8_t transposition = 0;
    std::uint8_t quantizeGrid = 0;
    std::uint8_t quantizeTuplet = 0;  // version 2 on
    std::uint8_t quantizeEnds = 0;
    float quantizeSwing = 0.0f;
    float quantizeAmount = 1.0f;
    std::uint8_t noteRecordSize = 10;  // records are padded with zeros up to this size
    std::vector<Note> notes;
    std::optional<std::uint32_t> noteCountOverride;
    // Default: 6 before version 10, 8 from version 10.
    std::optional<std::uint8_t> eventRecordSize;
    std::vector<Event> events;
    std::optional<std::uint32_t> eventCountOverride;
    // Default size: the sub-chunk's fixed part (26, or 25 in version 1) plus the records
    // at their declared record sizes plus the extra bytes.
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// The audio sub-chunk of a region on an audio track.
struct AudioData {
    std::uint32_t inPoint = 0;
    FileString fileName = u"audio.wav";
    std::array<std::uint8_t, 10> reserved15{};  // version 15 on
    std::array<std::uint8_t, 4> reserved19{};   // version 19 on
    std::array<std::uint8_t, 6> reserved22{};   // version 22 on
    // Size: 30 plus twice the name's units plus the extra bytes, in every version; the
    // reserved blocks a version does not define are written as zero padding.
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

struct Region {
    std::uint32_t position = 0;
    std::uint32_t length = 1920;
    float gain = 1.0f;
    std::uint8_t mute = 0;
    std::uint32_t attack = 0;
    std::uint32_t release = 0;
    FileString name = u"Region";
    std::variant<MidiData, AudioData> content;
};

// "TREG": the regions of one track.
struct RegionChunk {
    // Header size of every region, its name's text not counted; a size above 23 pads
    // each region header with zeros behind the name.
    std::uint16_t regionHeaderSize = 23;
    std::uint16_t trackNumber = 1;
    std::vector<Region> regions;
    std::optional<std::uint32_t> regionCountOverride;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// "TPAD": chord buttons, drum pads and chord pads of a track, each a list of keys.
struct PadChunk {
    std::uint16_t trackNumber = 1;
    std::vector<std::vector<std::uint8_t>> chordButtons;
    std::optional<std::uint8_t> chordButtonCountOverride;
    std::vector<std::uint8_t> drumPadKeys;
    std::optional<std::uint8_t> drumPadCountOverride;
    std::vector<std::vector<std::uint8_t>> chordPads;
    std::optional<std::uint8_t> chordPadCountOverride;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// "QPLP": preset data of a track's instrument plug-in.
struct PresetChunk {
    // Default: 8 plus twice the name's units; more pads the header with zeros.
    std::optional<std::uint16_t> headerSize;
    std::uint16_t trackNumber = 1;
    std::uint16_t pluginId = 1;
    FileString name = u"Preset";
    std::vector<std::uint8_t> data;
    std::optional<std::uint32_t> dataLengthOverride;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

inline constexpr std::uint16_t kVolumeAutomation = 1;
inline constexpr std::uint16_t kPanAutomation = 2;
inline constexpr std::uint16_t kThirdAutomation = 3;

struct AutomationPoint {
    std::uint32_t position = 0;
    float value = 1.0f;
    std::uint8_t curveType = 0;
};

// "AUTO": one automation curve. The target id is the track number times 100.
struct AutomationChunk {
    std::uint16_t type = kVolumeAutomation;
    std::uint32_t targetId = 100;
    std::uint8_t enabled = 1;
    std::uint8_t read = 1;
    std::uint8_t write = 0;
    std::vector<AutomationPoint> points;
    std::optional<std::uint32_t> countOverride;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

// Any chunk, known or not: an id (written as given, any length), a size and a body.
// Without `withSize` only the id and the body are written, which is how the importer
// meets an unknown id (it reads no size for it).
struct RawChunk {
    std::string id = "XTRA";
    bool withSize = true;
    std::vector<std::uint8_t> body;
    std::optional<std::uint32_t> sizeOverride;
};

// Encoders: the body alone (behind the size field) and the whole chunk (id, size, body).
std::vector<std::uint8_t> encodeBody(const HeadChunk& c);
std::vector<std::uint8_t> encodeBody(const OutputBusChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const KeyboardChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const TrackInfoChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const RegionChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const PadChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const PresetChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const AutomationChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const EffectChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeBody(const RawChunk& c, std::uint16_t fileVersion);

// A region's sub-chunk alone (its size field first).
std::vector<std::uint8_t> encodeSubChunk(const MidiData& d, std::uint16_t fileVersion);
std::vector<std::uint8_t> encodeSubChunk(const AudioData& d, std::uint16_t fileVersion);

std::vector<std::uint8_t> encode(const HeadChunk& c);
// The head's layout follows its own version field; the argument is ignored, so that
// every chunk type can be encoded alike.
std::vector<std::uint8_t> encode(const HeadChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const OutputBusChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const KeyboardChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const TrackInfoChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const RegionChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const PadChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const PresetChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const AutomationChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const EffectChunk& c, std::uint16_t fileVersion);
std::vector<std::uint8_t> encode(const RawChunk& c, std::uint16_t fileVersion = kLatestVersion);

// The chunk ids.
inline constexpr std::string_view chunkId(const HeadChunk&) { return "HEAD"; }
inline constexpr std::string_view chunkId(const OutputBusChunk&) { return "OUTB"; }
inline constexpr std::string_view chunkId(const KeyboardChunk&) { return "KEYB"; }
inline constexpr std::string_view chunkId(const TrackInfoChunk&) { return "TINF"; }
inline constexpr std::string_view chunkId(const RegionChunk&) { return "TREG"; }
inline constexpr std::string_view chunkId(const PadChunk&) { return "TPAD"; }
inline constexpr std::string_view chunkId(const PresetChunk&) { return "QPLP"; }
inline constexpr std::string_view chunkId(const AutomationChunk&) { return "AUTO"; }
inline constexpr std::string_view chunkId(const EffectChunk&) { return "EFFX"; }
inline std::string_view chunkId(const RawChunk& c) { return c.id; }

}  // namespace TessaroWriter
