// Small helpers over the host's interfaces that every builder uses: attributes read back
// from tracks, a channel's parameter tree, named children and parameters, list entries.
// Every helper returns an owning IPtr (empty when the host has nothing there) or a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/iptr.h"
#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;

// Attribute list of a track; empty when the host gives none.
IPtr<Host::IAttributeList> attributesOf(Host::ITrack* track);

// Attribute values; nullopt when absent or of another type.
std::optional<std::int64_t> attrInt(Host::IAttributeList* list, const char* key);
std::optional<double> attrFloat(Host::IAttributeList* list, const char* key);
std::optional<std::u16string> attrString(Host::IAttributeList* list, const char* key);
// The key of a send attribute: "tSBI" and 0 give "tSBI0".
std::string indexedKey(const char* prefix, std::size_t index);

// The root of the parameter tree of a track's mixer channel; empty without a channel.
IPtr<Host::IParamNode> channelRoot(Host::ITrack* track);

// The 8-bit name of a node or parameter.
std::string nodeName(Host::IParamNode* node);
std::string paramName(Host::IParameter* param);

IPtr<Host::IParamNode> childAt(Host::IParamNode* node, std::int32_t index);
IPtr<Host::IParamNode> childNamed(Host::IParamNode* node, const char* name);
IPtr<Host::IParameter> paramNamed(Host::IParamNode* node, const char* name);
IPtr<Host::IParameter> paramTagged(Host::IParamNode* node, std::int32_t tag);

// The mixer's "Channels" node: the host object "QPL Mixer", its child "Channels".
IPtr<Host::IParamNode> mixerChannels(TessaroImporter& importer);

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
