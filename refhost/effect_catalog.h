// The effect plug-ins of an edition, as data: the profile's "plugins" section maps the
// text of a list entry ("Dynamics - Compressor", as the insert slots' "effectType" list
// shows it) to the plug-in's node: its name and its parameters (name, tag, step count,
// starting value). The same serves the modules of a channel strip ("moduleType").
//
// A slot holds the instance of the plug-in its list parameter chooses as its first child:
// choosing another entry replaces the instance with a fresh one; an entry without a
// plug-in ("No Effect") leaves the slot empty.
#pragma once

#include <optional>
#include <string_view>

#include "refhost/profile.h"

namespace RefHost {

class Document;
class Parameter;

// The template of the plug-in that entry names; none when the profile has no such plug-in.
std::optional<NodeTemplate> pluginTemplate(const Profile& profile, std::u16string_view entry);

// True for the list parameters that choose their node's plug-in.
bool choosesPlugin(const Parameter& param);

// Puts the instance of the plug-in param chooses into param's node as its first child,
// replacing the one there. Called when such a parameter is built and when its value
// changes.
void settlePluginInstance(Document& document, Parameter& param);

}  // namespace RefHost
