#include "refhost/account.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

// --- Account -------------------------------------------------------------------------

Account::Account(const MemberFacets& members) : members_(members) {}

Account::~Account() = default;

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
        const auto [at, added] = owned_.emplace(facet->unknown(), std::move(made));
        if (!added) throw std::logic_error(std::string("facet ") + type->name + " shares its pointer");
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
    const auto it = owned_.find(pointer);
    return it != owned_.end() ? it->second.get() : members_.facetAt(pointer);
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
    for (const auto& [pointer, facet] : owned_) note(*facet);
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
