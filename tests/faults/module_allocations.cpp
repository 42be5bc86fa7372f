// The program's own operator new and delete (tests/support/global_new.h): malloc and free
// behind a header that marks the plug-in's blocks, with the plug-in's allocations counted
// and one of them failed.
#include "tests/faults/module_allocations.h"

#include "tests/support/global_new.h"

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

void* TessaroTestAllocation::take(std::size_t size, std::size_t alignment) noexcept {
    return TessaroFaults::take(size, alignment);
}
void TessaroTestAllocation::give(void* block) noexcept { TessaroFaults::give(block); }
