// The global operator new and delete, in every form, of a test program that watches its
// allocations: all of them go through two functions the program defines once, take (a
// block of size bytes at alignment, 0 for the default; null when there is none) and give
// (a block take gave, or null). Included by exactly one source of such a program.
#pragma once

#include <cstddef>
#include <new>

namespace TessaroTestAllocation {

void* take(std::size_t size, std::size_t alignment) noexcept;
void give(void* block) noexcept;

inline void* takeOrThrow(std::size_t size, std::size_t alignment) {
    if (void* block = take(size, alignment)) return block;
    throw std::bad_alloc();
}

}  // namespace TessaroTestAllocation

void* operator new(std::size_t size) { return TessaroTestAllocation::takeOrThrow(size, 0); }
void* operator new[](std::size_t size) { return TessaroTestAllocation::takeOrThrow(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) {
    return TessaroTestAllocation::takeOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return TessaroTestAllocation::takeOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return TessaroTestAllocation::take(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return TessaroTestAllocation::take(size, 0);
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return TessaroTestAllocation::take(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return TessaroTestAllocation::take(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { TessaroTestAllocation::give(p); }
void operator delete[](void* p) noexcept { TessaroTestAllocation::give(p); }
void operator delete(void* p, std::size_t) noexcept { TessaroTestAllocation::give(p); }
void operator delete[](void* p, std::size_t) noexcept { TessaroTestAllocation::give(p); }
void operator delete(void* p, std::align_val_t) noexcept { TessaroTestAllocation::give(p); }
void operator delete[](void* p, std::align_val_t) noexcept { TessaroTestAllocation::give(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    TessaroTestAllocation::give(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    TessaroTestAllocation::give(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { TessaroTestAllocation::give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { TessaroTestAllocation::give(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    TessaroTestAllocation::give(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    TessaroTestAllocation::give(p);
}
