// The report's view of events: the events of each track's list, MIDI parts with their
// quantize menu and their own events, and a line that counts a track's events.
#include <map>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/events.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

void writeCommon(ReportWriter& out, const EventState& e, bool withLength) {
    out.member("kind", eventKindName(e.kind));
    out.member("start", e.start);
    if (withLength) out.member("length", e.length);
}

void writeEvent(ReportWriter& out, const ReferenceHost& host, const Object& object);

void writePart(ReportWriter& out, const ReferenceHost& host, const MidiPartNode& part) {
    out.beginObject();
    writeCommon(out, part, true);
    out.member("mute", part.mute);
    out.member("name", part.name);
    const Parameter* quantize = part.findParameter("quantMenu");
    const ListEntry* entry = quantize->chosenEntry();
    out.objectMember("quantize");
    out.member("value", quantize->value);
    out.memberIf("entry", entry != nullptr, entry ? std::u16string_view(entry->name) : u"");
    out.member("changes", quantize->changes);
    out.end();
    out.key("events");
    writeEvents(out, host, part.events);
    out.end();
}

void writeEvent(ReportWriter& out, const ReferenceHost& host, const Object& object) {
    if (const auto* part = dynamic_cast<const MidiPartNode*>(&object)) {
        writePart(out, host, *part);
        return;
    }
    const auto& e = static_cast<const EventObject&>(object);
    out.beginObject();
    switch (e.kind) {
    case EventKind::Note:
        writeCommon(out, e, true);
        out.member("pitch", e.pitch());
        out.member("velocity", e.velocity());
        break;
    case EventKind::AudioEvent: {
        const AudioEventState& audio = *e.audio;
        writeCommon(out, e, true);
        out.member("mute", e.mute);
        out.member("offset", audio.offset);
        out.member("volume", audio.volume);
        out.member("fadeIn", audio.fadeIn);
        out.member("fadeOut", audio.fadeOut);
        out.key("clip");
        if (audio.clip)
            writeAudioFile(out, host, *audio.clip->file, true);
        else
            out.null();
        break;
    }
    default:  // controller-like events have no length
        writeCommon(out, e, false);
        out.arrayMember("data");
        for (int i = 0; i < eventDataCount(e.kind); ++i)
            out.value(e.data[static_cast<std::size_t>(i)]);
        out.end();
        break;
    }
    out.end();
}

}  // namespace

void writeEvents(ReportWriter& out, const ReferenceHost& host, const EventList& list) {
    out.beginArray();
    for (const Object* e : list.events) writeEvent(out, host, *e);
    out.end();
}

std::string eventSummary(const Node& track) {
    if (!track.eventList) return {};
    std::map<std::string, std::size_t> counts;
    for (const Object* e : track.eventList->events) {
        ++counts[eventKindName(eventState(*e)->kind)];
        if (const auto* part = dynamic_cast<const MidiPartNode*>(e))
            for (const Object* inner : part->events.events)
                ++counts[eventState(*inner)->kind == EventKind::Note ? "note" : "event"];
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
