#include "instruments/instrument_setup.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/text.h"
#include "hostkit/diagnostics.h"
#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "hostkit/track_attributes.h"
#include "instruments/preset_table.h"
#include "model/song_model.h"
#include "presets/preset_file.h"

namespace Tessaro {

namespace {

// Instrument ids onto plug-ins; ranges are inclusive, ids outside every range get none.
struct PluginRange {
    std::uint64_t first;
    std::uint64_t last;
    const char* plugin;
};

constexpr PluginRange kPluginRanges[] = {
    {1, 152, kMiravoxLite},
    {160, 175, kBeatwrightLite},
    {176, 210, kMiravoxLite},
    {99001, 999999999, kAnalora},
    {1432100000, 1432599999, kMiravoxLite},
    {1432600000, std::numeric_limits<std::uint64_t>::max(), kBeatwrightLite},
};

// The instrument slot of a channel: the first child of the parameter tree's root whose
// name begins with the slot tag.
IPtr<Host::IParamNode> instrumentSlot(Host::IChannel* channel) {
    IPtr<Host::IParamNode> root;
    if (!channel || channel->getParamRoot(root.put()) != Host::kResultOk || !root) return {};
    const std::string_view tag(kInstrumentSlotTag);
    const Host::int32 count = root->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto child = childAt(root.get(), i);
        if (child && nodeName(child.get()).starts_with(tag)) return child;
    }
    return {};
}

// Selects the preset of the multi-sound plug-in that the table names for the track's
// instrument id.
void selectTablePreset(ImportNotes& notes, std::int64_t trackNumber,
                       std::string_view pluginName, Host::IAttributeList* attributes,
                       Host::IParamNode* slot) {
    auto instance = childAt(slot, 0);
    auto presets = paramNamed(instance.get(), kPresetListParam);
    if (!presets) {
        notes.add(Host::kNotePresetRefused, trackNumber,
                  "instrument \"" + std::string(pluginName) +
                      "\": no preset chosen; the plug-in offers no preset list");
        return;
    }
    if (attributes->hasAttribute(TrackAttribute::kInstrumentId) != Host::kResultOk) return;
    const auto id = static_cast<std::uint64_t>(
        attrInt(attributes, TrackAttribute::kInstrumentId).value_or(0));
    const std::string preset = instrumentPresetName(id);
    // An id without a preset keeps the plug-in's default sound.
    if (preset.empty())
        notes.add(Host::kNoteInstrumentStandIn, trackNumber,
                  "instrument id " + std::to_string(id) + ": no preset of its own; \"" +
                      std::string(pluginName) + "\" plays its default sound");
    else if (!chooseListEntryExact(presets.get(), toUtf16(preset)))
        notes.add(Host::kNotePresetRefused, trackNumber,
                  "preset \"" + preset + "\": not chosen; \"" + std::string(pluginName) +
                      "\" does not offer it");
}

// Loads the track's stored synth state (the first preset record with its track number)
// into the synth through a preset file in a host memory stream.
void loadStoredState(const HostSession& host, ImportNotes& notes, const SongModel& song,
                     std::int64_t trackNumber, Host::IParamNode* slot) {
    auto instance = childAt(slot, 0);
    const auto record =
        std::find_if(song.lists.presets.begin(), song.lists.presets.end(),
                     [&](const PresetRecord& r) { return r.trackNumber == trackNumber; });
    if (record == song.lists.presets.end()) return;
    // What became of a stored state the synth did not take.
    const auto refused = [&](const char* why) {
        notes.add(Host::kNotePresetRefused, trackNumber,
                  "stored synth state \"" + noteText(record->name) + "\": " + why);
    };
    if (!instance) return refused("not loaded; the instrument slot holds no plug-in");

    IPtr<Host::IBStream> stream;
    if (!host.context ||
        host.context->createInstance(Host::kMemoryStreamClass, Host::IBStream::iid,
                                         stream.putVoid()) != Host::kResultOk)
        stream.reset();
    auto component = queryTo<Host::IComponent>(instance);
    if (!stream) return refused("not loaded; the host gives no memory stream");
    if (!component || record->data.empty())
        return refused("not loaded; the plug-in takes no stored state");

    if (!Qpl::PresetFile::writeSynthPreset(stream.get(), record->data.data(),
                                           static_cast<std::int32_t>(record->data.size())))
        return refused("not loaded; its preset file could not be written");
    Host::int64 position = -1;
    if (stream->seek(0, Host::IBStream::kSeekSet, &position) != Host::kResultOk || position != 0)
        return refused("not loaded; its preset file could not be read back");
    auto loader = queryTo<Host::IPresetLoader>(instance);
    if (!loader) return refused("not loaded; the plug-in takes no preset files");
    if (loader->loadPreset(stream.get(), record->name.c_str()) != Host::kResultOk)
        refused("refused by the plug-in");
}

}  // namespace

std::string instrumentPluginName(std::uint64_t id) {
    for (const auto& range : kPluginRanges)
        if (id >= range.first && id <= range.last) return range.plugin;
    return {};
}

std::string instrumentPresetName(std::uint64_t id) {
    for (const auto& row : kInstrumentPresets)
        if (row.id == id) return row.presetName;
    return {};
}

std::int32_t setupInstrument(const HostSession& host, ImportNotes& notes, const SongModel& song,
                             Host::ITrack* track, const std::string& pluginName,
                             Host::IChannel* channel) {
    if (pluginName.empty()) return 1;
    auto attributes = attributesOf(track);
    if (!attributes || attributes->hasAttribute(TrackAttribute::kNumber) != Host::kResultOk)
        return 1;
    const std::int64_t trackNumber = attrInt(attributes.get(), TrackAttribute::kNumber).value_or(0);

    const std::string instrument = "instrument \"" + pluginName + "\": ";
    auto slot = instrumentSlot(channel);
    auto effectType = paramNamed(slot.get(), kEffectTypeParam);
    if (!effectType) {
        notes.add(Host::kNoteInstrumentMissing, trackNumber,
                  instrument + "not built; the channel has no instrument slot");
        return 1;
    }

    // Editions without the drum plug-in offer its older sibling in its place.
    std::string_view wanted = pluginName;
    if (pluginName == kBeatwrightLite && !listOffers(effectType.get(), u"Beatwright Lite"))
        wanted = kBeatwrightMini;
    if (!chooseListEntry(effectType.get(), toUtf16(wanted))) {
        notes.add(Host::kNoteInstrumentMissing, trackNumber,
                  instrument + "not built; this host offers no \"" + std::string(wanted) + "\"");
        return 1;
    }
    if (wanted != pluginName)
        notes.add(Host::kNoteInstrumentStandIn, trackNumber,
                  instrument + "\"" + std::string(wanted) + "\" stands in; this host offers no \"" +
                      pluginName + "\"");

    if (pluginName == kMiravoxLite || pluginName == kMiravox)
        selectTablePreset(notes, trackNumber, pluginName, attributes.get(), slot.get());
    else if (pluginName == kAnalora)
        loadStoredState(host, notes, song, trackNumber, slot.get());
    return 1;
}

}  // namespace Tessaro
