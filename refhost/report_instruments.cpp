// The report's view of a track's instrument: the plug-in its slot chose, the preset the
// multi-sound plug-in selected, and the preset files handed to the plug-in.
#include "base/text.h"
#include "refhost/instruments.h"
#include "refhost/report.h"

namespace RefHost {

namespace {

void writeEntryOf(ReportWriter& out, std::string_view name, const Parameter* p) {
    const ListEntry* entry = p ? p->chosenEntry() : nullptr;
    out.memberIf(name, entry != nullptr, entry ? std::u16string_view(entry->name) : u"");
}

}  // namespace

void writeInstrument(ReportWriter& out, const Node& track) {
    const Node* slot = track.channel ? instrumentSlotOf(*track.channel) : nullptr;
    if (!slot) {
        out.null();
        return;
    }
    const InstrumentInstance* instance = instrumentInstanceOf(*slot);
    out.beginObject();
    out.member("slot", slot->shownName());
    writeEntryOf(out, "effectType", slot->findParameter(kInstrumentTypeParam));
    out.memberIf("plugin", instance != nullptr,
                 instance ? std::u16string_view(instance->shownName()) : u"");
    out.memberIf("classId", instance != nullptr, instance ? classIdText(instance->classId) : "");
    writeEntryOf(out, "preset",
                 instance ? instance->findParameter(kInstrumentPresetParam) : nullptr);
    const PresetLoad* state = instance ? instance->loadedState() : nullptr;
    out.key("state");
    if (state) {
        out.beginObject();
        out.member("name", state->name);
        out.member("size", state->state.size());
        out.member("checksum", hexText(state->checksum));
        out.member("classId", state->classId);
        out.end();
    } else {
        out.null();
    }
    out.arrayMember("refusedPresets");
    if (instance)
        for (const auto& load : instance->loads)
            if (!load.loaded) {
                out.beginObject();
                out.member("name", load.name);
                out.member("reason", load.refusal);
                out.end();
            }
    out.end();
    out.end();
}

}  // namespace RefHost
