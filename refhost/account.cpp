#include "refhost/account.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "refhost/facets.h"

namespace RefHost {

// --- Account -------------------------------------------------------------------------

Account::Account() = default;

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
    if (facet) {
        registerFacet(*facet, *type);
    } else {
        auto made = type->make(object);
        facet = made.get();
        owned_.push_back(std::move(made));
        try {
            registerFacet(*facet, *type);
        } catch (...) {
            owned_.pop_back();
            throw;
        }
    }
    object.rememberFacet(facet);
    return facet;
}

void Account::registerFacet(FacetBase& facet, const FacetType& type) {
    if (facet.registered()) throw std::logic_error(std::string("facet ") + type.name + " registered twice");
    if (!byPointer_.emplace(facet.unknown(), &facet).second)
        throw std::logic_error(std::string("facet ") + type.name + " shares its pointer");
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
    const auto it = byPointer_.find(pointer);
    return it == byPointer_.end() ? nullptr : it->second;
}

void Account::recordMisuse(std::string text) {
    ++misuseCount_;
    if (misuses_.size() < kMaxMisuses) misuses_.push_back(std::move(text));
}

Findings Account::findings() const {
    std::vector<const FacetBase*> notable;
    for (const auto& [pointer, facet] : byPointer_)
        if (facet->count() > 0 || facet->overReleases() > 0) notable.push_back(facet);
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
