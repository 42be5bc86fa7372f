// The report's view of events: the events of each track's list, MIDI parts with their
// quantize menu and their own events, and the audio files asked for and not found.
#include <map>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/events.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

template <class T>
Report optional(const std::optional<T>& value) {
    return value ? Report(*value) : Report(nullptr);
}

void addCommon(Report& j, const EventState& e) {
    j["kind"] = eventKindName(e.kind);
    j["start"] = optional(e.start);
    j["length"] = optional(e.length);
}

Report eventJson(const ReferenceHost& host, const Object& object);

Report partJson(const ReferenceHost& host, const MidiPartNode& part) {
    Report j;
    addCommon(j, part);
    j["mute"] = optional(part.mute);
    j["name"] = Tessaro::toUtf8(part.name);
    const Parameter* quantize = part.findParameter("quantMenu");
    Report q;
    q["value"] = quantize->value;
    q["entry"] = quantize->chosenEntry() ? Report(Tessaro::toUtf8(quantize->chosenEntry()->name))
                                         : Report(nullptr);
    q["changes"] = quantize->changes;
    j["quantize"] = std::move(q);
    j["events"] = Report::array();
    for (const Object* e : part.events.events) j["events"].push_back(eventJson(host, *e));
    return j;
}

Report eventJson(const ReferenceHost& host, const Object& object) {
    if (const auto* part = dynamic_cast<const MidiPartNode*>(&object)) return partJson(host, *part);
    const auto& e = static_cast<const EventObject&>(object);
    Report j;
    addCommon(j, e);
    switch (e.kind) {
    case EventKind::Note:
        j["pitch"] = optional(e.pitch());
        j["velocity"] = optional(e.velocity());
        break;
    case EventKind::AudioEvent: {
        const AudioEventState& audio = *e.audio;
        j["mute"] = optional(e.mute);
        j["offset"] = optional(audio.offset);
        j["volume"] = optional(audio.volume);
        j["fadeIn"] = optional(audio.fadeIn);
        j["fadeOut"] = optional(audio.fadeOut);
        j["clip"] = audio.clip ? audioFileJson(host, *audio.clip->file) : Report(nullptr);
        break;
    }
    default: {
        j.erase("length");  // controller-like events have none
        Report data = Report::array();
        for (int i = 0; i < eventDataCount(e.kind); ++i)
            data.push_back(optional(e.data[static_cast<std::size_t>(i)]));
        j["data"] = std::move(data);
        break;
    }
    }
    return j;
}

}  // namespace

void addEventReport(const ReferenceHost& host, Report& report) {
    const auto tracks = host.document().tracks();
    Report& reported = report["tracks"];
    for (std::size_t i = 0; i < tracks.size() && i < reported.size(); ++i) {
        const EventList* list = tracks[i].node->eventList;
        if (!list) continue;
        Report events = Report::array();
        for (const Object* e : list->events) events.push_back(eventJson(host, *e));
        reported[i]["events"] = std::move(events);
    }
    Report missing = Report::array();
    for (const auto& file : host.records().filesMissing) missing.push_back(shownFilePath(host, file));
    report["missingFiles"] = std::move(missing);
}

std::string eventSummary(const Report& track) {
    if (!track.contains("events")) return {};
    std::map<std::string, std::size_t> counts;
    for (const auto& e : track["events"]) {
        const std::string kind = e["kind"].get<std::string>();
        ++counts[kind];
        if (kind == "MIDI part")
            for (const auto& inner : e["events"])
                ++counts[inner["kind"].get<std::string>() == "note" ? "note" : "event"];
    }
    std::string text;
    const auto add = [&](const char* key, const char* one, const char* many) {
        const auto it = counts.find(key);
        if (it == counts.end()) return;
        if (!text.empty()) text += ", ";
        text += std::to_string(it->second) + " " + (it->second == 1 ? one : many);
    };
    add("MIDI part", "MIDI part", "MIDI parts");
    add("note", "note", "notes");
    add("event", "event", "events");
    add("audio event", "audio event", "audio events");
    return text;
}

}  // namespace RefHost
