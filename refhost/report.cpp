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

template <class T>
Report optional(const std::optional<T>& value) {
    return value ? Report(*value) : Report(nullptr);
}

std::string hex32(Host::uint32 value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

const char* trackKind(const Node& node) {
    for (const char* kind : {"folder", "instrument", "audio", "effect"})
        if (node.is(kind)) return kind;
    return "track";
}

// A reference to a channel of "Channels": its index and the name it shows.
Report channelRef(const Document& document, const Node& channel) {
    Report j;
    j["channel"] = document.channelIndex(channel);
    j["name"] = channel.shownName8();
    return j;
}

Report parameterJson(const Parameter& p) {
    Report j;
    j["name"] = p.name;
    j["tag"] = p.tag;
    j["value"] = p.value;
    j["max"] = p.max;
    if (p.isList) {
        const ListEntry* entry = p.chosenEntry();
        j["entry"] = entry ? Report(Tessaro::toUtf8(entry->name)) : Report(nullptr);
    }
    return j;
}

Report nodeJson(const Document& document, const Node& node) {
    Report j;
    j["name"] = node.shownName8();
    j["parameters"] = Report::array();
    for (const auto& p : node.parameters) j["parameters"].push_back(parameterJson(*p));
    if (node.is("send"))
        j["destination"] =
            node.destination ? channelRef(document, *node.destination) : Report(nullptr);
    j["children"] = Report::array();
    for (const Node* child : node.children) j["children"].push_back(nodeJson(document, *child));
    if (node.subNode) j["subNode"] = nodeJson(document, *node.subNode);
    return j;
}

Report attributeJson(const AttributeValue& value) {
    Report j;
    if (const auto* i = std::get_if<Host::int64>(&value)) {
        j["type"] = "integer";
        j["value"] = *i;
    } else if (const auto* f = std::get_if<double>(&value)) {
        j["type"] = "float";
        j["value"] = *f;
    } else {
        j["type"] = "string";
        j["value"] = Tessaro::toUtf8(std::get<std::u16string>(value));
    }
    return j;
}

Report parameterValue(const Node* node, const char* name) {
    const Parameter* p = node ? node->findParameter(name) : nullptr;
    return p ? Report(p->value) : Report(nullptr);
}

// The values a track's channel shows on its strip.
Report channelValues(const Document& document, const Node& channel) {
    Report j;
    j["channel"] = document.channelIndex(channel);
    j["type"] = channel.deviceType;
    j["volume"] = parameterValue(&channel, "volume");
    const Node* panner = channel.findChild("Panner");
    const Parameter* pan = panner ? panner->findParameterByTag(4201) : nullptr;
    j["pan"] = pan ? Report(pan->value) : Report(nullptr);
    j["mute"] = parameterValue(&channel, "mute");
    j["solo"] = parameterValue(&channel, "solo");
    j["mode"] = optional(channel.mode);
    return j;
}

Report songJson(const Document& document) {
    const SongState& song = document.song;
    Report j;
    j["preparation"] = Report::array();
    for (const auto& p : song.preparations)
        j["preparation"].push_back({{"templateId", p.templateId}, {"viewMode", p.viewMode}});
    j["tempo"] = {{"rate", optional(song.tempoRate)},
                  {"active", optional(song.tempoActive)},
                  {"tempo", optional(song.tempo)}};
    j["length"] = optional(song.length);
    j["signatures"] = Report::array();
    for (const auto& s : song.signatures)
        j["signatures"].push_back({{"position", s.position},
                                   {"numerator", s.numerator},
                                   {"denominator", s.denominator}});
    j["cycle"] = {{"active", optional(song.cycleActive)},
                  {"left", optional(song.cycleLeft)},
                  {"right", optional(song.cycleRight)},
                  {"factor", optional(song.cycleFactor)}};
    j["sampleRate"] = song.sampleRate;
    j["sampleSize"] = song.sampleSize;
    return j;
}

Report tracksJson(const Document& document) {
    Report tracks = Report::array();
    for (const auto& [node, depth] : document.tracks()) {
        Report j;
        j["depth"] = depth;
        j["kind"] = trackKind(*node);
        j["name"] = Tessaro::toUtf8(node->name);
        j["colour"] = node->colour ? Report(hex32(*node->colour)) : Report(nullptr);
        j["attributes"] = Report::object();
        for (const auto& [key, value] : node->attributes) j["attributes"][key] = attributeJson(value);
        j["channel"] = node->channel ? channelValues(document, *node->channel) : Report(nullptr);
        if (node->automation) j["automation"] = automationReport(*node);
        j["instrument"] = instrumentReport(*node);
        tracks.push_back(std::move(j));
    }
    return tracks;
}

Report mixerJson(const Document& document) {
    Report j;
    j["value"] = optional(document.mixer.value);
    j["channels"] = Report::array();
    for (const Node* channel : document.channels.children) {
        Report c;
        c["type"] = channel->deviceType;
        c["trackChannel"] = channel->trackChannel;
        c["mode"] = optional(channel->mode);
        c.update(nodeJson(document, *channel));
        j["channels"].push_back(std::move(c));
    }
    return j;
}

// A path with forward slashes, as UTF-8 on every platform.
std::string genericUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// A file's path relative to the project folder when it lies inside it.
std::string shownPath(const ReferenceHost& host, const std::filesystem::path& file) {
    if (!host.projectFolder().empty()) {
        const auto relative = file.lexically_normal().lexically_relative(
            host.projectFolder().lexically_normal());
        if (!relative.empty() && *relative.begin() != "..") return genericUtf8(relative);
    }
    return genericUtf8(file);
}

Report filesJson(const ReferenceHost& host) {
    Report files = Report::array();
    for (const auto& file : host.records().filesWritten) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        files.push_back({{"path", shownPath(host, file)},
                         {"size", ec ? Report(nullptr) : Report(size)}});
    }
    return files;
}

