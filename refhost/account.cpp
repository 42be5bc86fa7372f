#include "refhost/account.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "refhost/facets.h"

namespace RefHost {

// --- FacetStore ----------------------------------------------------------------------

static_assert(alignof(std::max_align_t) <= FacetStore::kUnit,
              "facets start on units: a unit must align any facet");

FacetStore::Block& FacetStore::blockFor(std::size_t size) {
    if (current_ && current_->used + size <= kBlockSize) return *current_;
    // Room in both lists first, so that nothing below can fail once the block is listed.
    blocks_.reserve(blocks_.size() + 1);
    made_.reserve(made_.size() + 1);
    auto block = std::make_unique<Block>();
    block->memory.reset(new std::byte[kBlockSize]);  // not cleared: only the marks need to be
    block->starts = std::make_unique<std::uint8_t[]>(kBlockSize / kUnit);
    block->begin = reinterpret_cast<std::uintptr_t>(block->memory.get());
    Block* made = block.get();
    const auto at = std::upper_bound(
        blocks_.begin(), blocks_.end(), made->begin,
        [](std::uintptr_t address, const auto& b) { return address < b->begin; });
    blocks_.insert(at, std::move(block));
    made_.push_back(made);
    current_ = made;
    return *made;
}

FacetBase* FacetStore::build(const FacetType& type, Object& object) {
    const std::size_t size = (type.size + kUnit - 1) / kUnit * kUnit;
    const auto& all = allFacetTypes();
    if (type.index >= all.size() || &all[type.index] != &type)
        throw std::logic_error(std::string("facet ") + type.name + " is not a registered type");
    if (type.align > kUnit || size > kBlockSize)
        throw std::logic_error(std::string("facet ") + type.name + " does not fit the store");
    Block& block = blockFor(size);
    void* memory = block.memory.get() + block.used;
    FacetBase* facet = type.make(memory, object, type);
    // The plug-in sees the interface pointer; the store finds the facet by its start.
    if (facet->unknown() != memory) {
        facet->~FacetBase();
        throw std::logic_error(std::string("facet ") + type.name + " does not start with its interface");
    }
    block.starts[block.used / kUnit] = static_cast<std::uint8_t>(type.index + 1);
    block.used += size;
    return facet;
}

FacetStore::Block* FacetStore::blockOf(std::uintptr_t address) const {
    if (current_ && address - current_->begin < kBlockSize) return current_;
    auto at = std::upper_bound(
        blocks_.begin(), blocks_.end(), address,
        [](std::uintptr_t a, const auto& b) { return a < b->begin; });
    if (at == blocks_.begin()) return nullptr;
    Block* block = (--at)->get();
    return address - block->begin < kBlockSize ? block : nullptr;
}

FacetBase* FacetStore::facetAt(const void* pointer) const {
    const auto address = reinterpret_cast<std::uintptr_t>(pointer);
    const Block* block = blockOf(address);
    if (!block) return nullptr;
    const std::uintptr_t offset = address - block->begin;
    if (offset % kUnit != 0 || offset >= block->used) return nullptr;
    const std::uint8_t mark = block->starts[offset / kUnit];
    return mark == 0 ? nullptr : facetOf(*block, offset, mark);
}

FacetBase* FacetStore::facetOf(const Block& block, std::size_t offset, std::uint8_t mark) {
    return allFacetTypes()[mark - 1u].at(block.memory.get() + offset);
}

// --- Account -------------------------------------------------------------------------

Account::Account() = default;

Account::~Account() {
    store_.forEach([](FacetBase& facet) { facet.~FacetBase(); });
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
    facet = store_.build(*type, object);
    object.rememberFacet(facet);
    return facet;
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
    return store_.facetAt(pointer);
}

void Account::recordMisuse(std::string text) {
    ++misuseCount_;
    if (misuses_.size() < kMaxMisuses) misuses_.push_back(std::move(text));
}

Findings Account::findings() const {
    Findings found;
    store_.forEach([&found](const FacetBase& facet) {
        if (facet.count() > 0) {
            found.held += facet.count();
            found.heldDetails.push_back({facet.describe(), facet.count()});
        }
        if (facet.overReleases() > 0) {
            found.overReleased += facet.overReleases();
            found.overReleaseDetails.push_back({facet.describe(), facet.overReleases()});
        }
    });
    found.misuses = misuses_;
    found.misuseCount = misuseCount_;
    return found;
}

}  // namespace RefHost
