// The account of references: every facet handed to the plug-in, its count, the releases
// beyond the last reference and the calls that broke the interface contract.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Where the account keeps its facets: blocks of memory that are never freed before the
// account is destroyed, with one byte per 16-byte unit telling which facet type starts
// there. It answers whether a pointer from the plug-in is one of the host's facets without
// an index entry per facet, which keeps a note's facets as small as the facets themselves.
class FacetStore {
public:
    static constexpr std::size_t kUnit = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    FacetStore() = default;
    FacetStore(const FacetStore&) = delete;
    FacetStore& operator=(const FacetStore&) = delete;

    // A new facet of type over object (accepts was true), built in the store. Nothing is
    // marked unless the facet was built.
    FacetBase* build(const FacetType& type, Object& object);
    // The facet that starts at pointer, or null when none does.
    FacetBase* facetAt(const void* pointer) const;
    // Calls visit with every facet in the order allocated.
    template <class Visit>
    void forEach(Visit visit) const {
        for (const Block* block : made_)
            for (std::size_t at = 0; at < block->used; at += kUnit)
                if (const std::uint8_t mark = block->starts[at / kUnit])
                    visit(*facetOf(*block, at, mark));
    }

private:
    struct Block {
        std::unique_ptr<std::byte[]> memory;     // aligned for any fundamental type
        std::uintptr_t begin = 0;                // its address, for comparisons
        std::unique_ptr<std::uint8_t[]> starts;  // facet type index + 1 per unit, 0: none
        std::size_t used = 0;                    // bytes
    };
    Block* blockOf(std::uintptr_t address) const;
    // A block with room for size bytes, made when the current one is full.
    Block& blockFor(std::size_t size);
    static FacetBase* facetOf(const Block& block, std::size_t offset, std::uint8_t mark);

    std::vector<std::unique_ptr<Block>> blocks_;  // in address order
    std::vector<Block*> made_;                    // in the order made
    Block* current_ = nullptr;                    // the block facets go into
};

class Account {
public:
    // Misuses kept word for word; later ones are only counted.
    static constexpr std::size_t kMaxMisuses = 100;

    Account();
    ~Account();
    Account(const Account&) = delete;
    Account& operator=(const Account&) = delete;

    // True when object answers interface iid (FUnknown: any interface at all).
    bool answers(Object& object, const Host::FUID& iid) const;
    // The object's facet for iid with one new reference for the plug-in; null when the
    // object does not answer iid. A facet that is still alive is handed out again; a
    // released one is replaced by a new facet.
    FacetBase* acquire(Object& object, const Host::FUID& iid);
    // acquire, written to an out parameter: kResultOk, or kNoInterface and null.
    Host::tresult handOut(Object& object, const Host::FUID& iid, void** out);
    // The object's facet for iid lent to the plug-in as a borrowed argument: no reference
    // is added and the facet stays usable while the host lives. Null when not answered.
    Host::FUnknown* lend(Object& object, const Host::FUID& iid);

    // The facet behind a pointer that the plug-in handed back; null for a pointer the host
    // never handed out.
    FacetBase* find(const void* pointer) const;

    void recordMisuse(std::string text);
    Findings findings() const;

private:
    const FacetType* typeFor(Object& object, const Host::FUID& iid) const;
    FacetBase* facetFor(Object& object, const Host::FUID& iid);

    FacetStore store_;  // every facet made
    std::vector<std::string> misuses_;
    std::size_t misuseCount_ = 0;
};

}  // namespace RefHost
