// The mixer: the mixer object (IValue, IParamNode), the nodes of parameter trees
// (IParamNode), channels (IDevice, IChannelInfo, and IChannel on their tracks), send slots
// (ISendRouting) and parameters (IParameter, IListParameter, IEntryList).
#include "base/text.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

Node* asNode(Object& object) { return dynamic_cast<Node*>(&object); }

bool isParamNode(Object& object) {
    Node* node = asNode(object);
    return node && node->is("param");
}
bool isMixerWithValue(Object& object) {
    Node* node = asNode(object);
    return node && node->is("mixer") && node->value.has_value();
}
bool isChannel(Object& object) {
    Node* node = asNode(object);
    return node && node->is("channel");
}
bool isTrackWithChannel(Object& object) {
    Node* node = asNode(object);
    return node && node->is("track") && node->channel;
}
bool isSendSlot(Object& object) {
    Node* node = asNode(object);
    return node && node->is("send");
}
bool isParameter(Object& object) { return dynamic_cast<Parameter*>(&object) != nullptr; }
bool isListParameter(Object& object) {
    auto* p = dynamic_cast<Parameter*>(&object);
    return p && p->isList;
}

class ValueFacet : public Facet<Host::IValue, Node> {
public:
    using Facet::Facet;

    Host::tresult getValue(double* value) override {
        const HostCall call(*this, "getValue");
        if (!call) return call.refusal();
        if (!outPointer("getValue", value)) return Host::kInvalidArgument;
        *value = self().value.value_or(0.0);
        return Host::kResultOk;
    }
};

class ParamNodeFacet : public Facet<Host::IParamNode, Node> {
public:
    using Facet::Facet;

    Host::tresult getName(Host::char8* buffer, Host::int32 size) override {
        const HostCall call(*this, "getName");
        if (!call) return call.refusal();
        return copyOut("getName", self().shownName8(), buffer, size);
    }

    Host::int32 getChildCount() override {
        const HostCall call(*this, "getChildCount");
        if (!call) return 0;
        return static_cast<Host::int32>(self().children.size());
    }

    Host::tresult getChild(Host::int32 index, Host::IParamNode** child) override {
        const HostCall call(*this, "getChild");
        if (!call) return call.refusal();
        if (!outPointer("getChild", child)) return Host::kInvalidArgument;
        *child = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= self().children.size())
            return Host::kInvalidArgument;
        return handOutNode(self().children[static_cast<std::size_t>(index)], child);
    }

    Host::tresult findChild(const Host::char8* name, Host::IParamNode** child) override {
        std::string wanted;
        const HostCall call(*this, "findChild");
        if (!call) return call.refusal();
        if (!outPointer("findChild", child)) return Host::kInvalidArgument;
        *child = nullptr;
        if (!text("findChild", name, "name", wanted)) return Host::kInvalidArgument;
        return handOutNode(self().findChild(wanted), child);
    }

    Host::tresult findParameter(const Host::char8* name, Host::IParameter** param) override {
        std::string wanted;
        const HostCall call(*this, "findParameter");
        if (!call) return call.refusal();
        if (!outPointer("findParameter", param)) return Host::kInvalidArgument;
        *param = nullptr;
        if (!text("findParameter", name, "name", wanted)) return Host::kInvalidArgument;
        return handOutParameter(self().findParameter(wanted), param);
    }

    Host::tresult findParameterByTag(Host::int32 tag, Host::IParameter** param) override {
        const HostCall call(*this, "findParameterByTag");
        if (!call) return call.refusal();
        if (!outPointer("findParameterByTag", param)) return Host::kInvalidArgument;
        *param = nullptr;
        return handOutParameter(self().findParameterByTag(tag), param);
    }

    Host::tresult getSubNode(Host::IParamNode** node) override {
        const HostCall call(*this, "getSubNode");
        if (!call) return call.refusal();
        if (!outPointer("getSubNode", node)) return Host::kInvalidArgument;
        *node = nullptr;
        return handOutNode(self().subNode, node);
    }

private:
    Host::tresult handOutNode(Node* node, Host::IParamNode** out) {
        if (!node) return Host::kResultFalse;
        return account().handOut(*node, Host::IParamNode::iid, reinterpret_cast<void**>(out));
    }
    Host::tresult handOutParameter(Parameter* param, Host::IParameter** out) {
        if (!param) return Host::kResultFalse;
        return account().handOut(*param, Host::IParameter::iid, reinterpret_cast<void**>(out));
    }
};

class DeviceFacet : public Facet<Host::IDevice, Node> {
public:
    using Facet::Facet;

    Host::tresult getTypeName(Host::char8* buffer, Host::int32 size) override {
        const HostCall call(*this, "getTypeName");
        if (!call) return call.refusal();
        return copyOut("getTypeName", self().deviceType, buffer, size);
    }
};

class ChannelInfoFacet : public Facet<Host::IChannelInfo, Node> {
public:
    using Facet::Facet;

    Host::tbool isTrackChannel() override {
        const HostCall call(*this, "isTrackChannel");
        if (!call) return 0;
        return self().trackChannel ? 1 : 0;
    }
};