Report referencesJson(const Findings& found) {
    Report j;
    j["held"] = found.held;
    j["overReleased"] = found.overReleased;
    j["misuses"] = found.misuseCount;
    j["firstMisuse"] = found.misuses.empty() ? Report(nullptr) : Report(found.firstMisuse());
    Report details;
    details["held"] = Report::array();
    for (const auto& h : found.heldDetails)
        details["held"].push_back({{"facet", h.facet}, {"count", h.count}});
    details["overReleased"] = Report::array();
    for (const auto& o : found.overReleaseDetails)
        details["overReleased"].push_back({{"facet", o.facet}, {"times", o.times}});
    details["misuses"] = found.misuses;
    j["details"] = std::move(details);
    return j;
}

}  // namespace

Report makeReport(const ReferenceHost& host, std::optional<Host::int32> result) {
    const Document& document = host.document();
    const Records& records = host.records();
    Report report;
    report["result"] = optional(result);
    report["messages"] = Report::array();
    for (const auto& m : records.messages) report["messages"].push_back(m.text);
    report["diagnostics"] = diagnosticsJson(records.diagnostics);
    report["editsBegun"] = records.editsBegun;
    report["editSteps"] = records.editSteps;
    report["host"] = {{"name", host.profile().name},
                      {"version", host.profile().version},
                      {"profile", host.profile().id}};
    report["song"] = songJson(document);
    report["tracks"] = tracksJson(document);
    report["mixer"] = mixerJson(document);
    report["effects"] = effectsJson(document);
    report["files"] = filesJson(host);
    report["references"] = referencesJson(host.account().findings());
    addEventReport(host, report);
    addAudioFileReport(host, report);
    return report;
}

std::string reportText(const Report& report) {
    // Invalid UTF-8 from a plug-in's text is replaced rather than thrown on.
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace RefHost
