// The report's view of a track's instrument: the plug-in its slot chose, the preset the
// multi-sound plug-in selected, and the preset files handed to the plug-in.
#include <cstdio>

#include "base/text.h"
#include "refhost/instruments.h"

namespace RefHost {

namespace {

std::string hexChecksum(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

Report entryOf(const Parameter* p) {
    const ListEntry* entry = p ? p->chosenEntry() : nullptr;
    return entry ? Report(Tessaro::toUtf8(entry->name)) : Report(nullptr);
}

}  // namespace

Report instrumentReport(const Node& track) {
    const Node* slot = track.channel ? instrumentSlotOf(*track.channel) : nullptr;
    if (!slot) return nullptr;
    const InstrumentInstance* instance = instrumentInstanceOf(*slot);
    Report j;
    j["slot"] = slot->shownName8();
    j["effectType"] = entryOf(slot->findParameter(kInstrumentTypeParam));
    j["plugin"] = instance ? Report(instance->shownName8()) : Report(nullptr);
    j["classId"] = instance ? Report(classIdText(instance->classId)) : Report(nullptr);
    j["preset"] = entryOf(instance ? instance->findParameter(kInstrumentPresetParam) : nullptr);
    const PresetLoad* state = instance ? instance->loadedState() : nullptr;
    if (state) {
        j["state"] = {{"name", state->name},
                      {"size", state->state.size()},
                      {"checksum", hexChecksum(state->checksum)},
                      {"classId", state->classId}};
    } else {
        j["state"] = nullptr;
    }
    j["refusedPresets"] = Report::array();
    if (instance)
        for (const auto& load : instance->loads)
            if (!load.loaded)
                j["refusedPresets"].push_back({{"name", load.name}, {"reason", load.refusal}});
    return j;
}

}  // namespace RefHost
