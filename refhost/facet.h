// Objects and facets: how the reference host hands out interfaces.
//
// Everything the host hands to a plug-in is an Object (a document node, a parameter, a
// stream, the host context ...). An object answers an interface through a facet: a small
// object that implements exactly that interface over the object and carries its own
// reference count. The count holds only the references handed to the plug-in; what the
// host keeps for itself is not counted. Facets are registered in the Account and never
// freed before the host is destroyed: most are owned by the account, the facets of events
// are members of the event (events.h). So a plug-in that calls a released facet reaches
// valid memory and the call is recorded as a misuse instead of crashing.
//
// Everything runs on the host's calling thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/funknown.h"
#include "refhost/fault_plan.h"

namespace RefHost {

class Account;
class FacetBase;
class Object;
class ReferenceHost;

// One kind of facet: the interface it serves and which objects answer it.
struct FacetType {
    Host::FUID iid;
    const char* name;  // the interface's name: "IParamNode"
    // True when object answers the interface.
    bool (*accepts)(Object& object);
    // A new facet of object (accepts was true), for the account to own.
    std::unique_ptr<FacetBase> (*make)(Object& object);
    // The position in allFacetTypes() (set there).
    std::uint16_t index = 0;
};

// Anything the host hands out interfaces of. Objects live until the host is destroyed;
// what they hold beyond their own memory they may give back earlier
// (lastReferenceReleased).
class Object {
public:
    explicit Object(ReferenceHost& host) : host_(host) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ReferenceHost& host() const { return host_; }
    // A short description for the account's findings, such as `track "Piano"`.
    virtual std::string describe() const = 0;

    // The facet handed out last for an interface (perhaps released), or null.
    FacetBase* lastFacet(const Host::FUID& iid) const;
    // The object's newest facet whose interface pointer is pointer, when it is not
    // released; null otherwise.
    FacetBase* liveFacetAt(const void* pointer) const;
    // Makes facet the newest of its interface; the one it replaces leaves the chain.
    void rememberFacet(FacetBase* facet);
    // A facet for interface iid that the object holds as a member and has not handed out
    // yet; null when it holds none (the account then makes one). An object that answers
    // for millions (an event) keeps its first facets this way, without an allocation each.
    virtual FacetBase* unusedMemberFacet(const Host::FUID& iid);
    // True while the plug-in holds a reference to any of the object's facets (or the host
    // lends one of them).
    bool heldByPlugIn() const;
    // Called when the plug-in has released its last reference to the object. The object
    // stays, so that a late call is recorded as a misuse rather than crashing; one that
    // holds what the operating system or a library counts (an open file, a converter's
    // state, large buffers) gives it back here. Nothing by default.
    virtual void lastReferenceReleased() {}

private:
    ReferenceHost& host_;
    FacetBase* facets_ = nullptr;  // chain of the newest facet per interface
};

// The reference count and the common checks of a facet.
class FacetBase {
public:
    // Texts from the plug-in longer than this are taken as missing their terminator.
    static constexpr std::size_t kMaxText = 1 << 16;

    explicit FacetBase(Object& object) : object_(object) {}
    virtual ~FacetBase() = default;
    FacetBase(const FacetBase&) = delete;
    FacetBase& operator=(const FacetBase&) = delete;

    // The facet as the interface pointer handed out.
    virtual Host::FUnknown* unknown() = 0;

    Object& object() const { return object_; }
    // The type the account registered the facet as; only valid once registered.
    const FacetType& type() const;
    // True once the account has registered the facet (it has been handed out or lent).
    bool registered() const { return serial_ != 0; }
    // The order in which the account registered the facets: 1 for the first.
    Host::uint32 serial() const { return serial_; }
    // References the plug-in holds.
    Host::uint32 count() const { return count_; }
    // Releases beyond the last reference.
    Host::uint32 overReleases() const { return overReleases_; }
    // True once the plug-in released its last reference to a facet the host does not hold:
    // every later call is a misuse.
    bool released() const { return released_; }
    // The host lends this facet (a borrowed argument): it stays valid at count 0.
    bool lent() const { return lent_; }
    void setLent() { lent_ = true; }

