#include "refhost/report.h"

#include <cstdio>
#include <system_error>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/automation.h"
#include "refhost/events.h"
#include "refhost/instruments.h"
#include "refhost/reference_host.h"
#include "refhost/report_diagnostics.h"
#include "refhost/report_effects.h"

namespace RefHost {

namespace {

// A reference to a channel of "Channels": its index and the name it shows.
void writeChannelRef(ReportWriter& out, const Document& document, const Node& channel) {
    out.beginObject();
    out.member("channel", document.channelIndex(channel));
    out.member("name", channel.shownName());
    out.end();
}

void writeParameter(ReportWriter& out, const Parameter& p) {
    out.beginObject();
    out.member("name", p.name);
    out.member("tag", p.tag);
    out.member("value", p.value);
    out.member("max", p.max);
    if (p.isList) {
        const ListEntry* entry = p.chosenEntry();
        out.memberIf("entry", entry != nullptr, entry ? std::u16string_view(entry->name) : u"");
    }
    out.end();
}

// A node's name, parameters, send destination, children and sub-node, as members of the
// object open in out.
void writeNodeMembers(ReportWriter& out, const Document& document, const Node& node) {
    out.member("name", node.shownName());
    out.arrayMember("parameters");
    for (const auto& p : node.parameters) writeParameter(out, *p);
    out.end();
    static const KindSet kSend{"send"};
    if (node.is(kSend)) {
        out.key("destination");
        if (node.destination)
            writeChannelRef(out, document, *node.destination);
        else
            out.null();
    }
    out.arrayMember("children");
    for (const Node* child : node.children) {
        out.beginObject();
        writeNodeMembers(out, document, *child);
        out.end();
    }
    out.end();
    if (node.subNode) {
        out.objectMember("subNode");
        writeNodeMembers(out, document, *node.subNode);
        out.end();
    }
}

void writeAttribute(ReportWriter& out, const AttributeValue& value) {
    out.beginObject();
    if (const auto* i = std::get_if<Host::int64>(&value)) {
        out.member("type", "integer");
        out.member("value", *i);
    } else if (const auto* f = std::get_if<double>(&value)) {
        out.member("type", "float");
        out.member("value", *f);
    } else {
        out.member("type", "string");
        out.member("value", std::get<std::u16string>(value));
    }
    out.end();
}

// The values a track's channel shows on its strip.
void writeChannelValues(ReportWriter& out, const Document& document, const Node& channel) {
    const ChannelStrip strip = channelStrip(document, channel);
    out.beginObject();
    out.member("channel", strip.channel);
    out.member("type", channel.deviceType);
    out.member("volume", strip.volume);
    out.member("pan", strip.pan);
    out.member("mute", strip.mute);
    out.member("solo", strip.solo);
    out.member("mode", channel.mode);
    out.end();
}

void writeSong(ReportWriter& out, const Document& document) {
    const SongState& song = document.song;
    out.beginObject();
    out.arrayMember("preparation");
    for (const auto& p : song.preparations) {
        out.beginObject();
        out.member("templateId", p.templateId);
        out.member("viewMode", p.viewMode);
        out.end();
    }
    out.end();
    out.objectMember("tempo");
    out.member("rate", song.tempoRate);
    out.member("active", song.tempoActive);
    out.member("tempo", song.tempo);
    out.end();
    out.member("length", song.length);
    out.arrayMember("signatures");
    for (const auto& s : song.signatures) {
        out.beginObject();
        out.member("position", s.position);
        out.member("numerator", s.numerator);
        out.member("denominator", s.denominator);
        out.end();
    }
    out.end();
    out.objectMember("cycle");
    out.member("active", song.cycleActive);
    out.member("left", song.cycleLeft);
    out.member("right", song.cycleRight);
    out.member("factor", song.cycleFactor);
    out.end();
    out.member("sampleRate", song.sampleRate);
    out.member("sampleSize", song.sampleSize);
    out.end();
}

// Each track with its channel's values, automation, instrument and events, one at a time.
void writeTracks(ReportWriter& out, const ReferenceHost& host) {
    const Document& document = host.document();
    out.beginArray();
    for (const auto& [node, depth] : document.tracks()) {
        out.beginObject();
        out.member("depth", depth);
        out.member("kind", trackKindName(*node));
        out.member("name", node->name);
        out.memberIf("colour", node->colour.has_value(),
                     node->colour ? hexText(*node->colour) : "");
        out.objectMember("attributes");
        for (const auto& [name, value] : node->attributes) {
            out.key(name);
            writeAttribute(out, value);
        }
        out.end();
        out.key("channel");
        if (node->channel)
            writeChannelValues(out, document, *node->channel);
        else
            out.null();
        if (node->automation) {
            out.key("automation");
            writeAutomation(out, *node);
        }
        out.key("instrument");
        writeInstrument(out, *node);
        if (node->eventList) {
            out.key("events");
            writeEvents(out, host, *node->eventList);
        }
        out.end();
    }
    out.end();
}

void writeMixer(ReportWriter& out, const Document& document) {
    out.beginObject();
    out.member("value", document.mixer.value);
    out.arrayMember("channels");
    for (const Node* channel : document.channels.children) {
        out.beginObject();
        out.member("type", channel->deviceType);
        out.member("trackChannel", channel->trackChannel);
        out.member("mode", channel->mode);
        writeNodeMembers(out, document, *channel);
        out.end();
    }
    out.end();
    out.end();
}

// The files the host wrote, with the format of each audio file as read back.
void writeFiles(ReportWriter& out, const ReferenceHost& host) {
    out.beginArray();
    for (const auto& file : host.records().filesWritten) {
        out.beginObject();
        out.member("path", shownFilePath(host, file));
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        out.memberIf("size", !ec, size);
        if (const auto info = readAudioFileInfo(file)) {
            out.key("audio");
            writeAudioFile(out, host, *info, false);
        }
        out.end();
    }
    out.end();
}

void writeReferences(ReportWriter& out, const Findings& found) {
    out.beginObject();
    out.member("held", found.held);
    out.member("overReleased", found.overReleased);
    out.member("misuses", found.misuseCount);
    out.memberIf("firstMisuse", !found.misuses.empty(), found.firstMisuse());
    out.objectMember("details");
    out.arrayMember("held");
    for (const auto& h : found.heldDetails) {
        out.beginObject();
        out.member("facet", h.facet);
        out.member("count", h.count);
        out.end();
    }
    out.end();
    out.arrayMember("overReleased");
    for (const auto& o : found.overReleaseDetails) {
        out.beginObject();
        out.member("facet", o.facet);
        out.member("times", o.times);
        out.end();
    }
    out.end();
    out.member("misuses", found.misuses);
    out.end();
    out.end();
}

}  // namespace

const char* trackKindName(const Node& track) {
    static const std::pair<KindSet, const char*> kKinds[] = {{KindSet{"folder"}, "folder"},
                                                             {KindSet{"instrument"}, "instrument"},
                                                             {KindSet{"audio"}, "audio"},
                                                             {KindSet{"effect"}, "effect"}};
    for (const auto& [kind, name] : kKinds)
        if (track.is(kind)) return name;
    return "track";
}

std::string hexText(Host::uint32 value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

ChannelStrip channelStrip(const Document& document, const Node& channel) {
    const auto valueOf = [](const Parameter* p) {
        return p ? std::optional<double>(p->value) : std::nullopt;
    };
    const Node* panner = channel.findChild("Panner");
    ChannelStrip strip;
    strip.channel = document.channelIndex(channel);
    strip.volume = valueOf(channel.findParameter("volume"));
    strip.pan = valueOf(panner ? panner->findParameterByTag(4201) : nullptr);
    strip.mute = valueOf(channel.findParameter("mute"));
    strip.solo = valueOf(channel.findParameter("solo"));
    return strip;
}

void writeHostReport(const ReferenceHost& host, std::optional<Host::int32> result,
                     ReportWriter& out) {
    const Document& document = host.document();
    const Records& records = host.records();
    out.member("result", result);
    out.arrayMember("messages");
    for (const auto& m : records.messages) out.string(m.text);
    out.end();
    out.key("diagnostics");
    writeDiagnostics(out, records.diagnostics);
    out.member("editsBegun", records.editsBegun);
    out.member("editSteps", records.editSteps);
    out.objectMember("host");
    out.member("name", host.profile().name);
    out.member("version", host.profile().version);
    out.member("profile", host.profile().id);
    out.end();
    out.key("song");
    writeSong(out, document);
    out.key("tracks");
    writeTracks(out, host);
    out.key("mixer");
    writeMixer(out, document);
    out.key("effects");
    writeEffects(out, document);
    out.key("files");
    writeFiles(out, host);
    out.key("references");
    writeReferences(out, host.account().findings());
    out.arrayMember("missingFiles");
    for (const auto& file : records.filesMissing) out.string(shownFilePath(host, file));
    out.end();
}

Report makeReport(const ReferenceHost& host, std::optional<Host::int32> result) {
    ReportDocument document;
    document.beginObject();
    writeHostReport(host, result, document);
    document.end();
    return document.take();
}

std::string reportText(const Report& report) {
    // Invalid UTF-8 from a plug-in's text is replaced rather than thrown on.
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace RefHost
