#include "refhost/account.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

// --- FacetIndex ----------------------------------------------------------------------

std::size_t FacetIndex::firstSlot(const void* pointer) const {
    // Fibonacci hashing: the high bits of the address times 2^64 divided by the golden ratio.
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer)) *
         0x9E3779B97F4A7C15ull) >> shift_);
}

bool FacetIndex::add(const void* pointer, FacetBase* facet) {
    if (2 * (taken_ + 1) > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = firstSlot(pointer);; i = (i + 1) & mask) {
        if (slots_[i].pointer == pointer) return false;
        if (!slots_[i].pointer) {
            slots_[i] = {pointer, facet};
            ++taken_;
            return true;
        }
    }
}

FacetBase* FacetIndex::find(const void* pointer) const {
    if (slots_.empty() || !pointer) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = firstSlot(pointer);; i = (i + 1) & mask) {
        if (slots_[i].pointer == pointer) return slots_[i].facet;
        if (!slots_[i].pointer) return nullptr;
    }
}

void FacetIndex::grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : 2 * slots_.size());
    old.swap(slots_);
    shift_ = 64;
    for (std::size_t n = slots_.size(); n > 1; n /= 2) --shift_;
    taken_ = 0;
    for (const Slot& slot : old)
        if (slot.pointer) add(slot.pointer, slot.facet);
}

// --- Account -------------------------------------------------------------------------

Account::Account(const MemberFacets& members) : members_(members) {}

Account::~Account() {
    // Newest first, as the host destroys its objects.
    while (!owned_.empty()) owned_.pop_back();
}

const FacetType* Account::typeFor(Object& object, const Host::FUID& iid) const {
    const bool any = iid == Host::FUnknown::iid;
    for (const FacetType& type : allFacetTypes()) {
        if ((any || type.iid == iid) && type.accepts(object)) return &type;
    }
    return nullptr;
}

bool Account::answers(Object& object, const Host::FUID& iid) const {
    return typeFor(object, iid) != nullptr;
}

FacetBase* Account::facetFor(Object& object, const Host::FUID& iid) {
    const FacetType* type = typeFor(object, iid);
    if (!type) return nullptr;
    FacetBase* facet = object.lastFacet(type->iid);
    if (facet && !facet->released()) return facet;
    facet = object.unusedMemberFacet(type->iid);
    if (!facet) {
        auto made = type->make(object);
        facet = made.get();
        if (!index_.add(facet->unknown(), facet))
            throw std::logic_error(std::string("facet ") + type->name + " shares its pointer");
        owned_.push_back(std::move(made));
    }
    registerFacet(*facet, *type);
    object.rememberFacet(facet);
    return facet;
}

void Account::registerFacet(FacetBase& facet, const FacetType& type) {
    facet.typeIndex_ = type.index;
    facet.serial_ = ++registered_;
}

FacetBase* Account::acquire(Object& object, const Host::FUID& iid) {
    FacetBase* facet = facetFor(object, iid);
    if (facet) facet->handOut();
    return facet;
}

Host::tresult Account::handOut(Object& object, const Host::FUID& iid, void** out) {
    if (!out) return Host::kInvalidArgument;
    if (FaultPlan* plan = object.host().faultPlan(); plan && plan->strikes(FaultKind::NullObject)) {
        *out = nullptr;
        return Host::kResultOk;
    }
    FacetBase* facet = acquire(object, iid);
    *out = facet ? facet->unknown() : nullptr;
    return facet ? Host::kResultOk : Host::kNoInterface;
}

Host::FUnknown* Account::lend(Object& object, const Host::FUID& iid) {
    FacetBase* facet = facetFor(object, iid);
    if (!facet) return nullptr;
    facet->setLent();
    return facet->unknown();
}

FacetBase* Account::find(const void* pointer) const {
    FacetBase* facet = index_.find(pointer);
    return facet ? facet : members_.facetAt(pointer);
}

void Account::recordMisuse(std::string text) {
    ++misuseCount_;
    if (misuses_.size() < kMaxMisuses) misuses_.push_back(std::move(text));
}

Findings Account::findings() const {
    std::vector<const FacetBase*> notable;
    const auto note = [&notable](const FacetBase& facet) {
        if (facet.count() > 0 || facet.overReleases() > 0) notable.push_back(&facet);
    };
    for (const auto& facet : owned_) note(*facet);
    members_.forEachRegistered(note);
    std::sort(notable.begin(), notable.end(),
              [](const FacetBase* a, const FacetBase* b) { return a->serial() < b->serial(); });
    Findings found;
    for (const FacetBase* facet : notable) {
        if (facet->count() > 0) {
            found.held += facet->count();
            found.heldDetails.push_back({facet->describe(), facet->count()});
        }
        if (facet->overReleases() > 0) {
            found.overReleased += facet->overReleases();
            found.overReleaseDetails.push_back({facet->describe(), facet->overReleases()});
        }
    }
    found.misuses = misuses_;
    found.misuseCount = misuseCount_;
    return found;
}

}  // namespace RefHost
