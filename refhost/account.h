// The account of references: every facet handed to the plug-in, its count, the releases
// beyond the last reference and the calls that broke the interface contract. The account
// owns the facets it makes in an ordinary map, by the interface pointer the plug-in sees;
// with the keeper of the events' facets it tells whether a pointer the plug-in passes is
// one of the host's facets.
// Everything runs on the host's calling thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "refhost/facet.h"

namespace RefHost {

struct HeldReference {
    std::string facet;  // "ITrack of track \"Piano\""
    Host::uint32 count = 0;
};

struct OverRelease {
    std::string facet;
    Host::uint32 times = 0;
};

// What the account found: references the plug-in still holds, releases too many, misuses.
struct Findings {
    Host::uint32 held = 0;          // references the plug-in still holds, summed
    Host::uint32 overReleased = 0;  // releases beyond the last reference, summed
    std::vector<HeldReference> heldDetails;      // in the order the facets were made
    std::vector<OverRelease> overReleaseDetails;
    std::vector<std::string> misuses;  // the first ones, in order
    std::size_t misuseCount = 0;       // all of them

    bool clean() const { return held == 0 && overReleased == 0 && misuseCount == 0; }
    // The first misuse, or an empty text.
    std::string firstMisuse() const { return misuses.empty() ? std::string() : misuses.front(); }
};

// Facets that objects hold as members (the events' facets, in the host's pool of events):
// the account registers them but does not own or list them; it asks their keeper.
class MemberFacets {
public:
    // The registered member facet whose interface pointer is pointer, or null.
    virtual FacetBase* facetAt(const void* pointer) const = 0;
    // Calls visit with every registered member facet.
    virtual void forEachRegistered(const std::function<void(const FacetBase&)>& visit) const = 0;

protected:
    ~MemberFacets() = default;
};

// The account's facets by their interface pointer: a table of open addressing. A project of
// thousands of tracks hands out hundreds of thousands of facets; a map of nodes costs an
// allocation and a cache miss or two for each, and it grew slower per facet as it grew.
class FacetIndex {
public:
    // Adds facet under pointer; false when pointer is taken already.
    bool add(const void* pointer, FacetBase* facet);
    // The facet under pointer, or null.
    FacetBase* find(const void* pointer) const;

private:
    struct Slot {
        const void* pointer = nullptr;
        FacetBase* facet = nullptr;
    };
    std::size_t firstSlot(const void* pointer) const;
    void grow();

    std::vector<Slot> slots_;  // a power of two of them, at most half taken
    std::size_t taken_ = 0;
    int shift_ = 64;  // 64 minus the bits of the slot count
};

class Account {
public:
    // Misuses kept word for word; later ones are only counted.
    static constexpr std::size_t kMaxMisuses = 100;

    // members keeps the facets that objects hold as members; it outlives every call.
    explicit Account(const MemberFacets& members);
    ~Account();
    Account(const Account&) = delete;
    Account& operator=(const Account&) = delete;

    // True when object answers interface iid (FUnknown: any interface at all).
    bool answers(Object& object, const Host::FUID& iid) const;
    // The object's facet for iid with one new reference for the plug-in; null when the
    // object does not answer iid. A facet that is still alive is handed out again; a
    // released one is replaced by a new facet.
    FacetBase* acquire(Object& object, const Host::FUID& iid);
    // acquire, written to an out parameter: kResultOk, or kNoInterface and null. What a
    // facet hands out from a call; a fault plan of the host may make it a null object
    // (kResultOk and null).
    Host::tresult handOut(Object& object, const Host::FUID& iid, void** out);
    // The object's facet for iid lent to the plug-in as a borrowed argument: no reference
    // is added and the facet stays usable while the host lives. Null when not answered.
    Host::FUnknown* lend(Object& object, const Host::FUID& iid);

    // The facet behind a pointer that the plug-in handed back; null for a pointer the host
    // never handed out (a pointer into a facet included).
    FacetBase* find(const void* pointer) const;

    void recordMisuse(std::string text);
    // Held references and releases too many in the order the facets were registered.
    Findings findings() const;

private:
    const FacetType* typeFor(Object& object, const Host::FUID& iid) const;
    FacetBase* facetFor(Object& object, const Host::FUID& iid);
    // Gives a facet that is about to be handed out or lent for the first time its type and
    // its place in the order of registration.
    void registerFacet(FacetBase& facet, const FacetType& type);

    const MemberFacets& members_;
    // The facets the account made, in the order made (which is the order registered), and
    // by their interface pointer.
    std::vector<std::unique_ptr<FacetBase>> owned_;
    FacetIndex index_;
    Host::uint32 registered_ = 0;
    std::vector<std::string> misuses_;
    std::size_t misuseCount_ = 0;
};

}  // namespace RefHost
