// The program's own operator new and delete (tests/support/global_new.h): malloc and free,
// with every block's usable size counted in and out.
#include "tests/hostile/allocation_meter.h"

#include "tests/support/global_new.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace TessaroHostile {

namespace {

std::atomic<std::size_t> gAlive{0};
std::atomic<std::size_t> gPeak{0};
std::atomic<std::size_t> gBase{0};

void* take(std::size_t size, std::size_t alignment) {
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size);
    if (!p) return nullptr;
    const std::size_t now = gAlive += malloc_usable_size(p);
    std::size_t peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void give(void* p) {
    if (!p) return;
    gAlive -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

void AllocationMeter::reset() {
    gBase = gAlive.load();
    gPeak = gAlive.load();
}

std::size_t AllocationMeter::peakSinceReset() {
    const std::size_t peak = gPeak.load();
    const std::size_t base = gBase.load();
    return peak > base ? peak - base : 0;
}

std::size_t AllocationMeter::alive() { return gAlive.load(); }

}  // namespace TessaroHostile

void* TessaroTestAllocation::take(std::size_t size, std::size_t alignment) noexcept {
    return TessaroHostile::take(size, alignment);
}
void TessaroTestAllocation::give(void* block) noexcept { TessaroHostile::give(block); }
