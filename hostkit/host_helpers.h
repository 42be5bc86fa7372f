// Small helpers over the host's interfaces that readers, builders, instruments and effects
// share: attributes of tracks, a channel's parameter tree, named children and parameters,
// list entries, values set with or without telling the host's views. Every helper returns
// an owning IPtr (empty when the host has nothing there) or a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/iptr.h"
#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;

// Whether a value set in the host also tells the host's open views (editors, inspectors)
// at once, or leaves them to catch up.
enum class Notify : Host::tbool { Quietly = 0, Views = 1 };

// An attribute set on a list; the host's result.
Host::tresult setIntAttribute(Host::IAttributeList& list, const char* key, std::int64_t value,
                              Notify notify);
Host::tresult setFloatAttribute(Host::IAttributeList& list, const char* key, double value,
                                Notify notify);
Host::tresult setStringAttribute(Host::IAttributeList& list, const char* key,
                                 const std::u16string& value, Notify notify);
// A parameter set between its integer steps; the host's result.
Host::tresult setFloatValue(Host::IParameter& param, double value, Notify notify);

// Attribute list of a track; empty when the host gives none.
IPtr<Host::IAttributeList> attributesOf(Host::ITrack* track);

// Attribute values; nullopt when absent or of another type.
std::optional<std::int64_t> attrInt(Host::IAttributeList* list, const char* key);
std::optional<double> attrFloat(Host::IAttributeList* list, const char* key);
std::optional<std::u16string> attrString(Host::IAttributeList* list, const char* key);

// The root of the parameter tree of a track's mixer channel; empty without a channel.
IPtr<Host::IParamNode> channelRoot(Host::ITrack* track);

// The 8-bit name of a node.
std::string nodeName(Host::IParamNode* node);

IPtr<Host::IParamNode> childAt(Host::IParamNode* node, std::int32_t index);
IPtr<Host::IParamNode> childNamed(Host::IParamNode* node, const char* name);
IPtr<Host::IParameter> paramNamed(Host::IParamNode* node, const char* name);
IPtr<Host::IParameter> paramTagged(Host::IParamNode* node, std::int32_t tag);

// The mixer's "Channels" node: the host object "QPL Mixer", its child "Channels".
IPtr<Host::IParamNode> mixerChannels(const HostSession& host);

// The text a list entry names once a "Category - " prefix is cut: everything after the
// first " - ", or the whole text when it has none.
std::u16string_view withoutCategory(std::u16string_view entry);

// Chooses the first entry of the list parameter whose text (with its category cut) equals
// one of the wanted names, in the order of the list; sets the parameter to that entry's
// value. Returns the name matched, or nullopt when the parameter offers no list or no entry
// fits.
std::optional<std::u16string> chooseListEntry(Host::IParameter* param,
                                              std::u16string_view wanted);
// As above, but compares whole entry texts (no category cut).
std::optional<std::u16string> chooseListEntryExact(Host::IParameter* param,
                                                   std::u16string_view wanted);
// True when some entry of the list (with its category cut) equals name.
bool listOffers(Host::IParameter* param, std::u16string_view name);

}  // namespace Tessaro
