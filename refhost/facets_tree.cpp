// The project's track tree: IObjectTree, IObjectIterator, IProjectObject, ITrack and
// IAttributeList.
#include "base/text.h"
#include "refhost/automation.h"
#include "refhost/events.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

// An iterator over the children a tree node had when the iterator was made.
class ChildIterator : public Object {
public:
    ChildIterator(ReferenceHost& host, const Node& parent)
        : Object(host), items(parent.children), parentName(parent.describe()) {}
    std::string describe() const override { return "iterator over " + parentName; }

    std::vector<Node*> items;
    std::size_t next = 0;
    std::string parentName;
};

bool isTreeRoot(Object& object) {
    auto* node = dynamic_cast<Node*>(&object);
    return node && (node->is("trackRoot") || node->is("folder"));
}

bool isTreeObject(Object& object) {
    auto* node = dynamic_cast<Node*>(&object);
    return node && node->is("track");
}

bool isIterator(Object& object) { return dynamic_cast<ChildIterator*>(&object) != nullptr; }

class ObjectTreeFacet : public Facet<Host::IObjectTree, Node> {
public:
    using Facet::Facet;

    Host::tresult getChildren(Host::IObjectIterator** children) override {
        const HostCall call(*this, "getChildren");
        if (!call) return call.refusal();
        if (!outPointer("getChildren", children)) return Host::kInvalidArgument;
        *children = nullptr;
        if (self().children.empty()) return Host::kResultFalse;
        auto& iterator = host().make<ChildIterator>(self());
        return account().handOut(iterator, Host::IObjectIterator::iid,
                                 reinterpret_cast<void**>(children));
    }

    Host::tresult getSubTree(Host::IProjectObject* object, Host::IObjectTree** tree) override {
        const HostCall call(*this, "getSubTree");
        if (!call) return call.refusal();
        if (!outPointer("getSubTree", tree)) return Host::kInvalidArgument;
        *tree = nullptr;
        auto* node = static_cast<Node*>(
            argument("getSubTree", object, "object", &Host::IProjectObject::iid));
        if (!node) return Host::kInvalidArgument;
        if (!node->is("folder") || node->children.empty()) return Host::kResultFalse;
        return account().handOut(*node, Host::IObjectTree::iid, reinterpret_cast<void**>(tree));
    }
};

class ObjectIteratorFacet : public Facet<Host::IObjectIterator, ChildIterator> {
public:
    using Facet::Facet;

    Host::tbool atEnd() override {
        const HostCall call(*this, "atEnd");
        if (!call) return 1;
        return self().next >= self().items.size() ? 1 : 0;
    }

    Host::tresult next(Host::IProjectObject** object) override {
        const HostCall call(*this, "next");
        if (!call) return call.refusal();
        if (!outPointer("next", object)) return Host::kInvalidArgument;
        *object = nullptr;
        if (self().next >= self().items.size()) return Host::kResultFalse;
        Node& item = *self().items[self().next++];
        return account().handOut(item, Host::IProjectObject::iid, reinterpret_cast<void**>(object));
    }
};

class ProjectObjectFacet : public Facet<Host::IProjectObject, Node> {
public:
    using Facet::Facet;

    Host::tbool isKind(const Host::char8* kind) override {
        std::string name;
        const HostCall call(*this, "isKind");
        if (!call) return 0;
        if (!text("isKind", kind, "kind", name)) return 0;
        return self().is(name) ? 1 : 0;
    }

    Host::tresult getName(Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getName");
        if (!call) return call.refusal();
        return copyOut("getName", self().name, buffer, size);
    }

    Host::tresult getTrack(Host::ITrack** track) override {
        const HostCall call(*this, "getTrack");
        if (!call) return call.refusal();
        if (!outPointer("getTrack", track)) return Host::kInvalidArgument;
        return account().handOut(self(), Host::ITrack::iid, reinterpret_cast<void**>(track));
    }

    Host::tresult setName(Host::IProject* project, const Host::char16* name,
                          Host::IEditContext* edit) override {
        std::u16string newName;
        const HostCall call(*this, "setName");
        if (!call) return call.refusal();
        if (!projectArguments("setName", project, edit) || !text("setName", name, "name", newName))
            return Host::kInvalidArgument;
        self().name = std::move(newName);
        return Host::kResultOk;
    }

    Host::tresult setColor(Host::IProject* project, Host::uint32 color,
                           Host::IEditContext* edit) override {
        const HostCall call(*this, "setColor");
        if (!call) return call.refusal();
        if (!projectArguments("setColor", project, edit)) return Host::kInvalidArgument;
        self().colour = color;
        return Host::kResultOk;
    }
};

class TrackFacet : public Facet<Host::ITrack, Node> {
public:
    using Facet::Facet;

    Host::tresult getAttributes(Host::IAttributeList** list) override {
        const HostCall call(*this, "getAttributes");
        if (!call) return call.refusal();
        if (!outPointer("getAttributes", list)) return Host::kInvalidArgument;
        return account().handOut(self(), Host::IAttributeList::iid, reinterpret_cast<void**>(list));
    }

    Host::tresult getEventList(Host::IEventList** list) override {
        const HostCall call(*this, "getEventList");
        if (!call) return call.refusal();
        if (!outPointer("getEventList", list)) return Host::kInvalidArgument;
        return handOutTrackEventList(self(), list);
    }

