// The host's document model. One kind of node serves every object of the document:
// tracks and folders of the project tree, the mixer object, its channels and their
// parameter trees ("Panner", "Sends", "Inserts", "Slot" ...). A node has kinds (names such
// as "track" and "instrument"), a name, typed attributes, parameters and ordered children;
// the interfaces the plug-in asks for are facets over it (facets_tree.cpp,
// facets_mixer.cpp ...). Fields that belong to one area of the host are grouped below.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "refhost/facet.h"
#include "refhost/profile.h"

namespace RefHost {

class Node;
class TrackAutomation;
class EventList;

// An attribute value: integer, float or UTF-16 text.
using AttributeValue = std::variant<Host::int64, double, std::u16string>;

// The kinds of a node: a few names ("track", "instrument", "param", "send" ...) kept as the
// bits of one word, as a channel has some thirty nodes and a project thousands of channels.
// The names are numbered in the order first used, once for the whole program; there are at
// most 64 different ones (more is a ProfileError).
class KindSet {
public:
    KindSet() = default;
    KindSet(std::initializer_list<std::string_view> names);

    bool contains(std::string_view name) const;
    // True when every kind of kinds is here: a test without looking names up, for a set
    // made once (`static const KindSet kSend{"send"}`).
    bool containsAll(KindSet kinds) const { return (bits_ & kinds.bits_) == kinds.bits_; }
    void insert(std::string_view name);
    // The names, in the order they were numbered.
    std::vector<std::string> names() const;

private:
    std::uint64_t bits_ = 0;
};

// The entries of a parameter that offers none.
const std::vector<ListEntry>& noEntries();

// A parameter of a node: an integer scale from 0 to max (some take float values too); a
// list parameter offers entries, each selected by its value.
class Parameter : public Object {
public:
    // entries is shared, not copied: a list of the host's profile or a list the host keeps
    // (ReferenceHost::sharedList), which outlive the parameter.
    Parameter(ReferenceHost& host, Node& owner, const ParamTemplate& shape,
              const std::vector<ListEntry>& entries);
    Parameter(ReferenceHost&, Node&, const ParamTemplate&, std::vector<ListEntry>&&) = delete;

    std::string describe() const override;

    // A channel has some ninety parameters: what every parameter of a name or a list shares
    // is kept once by the host (ReferenceHost::sharedName, sharedList, the profile's lists).
    Node& owner;
    const std::string& name;
    double value = 0;
    const std::vector<ListEntry>& entries;  // empty unless isList
    // Called after every value set (an instrument slot loads the chosen plug-in).
    void (*onChange)(Parameter&) = nullptr;
    Host::int32 tag = 0;
    Host::int32 max = 1;
    Host::uint32 changes = 0;  // values set by the plug-in
    bool isList = false;

    // Sets the value clamped to 0..max and counts the change.
    void set(double v);
    // The entry the value selects, or null.
    const ListEntry* chosenEntry() const;
};

class Node : public Object {
public:
    Node(ReferenceHost& host, KindSet kinds, std::u16string name);

    std::string describe() const override;

    bool is(std::string_view kind) const { return kinds.contains(kind); }
    bool is(KindSet all) const { return kinds.containsAll(all); }
    // The name the node shows: a track channel shows its track's name.
    const std::u16string& shownName() const;
    std::string shownName8() const;

    void append(Node& child);
    void insert(std::size_t index, Node& child);
    Node* findChild(std::string_view name8) const;
    Parameter* findParameter(std::string_view name8) const;
    Parameter* findParameterByTag(Host::int32 tag) const;

    KindSet kinds;
    std::u16string name;
    Node* parent = nullptr;
    std::vector<Node*> children;
    std::vector<std::unique_ptr<Parameter>> parameters;
    Node* subNode = nullptr;  // what IParamNode::getSubNode answers
    bool parameterChanged = false;  // the plug-in set a value of one of its parameters

    // --- Project tree: tracks and folders --------------------------------------------
    std::map<std::string, AttributeValue> attributes;
    std::optional<Host::uint32> colour;  // 0xAARRGGBB
    Node* channel = nullptr;             // a track's mixer channel
    TrackAutomation* automation = nullptr;  // made on first request (automation.h)
    EventList* eventList = nullptr;      // an instrument or audio track's events (events.h)

    // --- Mixer channels ----------------------------------------------------------------
    std::string deviceType;     // "AudioChannel", "Synth", "FxChannel", "Output"
    bool trackChannel = false;  // false for the project's outputs
    Node* track = nullptr;      // the track of a track channel
    std::optional<Host::int32> mode;  // set through IChannel::setMode

    // --- Send slots --------------------------------------------------------------------
    Node* destination = nullptr;  // the channel a send feeds

    // --- The mixer object ------------------------------------------------------------
    std::optional<double> value;  // what IValue reports
};

}  // namespace RefHost