// IChannel is asked from a track; it works on the track's channel.
class ChannelFacet : public Facet<Host::IChannel, Node> {
public:
    using Facet::Facet;

    Host::tresult getParamRoot(Host::IParamNode** root) override {
        const HostCall call(*this, "getParamRoot");
        if (!call) return call.refusal();
        if (!outPointer("getParamRoot", root)) return Host::kInvalidArgument;
        return account().handOut(*self().channel, Host::IParamNode::iid,
                                 reinterpret_cast<void**>(root));
    }

    Host::tresult setMode(Host::int32 mode) override {
        const HostCall call(*this, "setMode");
        if (!call) return call.refusal();
        self().channel->mode = mode;
        return Host::kResultOk;
    }
};

class SendRoutingFacet : public Facet<Host::ISendRouting, Node> {
public:
    using Facet::Facet;

    Host::tresult setDestination(Host::FUnknown* destination) override {
        const HostCall call(*this, "setDestination");
        if (!call) return call.refusal();
        auto* target = asNodeOrNull(argument("setDestination", destination, "destination"));
        if (!target) return Host::kInvalidArgument;
        if (!target->is("channel") || !host().document().listsChannel(*target)) {
            misuse("setDestination", target->describe() + " is not a channel of \"Channels\"");
            return Host::kInvalidArgument;
        }
        self().destination = target;
        return Host::kResultOk;
    }

private:
    static Node* asNodeOrNull(Object* object) { return object ? asNode(*object) : nullptr; }
};

class ParameterFacet : public Facet<Host::IParameter, Parameter> {
public:
    using Facet::Facet;

    Host::tresult getName(Host::char8* buffer, Host::int32 size) override {
        const HostCall call(*this, "getName");
        if (!call) return call.refusal();
        return copyOut("getName", self().name, buffer, size);
    }
    Host::int32 getTag() override {
        const HostCall call(*this, "getTag");
        return call ? self().tag : 0;
    }
    Host::int32 getMax() override {
        const HostCall call(*this, "getMax");
        return call ? self().max : 0;
    }
    double getValue() override {
        const HostCall call(*this, "getValue");
        return call ? self().value : 0.0;
    }

    Host::tresult setValue(Host::int32 value) override {
        const HostCall call(*this, "setValue");
        if (!call) return call.refusal();
        self().set(static_cast<double>(value));
        return Host::kResultOk;
    }

    Host::tresult setFloatValue(double value, Host::tbool /*notify*/) override {
        const HostCall call(*this, "setFloatValue");
        if (!call) return call.refusal();
        self().set(value);
        return Host::kResultOk;
    }
};

class ListParameterFacet : public Facet<Host::IListParameter, Parameter> {
public:
    using Facet::Facet;

    Host::tresult refresh() override {
        const HostCall call(*this, "refresh");
        return call ? Host::kResultOk : call.refusal();
    }
    Host::tresult getEntries(Host::IEntryList** entries) override {
        const HostCall call(*this, "getEntries");
        if (!call) return call.refusal();
        if (!outPointer("getEntries", entries)) return Host::kInvalidArgument;
        return account().handOut(self(), Host::IEntryList::iid, reinterpret_cast<void**>(entries));
    }
};

class EntryListFacet : public Facet<Host::IEntryList, Parameter> {
public:
    using Facet::Facet;

    Host::int32 getCount() override {
        const HostCall call(*this, "getCount");
        return call ? static_cast<Host::int32>(self().entries.size()) : 0;
    }
    Host::tresult getEntryName(Host::int32 index, Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getEntryName");
        if (!call) return call.refusal();
        if (index < 0 || static_cast<std::size_t>(index) >= self().entries.size())
            return Host::kInvalidArgument;
        return copyOut("getEntryName", self().entries[static_cast<std::size_t>(index)].name, buffer,
                       size);
    }
    Host::int32 getEntryValue(Host::int32 index) override {
        const HostCall call(*this, "getEntryValue");
        if (!call) return -1;
        if (index < 0 || static_cast<std::size_t>(index) >= self().entries.size()) return -1;
        return self().entries[static_cast<std::size_t>(index)].value;
    }
};

const FacetType kTypes[] = {
    facetType<ParamNodeFacet, Host::IParamNode>("IParamNode", isParamNode),
    facetType<ValueFacet, Host::IValue>("IValue", isMixerWithValue),
    facetType<DeviceFacet, Host::IDevice>("IDevice", isChannel),
    facetType<ChannelInfoFacet, Host::IChannelInfo>("IChannelInfo", isChannel),
    facetType<ChannelFacet, Host::IChannel>("IChannel", isTrackWithChannel),
    facetType<SendRoutingFacet, Host::ISendRouting>("ISendRouting", isSendSlot),
    facetType<ParameterFacet, Host::IParameter>("IParameter", isParameter),
    facetType<ListParameterFacet, Host::IListParameter>("IListParameter", isListParameter),
    facetType<EntryListFacet, Host::IEntryList>("IEntryList", isListParameter),
};

}  // namespace

std::span<const FacetType> mixerFacetTypes() { return kTypes; }

}  // namespace RefHost