    Host::tresult getAutomation(Host::IAutomation** automation) override {
        const HostCall call(*this, "getAutomation");
        if (!call) return call.refusal();
        if (!outPointer("getAutomation", automation)) return Host::kInvalidArgument;
        *automation = nullptr;
        TrackAutomation* made = automationOf(host(), self());
        if (!made) return Host::kResultFalse;
        return account().handOut(*made, Host::IAutomation::iid,
                                 reinterpret_cast<void**>(automation));
    }
};

class AttributeListFacet : public Facet<Host::IAttributeList, Node> {
public:
    using Facet::Facet;

    Host::tresult hasAttribute(const Host::char8* key) override {
        const HostCall call(*this, "hasAttribute");
        if (!call) return call.refusal();
        const AttributeValue* value = nullptr;
        if (!find("hasAttribute", key, value)) return Host::kInvalidArgument;
        return value ? Host::kResultOk : Host::kResultFalse;
    }

    Host::int32 getType(const Host::char8* key) override {
        const HostCall call(*this, "getType");
        if (!call) return 0;
        const AttributeValue* value = nullptr;
        if (!find("getType", key, value) || !value) return 0;
        if (std::holds_alternative<Host::int64>(*value)) return kInteger;
        if (std::holds_alternative<double>(*value)) return kFloat;
        return kString16;
    }

    Host::tresult getInt(const Host::char8* key, Host::int64* out) override {
        return get<Host::int64>("getInt", key, [&](const Host::int64& v) { *out = v; }, out);
    }

    Host::tresult getFloat(const Host::char8* key, double* out) override {
        return get<double>("getFloat", key, [&](const double& v) { *out = v; }, out);
    }

    Host::tresult getString(const Host::char8* key, Host::char16* buffer,
                            Host::int32 size) override {
        const HostCall call(*this, "getString");
        if (!call) return call.refusal();
        const AttributeValue* value = nullptr;
        if (!find("getString", key, value)) return Host::kInvalidArgument;
        if (!value || !std::holds_alternative<std::u16string>(*value)) return Host::kResultFalse;
        return copyOut("getString", std::get<std::u16string>(*value), buffer, size);
    }

    Host::tresult setInt(const Host::char8* key, Host::int64 value, Host::tbool) override {
        const HostCall call(*this, "setInt");
        if (!call) return call.refusal();
        return set("setInt", key, AttributeValue(value));
    }

    Host::tresult setFloat(const Host::char8* key, double value, Host::tbool) override {
        const HostCall call(*this, "setFloat");
        if (!call) return call.refusal();
        return set("setFloat", key, AttributeValue(value));
    }

    Host::tresult setString(const Host::char8* key, const Host::char16* value,
                            Host::tbool) override {
        std::u16string text16;
        const HostCall call(*this, "setString");
        if (!call) return call.refusal();
        if (!text("setString", value, "value", text16)) return Host::kInvalidArgument;
        return set("setString", key, AttributeValue(std::move(text16)));
    }

    Host::tresult setName(Host::IProject* project, const Host::char16* name,
                          Host::IEditContext* edit) override {
        std::u16string newName;
        const HostCall call(*this, "setName");
        if (!call) return call.refusal();
        if (!projectArguments("setName", project, edit) || !text("setName", name, "name", newName))
            return Host::kInvalidArgument;
        self().name = std::move(newName);
        return Host::kResultOk;
    }

private:
    // Looks key up; false (a misuse) when the key is bad.
    bool find(const char* operation, const Host::char8* key, const AttributeValue*& value) {
        std::string name;
        if (!text(operation, key, "key", name)) return false;
        const auto it = self().attributes.find(name);
        value = it == self().attributes.end() ? nullptr : &it->second;
        return true;
    }

    template <class T, class Store>
    Host::tresult get(const char* operation, const Host::char8* key, Store&& store,
                      const void* out) {
        const HostCall call(*this, operation);
        if (!call) return call.refusal();
        const AttributeValue* value = nullptr;
        if (!outPointer(operation, out) || !find(operation, key, value))
            return Host::kInvalidArgument;
        if (!value || !std::holds_alternative<T>(*value)) return Host::kResultFalse;
        store(std::get<T>(*value));
        return Host::kResultOk;
    }

    Host::tresult set(const char* operation, const Host::char8* key, AttributeValue value) {
        std::string name;
        if (!text(operation, key, "key", name)) return Host::kInvalidArgument;
        if (name.empty()) {
            misuse(operation, "empty key");
            return Host::kInvalidArgument;
        }
        self().attributes[name] = std::move(value);
        return Host::kResultOk;
    }
};

const FacetType kTypes[] = {
    facetType<ProjectObjectFacet, Host::IProjectObject>("IProjectObject", isTreeObject),
    facetType<TrackFacet, Host::ITrack>("ITrack", isTreeObject),
    facetType<AttributeListFacet, Host::IAttributeList>("IAttributeList", isTreeObject),
    facetType<ObjectTreeFacet, Host::IObjectTree>("IObjectTree", isTreeRoot),
    facetType<ObjectIteratorFacet, Host::IObjectIterator>("IObjectIterator", isIterator),
};

}  // namespace

std::span<const FacetType> treeFacetTypes() { return kTypes; }

}  // namespace RefHost
