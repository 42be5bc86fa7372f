// The program's own operator new and delete: malloc and free behind a header that marks
// the plug-in's blocks, with the plug-in's allocations counted and one of them failed.
#include "tests/faults/module_allocations.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace TessaroFaults {

namespace {

// Before every block: the start of what malloc gave, and whether the plug-in allocated it.
struct alignas(std::max_align_t) Header {
    void* base;
    bool module;
};

thread_local const RefHost::FaultPlan* tPlan = nullptr;  // null: not watching
thread_local std::uint64_t tFailAt = 0;
thread_local std::uint64_t tCount = 0;
thread_local bool tFailed = false;
std::atomic<std::int64_t> gAlive{0};

// True when this allocation is the module's; counts it. Sets fail when it is the one to
// fail.
bool moduleAllocation(bool& fail) {
    fail = false;
    if (!tPlan || tPlan->runner() != RefHost::Runner::Module) return false;
    if (++tCount == tFailAt) {
        tFailed = true;
        fail = true;
    }
    return true;
}

void* take(std::size_t size, std::size_t alignment) {
    bool fail = false;
    const bool module = moduleAllocation(fail);
    if (fail) return nullptr;
    // The header takes a whole alignment unit, so the block keeps its alignment.
    const std::size_t unit = alignment > sizeof(Header) ? alignment : sizeof(Header);
    if (size > SIZE_MAX - 2 * unit) return nullptr;
    void* base = alignment > alignof(std::max_align_t)
                     ? std::aligned_alloc(unit, (size + 2 * unit - 1) / unit * unit)
                     : std::malloc(size + unit);
    if (!base) return nullptr;
    auto* block = static_cast<unsigned char*>(base) + unit;
    auto* header = reinterpret_cast<Header*>(block) - 1;
    header->base = base;
    header->module = module;
    if (module) ++gAlive;
    return block;
}

void give(void* block) {
    if (!block) return;
    const Header* header = static_cast<const Header*>(block) - 1;
    if (header->module) --gAlive;
    std::free(header->base);
}

void* takeOrThrow(std::size_t size, std::size_t alignment) {
    if (void* p = take(size, alignment)) return p;
    throw std::bad_alloc();
}

}  // namespace

void ModuleAllocations::watch(const RefHost::FaultPlan& plan, std::uint64_t failAt) {
    tPlan = &plan;
    tFailAt = failAt;
    tCount = 0;
    tFailed = false;
}

void ModuleAllocations::stop() { tPlan = nullptr; }

std::uint64_t ModuleAllocations::count() { return tCount; }

bool ModuleAllocations::failed() { return tFailed; }

std::int64_t ModuleAllocations::alive() { return gAlive.load(); }

}  // namespace TessaroFaults

using TessaroFaults::give;
using TessaroFaults::take;
using TessaroFaults::takeOrThrow;

void* operator new(std::size_t size) { return takeOrThrow(size, 0); }
void* operator new[](std::size_t size) { return takeOrThrow(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) {
    return takeOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return takeOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return take(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return take(size, 0); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return take(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return take(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { give(p); }
void operator delete[](void* p) noexcept { give(p); }
void operator delete(void* p, std::size_t) noexcept { give(p); }
void operator delete[](void* p, std::size_t) noexcept { give(p); }
void operator delete(void* p, std::align_val_t) noexcept { give(p); }
void operator delete[](void* p, std::align_val_t) noexcept { give(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { give(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { give(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { give(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { give(p); }
