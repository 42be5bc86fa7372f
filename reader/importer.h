// TessaroImporter: the object of one import. It holds the host interfaces of the run, what
// the import learned of the host, the reader's position in the file, the song header
// values every later chunk depends on, and the lists the readers fill for the builder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "interfaces/all.h"
#include "reader/effect_record.h"

namespace Tessaro {

class FileReader;

// A stored plug-in state of one track's instrument ("QPLP").
struct PresetRecord {
    std::uint16_t trackNumber = 0;
    std::uint16_t pluginId = 0;
    std::u16string name;
    std::vector<std::uint8_t> data;
};

// One automation curve ("AUTO") that names a track and a parameter kind.
struct AutomationRecord {
    std::int32_t type = 0;      // 1 volume, 2 pan, 3 the third kind
    std::int32_t targetId = 0;  // track number × 100 and more
    std::vector<std::uint32_t> positions;  // ticks
    std::vector<float> values;
};

class TessaroImporter {
public:
    // path and target are borrowed from importProject; context is the filter's host
    // context (may be null).
    TessaroImporter(Host::IPath* path, Host::FUnknown* target, Host::IHostContext* context);
    ~TessaroImporter();
    TessaroImporter(const TessaroImporter&) = delete;
    TessaroImporter& operator=(const TessaroImporter&) = delete;

    // The import run: 0 success, 1 failure.
    std::int32_t run();
    // Reads the opened project file and builds the project from it: 0 read and built, 1
    // the file could not be read.
    std::int32_t readAndBuild(Host::IBStream* stream);

    // --- The run's host interfaces -------------------------------------------------------
    Host::IPath* path = nullptr;      // borrowed
    Host::FUnknown* target = nullptr;  // borrowed
    IPtr<Host::IHostContext> context;
    IPtr<Host::IMessageDisplay> messages;
    IPtr<Host::IFileAccess> files;
    IPtr<Host::IMixerAccess> mixerAccess;
    IPtr<Host::IProject> project;
    IPtr<Host::IObjectTree> projectRoot;
    IPtr<Host::IEditContext> edit;

    // --- What the run learned of the host ---------------------------------------------
    std::u16string hostName;
    std::u16string hostVersionText;
    std::int32_t hostMajor = 0;
    std::int32_t hostMinor = 0;
    std::int32_t hostPatch = 0;
    bool mixerValueFlag = false;  // the host's mixer reports 4.0: the newer fader scale

    // --- Reader position ---------------------------------------------------------------
    std::uint64_t filePosition = 0;
    std::uint64_t fileSize = 0;
    std::uint32_t chunkSize = 0;
    std::uint32_t chunkConsumed = 0;
    std::uint16_t tracksRead = 0;
    std::uint16_t declaredTrackCount = 0;
    // The text of the reader error that ended the last read, for tests and debugging; the
    // user sees only the one failure message.
    std::string readError;

    // --- Song header ---------------------------------------------------------------------
    std::uint16_t fileVersion = 0;
    float tickBase = 0;    // 48 / ticks per whole note
    float tickFactor = 0;  // host position units per file tick
    std::uint32_t songLength = 0;  // ticks
    float tempo = 0;

    // --- The track being read ("TINF" and the chunks that follow it) -----------------
    std::uint16_t currentTrackNumber = 0;
    std::uint8_t currentTrackType = 0;  // 0 instrument, 1 audio
    bool haveCurrentTrack = false;      // a "TINF" chunk has been read
    IPtr<Host::ITrack> currentTrack;    // null when the host could not make it

    // --- Lists for the builder -----------------------------------------------------------
    std::vector<EffectRecord> effectsOnChannels;  // master and tracks
    std::vector<EffectRecord> effectsOnBuses;     // effect buses
    std::vector<PresetRecord> presets;
    std::vector<AutomationRecord> automation;
    std::int32_t effectBusCounter = 1;
    bool masterBrickwallPlaced = false;

    // Ends a read that raised text: the one failure message; result 1.
    std::int32_t readFailed(const char* text);
    // Empties the four lists.
    void clearLists();
    // Resets the reader state for a new read.
    void resetForRead();

    // Shows an 8-bit English text through the host's message display.
    void showMessage(const char* text);
    // Converts a file tick value to a host position.
    double ticksToPosition(std::uint32_t ticks) const {
        return static_cast<double>(static_cast<float>(ticks) * tickFactor);
    }
};

}  // namespace Tessaro
