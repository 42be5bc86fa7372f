#include "hostkit/host_helpers.h"

#include <vector>

#include "base/text.h"
#include "hostkit/host_session.h"

namespace Tessaro {

IPtr<Host::IAttributeList> attributesOf(Host::ITrack* track) {
    IPtr<Host::IAttributeList> list;
    if (track && track->getAttributes(list.put()) != Host::kResultOk) list.reset();
    return list;
}

std::optional<std::int64_t> attrInt(Host::IAttributeList* list, const char* key) {
    Host::int64 v = 0;
    if (!list || list->getInt(key, &v) != Host::kResultOk) return std::nullopt;
    return v;
}

std::optional<double> attrFloat(Host::IAttributeList* list, const char* key) {
    double v = 0;
    if (!list || list->getFloat(key, &v) != Host::kResultOk) return std::nullopt;
    return v;
}

std::optional<std::u16string> attrString(Host::IAttributeList* list, const char* key) {
    if (!list || list->getType(key) != Host::IAttributeList::kString16) return std::nullopt;
    std::u16string text = readHostText(
        [&](char16_t* buffer, Host::int32 size) { return list->getString(key, buffer, size); },
        4096);
    return text;
}

Host::tresult setIntAttribute(Host::IAttributeList& list, const char* key, std::int64_t value,
                              Notify notify) {
    return list.setInt(key, value, static_cast<Host::tbool>(notify));
}

Host::tresult setFloatAttribute(Host::IAttributeList& list, const char* key, double value,
                                Notify notify) {
    return list.setFloat(key, value, static_cast<Host::tbool>(notify));
}

Host::tresult setStringAttribute(Host::IAttributeList& list, const char* key,
                                 const std::u16string& value, Notify notify) {
    return list.setString(key, value.c_str(), static_cast<Host::tbool>(notify));
}

Host::tresult setFloatValue(Host::IParameter& param, double value, Notify notify) {
    return param.setFloatValue(value, static_cast<Host::tbool>(notify));
}

IPtr<Host::IParamNode> channelRoot(Host::ITrack* track) {
    IPtr<Host::IParamNode> root;
    if (auto channel = queryTo<Host::IChannel>(track)) {
        if (channel->getParamRoot(root.put()) != Host::kResultOk) root.reset();
    }
    return root;
}

std::string nodeName(Host::IParamNode* node) {
    if (!node) return {};
    return readHostText8([&](char* b, Host::int32 n) { return node->getName(b, n); });
}

IPtr<Host::IParamNode> childAt(Host::IParamNode* node, std::int32_t index) {
    IPtr<Host::IParamNode> child;
    if (node && node->getChild(index, child.put()) != Host::kResultOk) child.reset();
    return child;
}

IPtr<Host::IParamNode> childNamed(Host::IParamNode* node, const char* name) {
    IPtr<Host::IParamNode> child;
    if (node && node->findChild(name, child.put()) != Host::kResultOk) child.reset();
    return child;
}

IPtr<Host::IParameter> paramNamed(Host::IParamNode* node, const char* name) {
    IPtr<Host::IParameter> param;
    if (node && node->findParameter(name, param.put()) != Host::kResultOk) param.reset();
    return param;
}

IPtr<Host::IParameter> paramTagged(Host::IParamNode* node, std::int32_t tag) {
    IPtr<Host::IParameter> param;
    if (node && node->findParameterByTag(tag, param.put()) != Host::kResultOk) param.reset();
    return param;
}

IPtr<Host::IParamNode> mixerChannels(const HostSession& host) {
    if (!host.mixerAccess) return {};
    // findObject hands out a borrowed pointer; take a reference of our own.
    auto mixer = IPtr<Host::FUnknown>::share(host.mixerAccess->findObject("QPL Mixer", 0));
    auto mixerNode = queryTo<Host::IParamNode>(mixer);
    return childNamed(mixerNode.get(), "Channels");
}

std::u16string_view withoutCategory(std::u16string_view entry) {
    const auto cut = entry.find(u" - ");
    return cut == std::u16string_view::npos ? entry : entry.substr(cut + 3);
}

namespace {

struct Entry {
    std::u16string text;
    Host::int32 value;
};

std::vector<Entry> listEntries(Host::IParameter* param) {
    std::vector<Entry> entries;
    auto list = queryTo<Host::IListParameter>(param);
    if (!list) return entries;
    list->refresh();
    IPtr<Host::IEntryList> items;
    if (list->getEntries(items.put()) != Host::kResultOk || !items) return entries;
    const Host::int32 count = items->getCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto text = readHostText(
            [&](char16_t* b, Host::int32 n) { return items->getEntryName(i, b, n); }, 512);
        entries.push_back({std::move(text), items->getEntryValue(i)});
    }
    return entries;
}

template <class Match>
std::optional<std::u16string> choose(Host::IParameter* param, Match&& match) {
    for (const auto& entry : listEntries(param)) {
        if (match(entry.text)) {
            param->setValue(entry.value);
            return entry.text;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string> chooseListEntry(Host::IParameter* param,
                                              std::u16string_view wanted) {
    return choose(param, [&](const std::u16string& t) { return withoutCategory(t) == wanted; });
}

std::optional<std::u16string> chooseListEntryExact(Host::IParameter* param,
                                                   std::u16string_view wanted) {
    return choose(param, [&](const std::u16string& t) { return t == wanted; });
}

bool listOffers(Host::IParameter* param, std::u16string_view name) {
    for (const auto& entry : listEntries(param))
        if (withoutCategory(entry.text) == name) return true;
    return false;
}

}  // namespace Tessaro
