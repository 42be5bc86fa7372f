// The song model: what the chunk readers learn of the song and keep for the builders. The
// readers fill it in file order; once the file is read, the builders complete the host
// project from it. It holds no host interface but the track the last track info chunk
// made, which the region chunk that follows fills.
//
// Every value has its default here, in one place: a new read starts from a new model.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "interfaces/all.h"
#include "model/effect_record.h"

namespace Tessaro {

// The song header's values every later chunk depends on ("HEAD").
struct SongHeader {
    std::uint16_t fileVersion = 0;  // the layout of every later chunk grows with it
    float tickBase = 0;             // 48 / ticks per whole note
    float tickFactor = 0;           // host position units per file tick
    std::uint32_t songLength = 0;   // ticks
    float tempo = 0;                // beats per minute
    std::uint16_t declaredTrackCount = 0;

    // A file tick value as a host position: in single precision, times the tick factor.
    double ticksToPosition(std::uint32_t ticks) const {
        return static_cast<double>(static_cast<float>(ticks) * tickFactor);
    }
};

// The kinds of track of the track info chunk; a region chunk reads the sub-chunks of its
// track's kind.
enum TrackKind : std::uint8_t { kInstrumentTrack = 0, kAudioTrack = 1 };

// The track whose track info chunk ("TINF") came last, handed to the chunks that follow it
// (regions, presets).
struct TrackHandOff {
    bool present = false;        // a track info chunk has been read
    std::uint16_t number = 0;    // the file's track number
    TrackKind type = kInstrumentTrack;
    IPtr<Host::ITrack> host;     // null when the host could not make the track
};

// A stored plug-in state of one track's instrument ("QPLP").
struct PresetRecord {
    std::uint16_t trackNumber = 0;
    std::uint16_t pluginId = 0;
    std::u16string name;
    std::vector<std::uint8_t> data;
};

// The kinds of automation curve the host takes ("AUTO"); the reader keeps no other.
enum AutomationType : std::int32_t {
    kAutomationVolume = 1,
    kAutomationPan = 2,
    kAutomationSendLevel = 3,
};

// One automation curve ("AUTO") that names a track and a parameter kind.
struct AutomationRecord {
    std::int32_t type = 0;      // an AutomationType as read; a builder given another skips it
    std::int32_t targetId = 0;  // track number × 100 and more
    std::vector<std::uint32_t> positions;  // ticks
    std::vector<float> values;
};

// The lists the readers fill for the builders, in file order. The import run empties them
// once the project is built (or the read failed).
struct SongLists {
    std::vector<EffectRecord> effectsOnChannels;  // master and tracks
    std::vector<EffectRecord> effectsOnBuses;     // effect buses
    std::vector<PresetRecord> presets;
    std::vector<AutomationRecord> automation;
};

struct SongModel {
    SongHeader header;
    std::uint16_t tracksRead = 0;  // track info chunks read; the header declares how many
    TrackHandOff track;
    SongLists lists;
    // Effect channels made while reading: the next one's number, and whether the master's
    // brickwall is placed (only the first is).
    std::int32_t effectBusCounter = 1;
    bool masterBrickwallPlaced = false;
    // The converted copies made in this import: the path of each wave file as found (in
    // the project folder or its "Audio" folder) to its copy in the project's format. A
    // later region playing the same file plays the copy rather than converting the file
    // again; a new import converts again, as a copy left by an earlier one may be stale.
    std::map<std::u16string, std::u16string> convertedCopies;
};

}  // namespace Tessaro
