// Instrument slots and instrument plug-ins. Every synth channel holds an instrument slot,
// a node named by the profile's "instruments.slot.name" (it begins with the instrument
// slot tag), whose list parameter "effectType" offers the edition's instrument plug-ins as
// "Category - Name" entries. Choosing an entry puts an instance of that plug-in in the
// slot as its first child: it answers IComponent with its class id and IPresetLoader, and
// a multi-sound plug-in has the list parameter "crateluxPresetSyncronous" of its presets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/ftypes.h"
#include "refhost/node.h"
#include "refhost/report_writer.h"

namespace RefHost {

// The parameter of an instrument slot that chooses its plug-in.
inline constexpr const char* kInstrumentTypeParam = "effectType";
// The multi-sound plug-in's list of presets.
inline constexpr const char* kInstrumentPresetParam = "crateluxPresetSyncronous";

// One preset file handed to an instance's IPresetLoader::loadPreset.
struct PresetLoad {
    std::string name;          // the preset name given with it (UTF-8)
    bool loaded = false;       // false: the file was refused
    std::string refusal;       // why it was refused
    std::string classId;       // the class id text read from the file
    std::vector<std::uint8_t> state;  // the "Comp" chunk: the plug-in's state
    std::uint32_t checksum = 0;       // CRC-32 of state
};

// An instrument plug-in in an instrument slot.
class InstrumentInstance : public Node {
public:
    InstrumentInstance(ReferenceHost& host, std::u16string pluginName, Host::FUID classId);

    Host::FUID classId;
    std::vector<PresetLoad> loads;  // in order

    // The last preset file that was loaded, or null.
    const PresetLoad* loadedState() const;
};

// The instrument slot of a channel, or null.
Node* instrumentSlotOf(const Node& channel);
// The instance in an instrument slot, or null.
InstrumentInstance* instrumentInstanceOf(const Node& slot);

// Gives a new channel its instrument slot when the profile's "instruments.slot.channels"
// names its device type (default: "Synth"; no slot without an "instruments" section).
void addInstrumentSlot(ReferenceHost& host, Node& channel);

// The "instrument" entry of a track in the report: null without an instrument slot.
void writeInstrument(ReportWriter& out, const Node& track);

// The 32-character text of a class id (first group, two 16-bit groups, eight bytes, in
// upper-case hexadecimal) and back; nullopt for a text that is not 32 hexadecimal digits.
std::string classIdText(const Host::FUID& id);
std::optional<Host::FUID> classIdFromText(std::string_view text);

// CRC-32 (the common polynomial 0xEDB88320, reflected, initial and final value all ones).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size);

// Reads a preset file from bytes (offsets count from bytes' start) for a plug-in whose
// class id text is expectedClassId. The load's refusal names the first fault.
PresetLoad parsePresetFile(const std::vector<std::uint8_t>& bytes, std::string_view expectedClassId);

}  // namespace RefHost
