#include "refhost/report_effects.h"

#include "base/text.h"
#include "refhost/document.h"

namespace RefHost {

namespace {

constexpr Host::int32 kInsertOnTag = 4098;
constexpr Host::int32 kSendOnTag = 4096;
constexpr Host::int32 kSendLevelTag = 4097;

bool changed(const Node& node) { return node.parameterChanged; }

// The node's parameters by name, in the node's order. Where two parameters share a name,
// the name stands once, at its first place, with the value of the last of them.
void writeValues(ReportWriter& out, const Node& node) {
    const auto& parameters = node.parameters;
    out.beginObject();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        bool seen = false;
        for (std::size_t j = 0; j < i && !seen; ++j)
            seen = parameters[j]->name == parameters[i]->name;
        if (seen) continue;
        const Parameter* p = parameters[i].get();
        for (std::size_t j = i + 1; j < parameters.size(); ++j)
            if (parameters[j]->name == p->name) p = parameters[j].get();
        const ListEntry* entry = p->isList ? p->chosenEntry() : nullptr;
        if (entry)
            out.member(p->name, entry->name);
        else
            out.member(p->name, p->value);
    }
    out.end();
}

void writeValueOf(ReportWriter& out, std::string_view name, const Parameter* p) {
    out.memberIf(name, p != nullptr, p ? p->value : 0.0);
}

const Node* pluginOf(const Node& slot) {
    static const KindSet kPlugin{"plugin"};
    return !slot.children.empty() && slot.children.front()->is(kPlugin) ? slot.children.front()
                                                                         : nullptr;
}

void writeEntryOf(ReportWriter& out, std::string_view name, const Node& slot, const char* chooser) {
    const Parameter* p = slot.findParameter(chooser);
    const ListEntry* entry = p ? p->chosenEntry() : nullptr;
    out.memberIf(name, entry != nullptr, entry ? std::u16string_view(entry->name) : u"");
}

void writeInserts(ReportWriter& out, const Node& channel) {
    out.arrayMember("inserts");
    if (const Node* node = channel.findChild("Inserts")) {
        for (std::size_t i = 0; i < node->children.size(); ++i) {
            const Node& slot = *node->children[i];
            const Node* plugin = pluginOf(slot);
            if (!plugin) continue;
            out.beginObject();
            out.member("slot", i);
            writeEntryOf(out, "plugin", slot, "effectType");
            writeValueOf(out, "on", slot.findParameterByTag(kInsertOnTag));
            out.key("parameters");
            writeValues(out, *plugin);
            out.end();
        }
    }
    out.end();
}

void writeSends(ReportWriter& out, const Document& document, const Node& channel) {
    out.arrayMember("sends");
    if (const Node* node = channel.findChild("Sends")) {
        for (std::size_t i = 0; i < node->children.size(); ++i) {
            const Node& slot = *node->children[i];
            if (!slot.destination && !changed(slot)) continue;
            out.beginObject();
            out.member("slot", i);
            writeValueOf(out, "on", slot.findParameterByTag(kSendOnTag));
            writeValueOf(out, "level", slot.findParameterByTag(kSendLevelTag));
            out.key("destination");
            if (slot.destination) {
                out.beginObject();
                out.member("channel", document.channelIndex(*slot.destination));
                out.member("name", slot.destination->shownName());
                out.end();
            } else {
                out.null();
            }
            out.end();
        }
    }
    out.end();
}

void writeStrip(ReportWriter& out, const Node& channel) {
    out.arrayMember("strip");
    if (const Node* node = channel.findChild("Strips")) {
        for (const Node* slot : node->children) {
            const Node* module = pluginOf(*slot);
            if (!changed(*slot) && !(module && changed(*module))) continue;
            out.beginObject();
            writeEntryOf(out, "module", *slot, "moduleType");
            writeValueOf(out, "bypass", slot->findParameter("bypass"));
            out.key("parameters");
            if (module) {
                writeValues(out, *module);
            } else {
                out.beginObject();
                out.end();
            }
            out.end();
        }
    }
    out.end();
}

// The node's values when the import changed any of them, else null.
void writeChangedNode(ReportWriter& out, std::string_view name, const Node* node) {
    out.key(name);
    if (node && changed(*node))
        writeValues(out, *node);
    else
        out.null();
}

void writeLimiter(ReportWriter& out, const Node& channel) {
    const Node* node = nullptr;
    if (channel.subNode) {
        node = channel.subNode->findChild("Channel Limiter");
        if (!node) node = channel.subNode->findChild("Channel Limiter Slot");
    }
    writeChangedNode(out, "limiter", node);
}

void writeInputPhase(ReportWriter& out, const Node& channel) {
    const Node* filter = channel.findChild("InputFilter");
    if (filter && changed(*filter)) {
        writeChangedNode(out, "inputFilter", filter);
        return;
    }
    out.key("inputFilter");
    const Parameter* p = channel.findParameter("inputPhase");
    if (p && p->changes > 0) {
        out.beginObject();
        out.member("inputPhase", p->value);
        out.end();
    } else {
        out.null();
    }
}

}  // namespace

void writeEffects(ReportWriter& out, const Document& document) {
    out.beginArray();
    for (std::size_t i = 0; i < document.channels.children.size(); ++i) {
        const Node& channel = *document.channels.children[i];
        out.beginObject();
        out.member("channel", i);
        out.member("name", channel.shownName());
        out.member("type", channel.deviceType);
        writeInserts(out, channel);
        writeSends(out, document, channel);
        writeChangedNode(out, "eq", channel.findChild("EQ"));
        writeStrip(out, channel);
        writeLimiter(out, channel);
        writeInputPhase(out, channel);
        out.end();
    }
    out.end();
}

}  // namespace RefHost
