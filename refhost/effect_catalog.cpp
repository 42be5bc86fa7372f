#include "refhost/effect_catalog.h"

#include "base/text.h"
#include "refhost/node.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

constexpr std::string_view kChoosers[] = {"effectType", "moduleType"};

}  // namespace

std::optional<NodeTemplate> pluginTemplate(const Profile& profile, std::u16string_view entry) {
    const auto plugins = profile.data.find("plugins");
    if (plugins == profile.data.end() || !plugins->is_object()) return std::nullopt;
    const auto plugin = plugins->find(Tessaro::toUtf8(entry));
    if (plugin == plugins->end()) return std::nullopt;
    return readNodeTemplate(*plugin, profile.lists);
}

bool choosesPlugin(const Parameter& param) {
    if (!param.isList) return false;
    for (const auto name : kChoosers)
        if (param.name == name) return true;
    return false;
}

void settlePluginInstance(Document& document, Parameter& param) {
    if (!choosesPlugin(param)) return;
    Node& slot = param.owner;
    if (!slot.children.empty() && slot.children.front()->is("plugin")) {
        slot.children.front()->parent = nullptr;
        slot.children.erase(slot.children.begin());
    }
    const ListEntry* entry = param.chosenEntry();
    if (!entry) return;
    auto shape = pluginTemplate(param.host().profile(), entry->name);
    if (!shape) return;
    shape->kinds.push_back("plugin");
    Node& instance = document.build(*shape, nullptr);
    slot.insert(0, instance);
}

}  // namespace RefHost
