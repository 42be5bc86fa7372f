// IPtr: the one owner of a host or module interface reference. It releases exactly once.
#pragma once

#include <utility>

#include "interfaces/funknown.h"

namespace Tessaro {

template <class I>
class IPtr {
public:
    IPtr() = default;
    IPtr(std::nullptr_t) {}
    IPtr(const IPtr& other) : ptr_(other.ptr_) {
        if (ptr_) ptr_->addRef();
    }
    IPtr(IPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~IPtr() { reset(); }

    IPtr& operator=(IPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Takes over a reference the caller already owns (one handed out by the host).
    static IPtr adopt(I* p) {
        IPtr r;
        r.ptr_ = p;
        return r;
    }
    // Adds a reference of its own to a borrowed pointer.
    static IPtr share(I* p) {
        if (p) p->addRef();
        return adopt(p);
    }

    void reset() {
        if (ptr_) std::exchange(ptr_, nullptr)->release();
    }
    // Gives up ownership without releasing.
    I* detach() { return std::exchange(ptr_, nullptr); }

    // For out parameters: releases what is held and hands the slot to fill.
    I** put() {
        reset();
        return &ptr_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    I* get() const { return ptr_; }
    I* operator->() const { return ptr_; }
    I& operator*() const { return *ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    I* ptr_ = nullptr;
};

// Asks obj for interface I; empty when obj is null or lacks it.
template <class I>
IPtr<I> queryTo(Host::FUnknown* obj) {
    IPtr<I> r;
    if (obj && obj->queryInterface(I::iid, r.putVoid()) != Host::kResultOk) r.reset();
    return r;
}

template <class I, class J>
IPtr<I> queryTo(const IPtr<J>& obj) {
    return queryTo<I>(obj.get());
}

}  // namespace Tessaro
