#include "refhost/node.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

#include "base/text.h"
#include "refhost/effect_catalog.h"
#include "refhost/reference_host.h"

namespace RefHost {

// --- KindSet -------------------------------------------------------------------------

namespace {

// The names of node kinds, numbered in the order first used. A name once numbered never
// moves or changes, so looking one up (every Node::is) takes no lock; numbering a new one
// does.
class KindNames {
public:
    static KindNames& all() {
        static KindNames* names = new KindNames;  // never destroyed: hosts may outlive statics
        return *names;
    }

    // The number of name; -1 when it has none and add is false.
    int number(std::string_view name, bool add) {
        const int known = find(name, count_.load(std::memory_order_acquire));
        if (known >= 0 || !add) return known;
        const std::lock_guard<std::mutex> hold(lock_);
        const std::size_t count = count_.load(std::memory_order_relaxed);
        if (const int added = find(name, count); added >= 0) return added;
        if (count == names_.size())
            throw ProfileError("more than 64 kinds of node: \"" + std::string(name) + "\"");
        names_[count] = name;
        count_.store(count + 1, std::memory_order_release);
        return static_cast<int>(count);
    }

    std::string name(int number) const { return names_[static_cast<std::size_t>(number)]; }

private:
    int find(std::string_view name, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i)
            if (names_[i] == name) return static_cast<int>(i);
        return -1;
    }

    std::mutex lock_;
    std::array<std::string, 64> names_;
    std::atomic<std::size_t> count_{0};
};

}  // namespace

KindSet::KindSet(std::initializer_list<std::string_view> names) {
    for (const auto name : names) insert(name);
}

bool KindSet::contains(std::string_view name) const {
    const int number = KindNames::all().number(name, false);
    return number >= 0 && (bits_ >> number & 1u) != 0;
}

void KindSet::insert(std::string_view name) {
    bits_ |= std::uint64_t{1} << KindNames::all().number(name, true);
}

std::vector<std::string> KindSet::names() const {
    std::vector<std::string> out;
    for (int i = 0; i < 64; ++i)
        if (bits_ >> i & 1u) out.push_back(KindNames::all().name(i));
    return out;
}

namespace {

// True when a name reads as the UTF-8 text; compared unit by unit when the text is ASCII.
bool namedAs(std::u16string_view name, std::string_view name8) {
    for (const char c : name8)
        if (static_cast<unsigned char>(c) >= 0x80) return Tessaro::toUtf8(name) == name8;
    return std::equal(name.begin(), name.end(), name8.begin(), name8.end(),
                      [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
}

}  // namespace

// --- Parameter -----------------------------------------------------------------------

const std::vector<ListEntry>& noEntries() {
    static const std::vector<ListEntry>* none = new std::vector<ListEntry>;
    return *none;
}

Parameter::Parameter(ReferenceHost& host, Node& ownerNode, const ParamTemplate& shape,
                     const std::vector<ListEntry>& listEntries)
    : Object(host),
      owner(ownerNode),
      name(host.sharedName(shape.name)),
      value(std::clamp(shape.value, 0.0, static_cast<double>(std::max(shape.max, 0)))),
      entries(listEntries),
      tag(shape.tag),
      max(std::max(shape.max, 0)),
      isList(!shape.list.empty()) {}

std::string Parameter::describe() const {
    return "parameter \"" + name + "\" of " + owner.describe();
}

void Parameter::set(double v) {
    const double before = value;
    // NaN is not ordered: it leaves the value at 0.
    value = v >= 0 ? std::min(v, static_cast<double>(max)) : 0.0;
    ++changes;
    owner.parameterChanged = true;
    // A slot whose owner watches its choice (the instrument slot) settles it itself; any
    // other plug-in choice settles the instance of the effect catalog.
    if (onChange)
        onChange(*this);
    else if (value != before)
        settlePluginInstance(host().document(), *this);
}

const ListEntry* Parameter::chosenEntry() const {
    for (const auto& entry : entries)
        if (static_cast<double>(entry.value) == value) return &entry;
    return nullptr;
}

// --- Node ----------------------------------------------------------------------------

Node::Node(ReferenceHost& host, KindSet nodeKinds, std::u16string nodeName)
    : Object(host), kinds(std::move(nodeKinds)), name(std::move(nodeName)) {}

const std::u16string& Node::shownName() const { return track ? track->name : name; }

std::string Node::shownName8() const { return Tessaro::toUtf8(shownName()); }

std::string Node::describe() const {
    if (is("project")) return "project";
    if (is("trackRoot")) return "track tree";
    if (is("track")) {
        for (const char* kind : {"instrument", "audio", "effect"})
            if (is(kind)) return std::string(kind) + " track \"" + shownName8() + "\"";
        if (is("folder")) return "folder \"" + shownName8() + "\"";
        return "track \"" + shownName8() + "\"";
    }
    // A node of the mixer: its path from the top, with the index of a name that repeats
    // among its siblings ("QPL Mixer/Channels/Piano/Sends/Slot[2]").
    std::string path;
    for (const Node* n = this; n; n = n->parent) {
        std::string step = n->shownName8();
        if (n->parent) {
            const auto& siblings = n->parent->children;
            std::size_t same = 0, index = 0;
            for (const Node* s : siblings) {
                if (s == n) index = same;
                if (s->shownName() == n->shownName()) ++same;
            }
            if (same > 1) step += "[" + std::to_string(index) + "]";
        }
        path = path.empty() ? step : step + "/" + path;
    }
    return "node \"" + path + "\"";
}

void Node::append(Node& child) {
    child.parent = this;
    children.push_back(&child);
}

void Node::insert(std::size_t index, Node& child) {
    child.parent = this;
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(std::min(index, children.size())),
                    &child);
}

Node* Node::findChild(std::string_view name8) const {
    for (Node* child : children)
        if (namedAs(child->shownName(), name8)) return child;
    return nullptr;
}

Parameter* Node::findParameter(std::string_view name8) const {
    for (const auto& p : parameters)
        if (p->name == name8) return p.get();
    return nullptr;
}

Parameter* Node::findParameterByTag(Host::int32 tag) const {
    for (const auto& p : parameters)
        if (p->tag == tag) return p.get();
    return nullptr;
}

}  // namespace RefHost
