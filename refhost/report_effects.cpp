#include "refhost/report_effects.h"

#include "base/text.h"
#include "refhost/document.h"

namespace RefHost {

namespace {

constexpr Host::int32 kInsertOnTag = 4098;
constexpr Host::int32 kSendOnTag = 4096;
constexpr Host::int32 kSendLevelTag = 4097;

bool changed(const Node& node) {
    for (const auto& p : node.parameters)
        if (p->changes > 0) return true;
    return false;
}

// The node's parameters by name, in the node's order.
Report values(const Node& node) {
    Report j = Report::object();
    for (const auto& p : node.parameters) {
        const ListEntry* entry = p->isList ? p->chosenEntry() : nullptr;
        j[p->name] = entry ? Report(Tessaro::toUtf8(entry->name)) : Report(p->value);
    }
    return j;
}

Report valueOf(const Parameter* p) { return p ? Report(p->value) : Report(nullptr); }

const Node* pluginOf(const Node& slot) {
    return !slot.children.empty() && slot.children.front()->is("plugin") ? slot.children.front()
                                                                          : nullptr;
}

Report entryOf(const Node& slot, const char* chooser) {
    const Parameter* p = slot.findParameter(chooser);
    const ListEntry* entry = p ? p->chosenEntry() : nullptr;
    return entry ? Report(Tessaro::toUtf8(entry->name)) : Report(nullptr);
}

Report inserts(const Node& channel) {
    Report list = Report::array();
    const Node* node = channel.findChild("Inserts");
    if (!node) return list;
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        const Node& slot = *node->children[i];
        const Node* plugin = pluginOf(slot);
        if (!plugin) continue;
        list.push_back({{"slot", i},
                        {"plugin", entryOf(slot, "effectType")},
                        {"on", valueOf(slot.findParameterByTag(kInsertOnTag))},
                        {"parameters", values(*plugin)}});
    }
    return list;
}

Report sends(const Document& document, const Node& channel) {
    Report list = Report::array();
    const Node* node = channel.findChild("Sends");
    if (!node) return list;
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        const Node& slot = *node->children[i];
        if (!slot.destination && !changed(slot)) continue;
        Report destination = nullptr;
        if (slot.destination)
            destination = {{"channel", document.channelIndex(*slot.destination)},
                           {"name", slot.destination->shownName8()}};
        list.push_back({{"slot", i},
                        {"on", valueOf(slot.findParameterByTag(kSendOnTag))},
                        {"level", valueOf(slot.findParameterByTag(kSendLevelTag))},
                        {"destination", std::move(destination)}});
    }
    return list;
}

Report strip(const Node& channel) {
    Report list = Report::array();
    const Node* node = channel.findChild("Strips");
    if (!node) return list;
    for (const Node* slot : node->children) {
        const Node* module = pluginOf(*slot);
        if (!changed(*slot) && !(module && changed(*module))) continue;
        list.push_back({{"module", entryOf(*slot, "moduleType")},
                        {"bypass", valueOf(slot->findParameter("bypass"))},
                        {"parameters", module ? values(*module) : Report::object()}});
    }
    return list;
}

Report changedNode(const Node* node) {
    return node && changed(*node) ? values(*node) : Report(nullptr);
}

Report limiter(const Node& channel) {
    if (!channel.subNode) return nullptr;
    const Node* node = channel.subNode->findChild("Channel Limiter");
    if (!node) node = channel.subNode->findChild("Channel Limiter Slot");
    return changedNode(node);
}

Report inputPhase(const Node& channel) {
    const Node* filter = channel.findChild("InputFilter");
    if (filter && changed(*filter)) return values(*filter);
    const Parameter* p = channel.findParameter("inputPhase");
    return p && p->changes > 0 ? Report({{"inputPhase", p->value}}) : Report(nullptr);
}

}  // namespace

Report effectsJson(const Document& document) {
    Report channels = Report::array();
    for (std::size_t i = 0; i < document.channels.children.size(); ++i) {
        const Node& channel = *document.channels.children[i];
        Report j;
        j["channel"] = i;
        j["name"] = channel.shownName8();
        j["type"] = channel.deviceType;
        j["inserts"] = inserts(channel);
        j["sends"] = sends(document, channel);
        j["eq"] = changedNode(channel.findChild("EQ"));
        j["strip"] = strip(channel);
        j["limiter"] = limiter(channel);
        j["inputFilter"] = inputPhase(channel);
        channels.push_back(std::move(j));
    }
    return channels;
}

}  // namespace RefHost
