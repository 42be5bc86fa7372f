// The reference count of the module's own objects (the plug-in factory, the filter), in
// one place. Everything runs on the host's calling thread; only the count itself changes
// atomically, as the host may add and drop references from elsewhere.
#pragma once

#include <atomic>
#include <limits>

#include "interfaces/funknown.h"

namespace Tessaro {

// A count that starts at 1 (the creator's reference) and never wraps: dropping at 0 stays
// at 0 and reports it, adding at the largest value stays there. Either is a caller's
// fault; the count refuses it rather than turning it into a huge count or a second
// destruction.
class RefCount {
public:
    static constexpr Host::uint32 kLargest = std::numeric_limits<Host::uint32>::max();

    // Adds one; returns the new count (kLargest stays kLargest).
    Host::uint32 add() {
        Host::uint32 count = count_.load();
        do {
            if (count == kLargest) return count;
        } while (!count_.compare_exchange_weak(count, count + 1));
        return count + 1;
    }
    // What a drop did: the new count, and whether it took the last reference.
    struct Dropped {
        Host::uint32 count;
        bool last;
    };
    // Drops one. A drop at 0 changes nothing and is not the last: the last went before.
    Dropped drop() {
        Host::uint32 count = count_.load();
        do {
            if (count == 0) return {0, false};
        } while (!count_.compare_exchange_weak(count, count - 1));
        return {count - 1, count == 1};
    }
    Host::uint32 value() const { return count_.load(); }

private:
    std::atomic<Host::uint32> count_{1};
};

// The FUnknown reference counting of a module class: Interface is the class's interface
// (FUnknown or one derived from it). The object deletes itself when its last reference
// goes; a release beyond that changes nothing.
template <class Interface>
class RefCounted : public Interface {
public:
    Host::uint32 addRef() override { return count_.add(); }
    Host::uint32 release() override {
        const RefCount::Dropped dropped = dropReference();
        if (dropped.last) delete this;
        return dropped.count;
    }
    Host::uint32 refCount() const { return count_.value(); }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    // Drops one reference without destroying anything: for a class whose last release must
    // do more than delete (the factory also lets go of its process-wide pointer).
    RefCount::Dropped dropReference() { return count_.drop(); }

private:
    RefCount count_;
};

}  // namespace Tessaro
