#include "refhost/facet.h"

#include "refhost/account.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"
#include "base/text.h"

namespace RefHost {

// --- Object --------------------------------------------------------------------------

FacetBase* Object::lastFacet(const Host::FUID& iid) const {
    for (FacetBase* facet = facets_; facet; facet = facet->nextOfObject_)
        if (facet->type().iid == iid) return facet;
    return nullptr;
}

FacetBase* Object::liveFacetAt(const void* pointer) const {
    for (FacetBase* facet = facets_; facet; facet = facet->nextOfObject_)
        if (facet->unknown() == pointer) return facet->released() ? nullptr : facet;
    return nullptr;
}

void Object::rememberFacet(FacetBase* facet) {
    for (FacetBase** link = &facets_; *link; link = &(*link)->nextOfObject_) {
        if ((*link)->type().iid == facet->type().iid) {
            *link = (*link)->nextOfObject_;
            break;
        }
    }
    facet->nextOfObject_ = facets_;
    facets_ = facet;
}

FacetBase* Object::unusedMemberFacet(const Host::FUID&) { return nullptr; }

bool Object::heldByPlugIn() const {
    // Only the newest facet of an interface can be held: an older one was replaced after
    // its last release.
    for (const FacetBase* facet = facets_; facet; facet = facet->nextOfObject_)
        if (!facet->released()) return true;
    return false;
}

// --- FacetBase -----------------------------------------------------------------------

const FacetType& FacetBase::type() const { return allFacetTypes()[typeIndex_]; }

Account& FacetBase::account() const { return object_.host().account(); }

ReferenceHost& FacetBase::host() const { return object_.host(); }

Object* FacetBase::argument(const char* operation, const void* pointer, const char* what,
                            const Host::FUID* expected, const Object* likely) {
    // Most calls pass what they are expected to pass: that costs a comparison, not a look-up.
    if (likely && pointer) {
        const FacetBase* facet = likely->liveFacetAt(pointer);
        if (facet && (!expected || facet->type().iid == *expected)) return &facet->object();
    }
    if (!pointer) {
        misuse(operation, std::string("null ") + what);
        return nullptr;
    }
    FacetBase* facet = account().find(pointer);
    if (!facet) {
        misuse(operation, std::string(what) + " is not an object of this host");
        return nullptr;
    }
    if (facet->released()) {
        misuse(operation, std::string(what) + " was released: " + facet->describe());
        return nullptr;
    }
    if (expected && facet->type().iid != *expected) {
        misuse(operation, std::string(what) + " is the wrong interface: " + facet->describe());
        return nullptr;
    }
    return &facet->object();
}

bool FacetBase::projectArguments(const char* operation, const void* project, const void* edit) {
    Object* p = argument(operation, project, "project", &Host::IProject::iid,
                         &host().document().project);
    if (!p) return false;
    if (p != &host().document().project) {
        misuse(operation, "the project argument is not the host's project");
        return false;
    }
    return !edit || editArgument(operation, edit);
}

bool FacetBase::editArgument(const char* operation, const void* edit) {
    return argument(operation, edit, "edit context", &Host::IEditContext::iid,
                    &host().contextObject()) != nullptr;
}

template <class C>
static bool readText(const C* in, std::basic_string<C>& out) {
    std::size_t n = 0;
    while (n < FacetBase::kMaxText && in[n] != 0) ++n;
    if (n == FacetBase::kMaxText) return false;
    out.assign(in, n);
    return true;
}

bool FacetBase::text(const char* operation, const Host::char16* in, const char* what,
                     std::u16string& out) {
    if (!in) {
        misuse(operation, std::string("null ") + what);
        return false;
    }
    if (!readText(in, out)) {
        misuse(operation, std::string(what) + " has no terminator");
        return false;
    }
    return true;
}

bool FacetBase::text(const char* operation, const Host::char8* in, const char* what,
                     std::string& out) {
    if (!in) {
        misuse(operation, std::string("null ") + what);
        return false;
    }
    if (!readText(in, out)) {
        misuse(operation, std::string(what) + " has no terminator");
        return false;
    }
    return true;
}

Host::tresult FacetBase::copyOut(const char* operation, std::u16string_view from,
                                 Host::char16* buffer, Host::int32 size) {
    if (!buffer || size < 1) {
        misuse(operation, "null buffer or a size below 1");
        return Host::kInvalidArgument;
    }
    Tessaro::copyToBuffer(from, buffer, size);
    return Host::kResultOk;
}

Host::tresult FacetBase::copyOut(const char* operation, std::string_view from,
                                 Host::char8* buffer, Host::int32 size) {
    if (!buffer || size < 1) {
        misuse(operation, "null buffer or a size below 1");
        return Host::kInvalidArgument;
    }
    Tessaro::copyToBuffer(from, buffer, size);
    return Host::kResultOk;
}

bool FacetBase::outPointer(const char* operation, const void* out) {
    if (out) return true;
    misuse(operation, "null out pointer");
    return false;
}

std::string FacetBase::describe() const {
    return std::string(type().name) + " of " + object_.describe();
}

void FacetBase::misuse(const char* operation, const std::string& what) {
    account().recordMisuse(std::string(type().name) + "::" + operation + " on " +
                           object_.describe() + ": " + what);
}

bool FacetBase::usable(const char* operation) {
    if (!released_) return true;
    misuse(operation, "called after the last reference was released");
    return false;
}

Host::tresult FacetBase::query(const Host::FUID& iid, void** obj) {
    if (!obj) {
        misuse("queryInterface", "null out pointer");
        return Host::kInvalidArgument;
    }
    *obj = nullptr;
    const HostCall call(*this, "queryInterface", FaultKind::MissingInterface);
    if (!call) return Host::kNoInterface;
    FacetBase* facet = account().acquire(object_, iid);
    if (!facet) return Host::kNoInterface;
    *obj = facet->unknown();
    return Host::kResultOk;
}

Host::uint32 FacetBase::addReference() {
    const HostSide side(*this, "addRef");
    if (!usable("addRef")) return 0;
    return ++count_;
}

Host::uint32 FacetBase::releaseReference() {
    const HostSide side(*this, "release");
    if (released_ || count_ == 0) {
        ++overReleases_;
        misuse("release", released_ ? "released again after its last reference"
                                    : "released without a reference to it");
        return 0;
    }
    if (--count_ == 0 && !lent_) becomeReleased();
    return count_;
}

void FacetBase::takeBack() {
    if (released_ || count_ == 0) {
        ++overReleases_;
        account().recordMisuse(describe() + ": taken back by the host after its last release");
        return;
    }
    if (--count_ == 0 && !lent_) becomeReleased();
}

void FacetBase::becomeReleased() {
    released_ = true;
    if (!object_.heldByPlugIn()) object_.lastReferenceReleased();
}

}  // namespace RefHost