    // Adds one reference for a hand-out to the plug-in.
    void handOut() { ++count_; }
    // Takes back one reference without a call from the plug-in (IFileAccess::close).
    void takeBack();
    // "IParamNode of node "Sends"", for findings.
    std::string describe() const;

protected:
    // The FUnknown operations common to every facet.
    Host::tresult query(const Host::FUID& iid, void** obj);
    Host::uint32 addReference();
    Host::uint32 releaseReference();
    // True when the facet may be used; records the misuse otherwise. operation names the
    // call, such as "setPath". Every operation starts with a HostCall, which asks this.
    bool usable(const char* operation);
    // Records a misuse of operation on this facet.
    void misuse(const char* operation, const std::string& what);
    Account& account() const;
    ReferenceHost& host() const;

    // The object behind an interface pointer that the plug-in passed to operation as the
    // argument `what`. A null pointer, one the host never handed out, a released one, or
    // (when expected is given) a pointer of another interface is a misuse and gives null.
    // likely is the object the call expects, when it knows one: the pointer is compared
    // with that object's live facets before the account looks it up.
    Object* argument(const char* operation, const void* pointer, const char* what,
                     const Host::FUID* expected = nullptr, const Object* likely = nullptr);
    // The project and edit context arguments of a change: a misuse unless project is the
    // host's project and edit, when given, its edit context.
    bool projectArguments(const char* operation, const void* project, const void* edit);
    // The edit context argument of a change (not null): a misuse unless it is the host's.
    bool editArgument(const char* operation, const void* edit);
    // A zero-terminated text from the plug-in; false (and a misuse) for a null pointer or
    // a text without a terminator within kMaxText units.
    bool text(const char* operation, const Host::char16* in, const char* what,
              std::u16string& out);
    bool text(const char* operation, const Host::char8* in, const char* what, std::string& out);
    // Copies a text into the plug-in's buffer of size units, cut and zero-terminated; a null
    // buffer or a size below 1 is a misuse.
    Host::tresult copyOut(const char* operation, std::u16string_view from, Host::char16* buffer,
                          Host::int32 size);
    Host::tresult copyOut(const char* operation, std::string_view from, Host::char8* buffer,
                          Host::int32 size);
    // An out pointer the plug-in must give: a misuse when null.
    bool outPointer(const char* operation, const void* out);

private:
    friend class Object;
    friend class Account;
    friend class HostCall;

    // Marks the facet released after its last reference; tells the object when it was the
    // last facet the plug-in held.
    void becomeReleased();

    // Kept small: a note in the host has two facets, and a project can hold millions.
    Object& object_;
    FacetBase* nextOfObject_ = nullptr;  // the object's chain (Object::facets_)
    Host::uint32 count_ = 0;
    Host::uint32 overReleases_ = 0;
    Host::uint32 serial_ = 0;  // set by the account when it registers the facet
    std::uint16_t typeIndex_ = 0;
    bool released_ = false;
    bool lent_ = false;
};

// A facet that implements interface I over an object of type O. Base is FacetBase, or a
// class derived from it with checks that several facets share.
template <class I, class O, class Base = FacetBase>
class Facet : public I, public Base {
public:
    explicit Facet(Object& object) : Base(object) {}

    Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override {
        return this->query(interfaceId, obj);
    }
    Host::uint32 addRef() override { return this->addReference(); }
    Host::uint32 release() override { return this->releaseReference(); }
    Host::FUnknown* unknown() override { return static_cast<I*>(this); }

protected:
    O& self() const { return static_cast<O&>(this->object()); }
};

// The FacetType of facet class F (derived from Facet<I, O>) for objects that pass accepts.
template <class F, class I>
constexpr FacetType facetType(const char* name, bool (*accepts)(Object&)) {
    return FacetType{I::iid, name, accepts,
                     [](Object& object) -> std::unique_ptr<FacetBase> {
                         return std::make_unique<F>(object);
                     }};
}

}  // namespace RefHost
