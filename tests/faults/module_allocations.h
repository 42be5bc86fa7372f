// The plug-in's allocations, as this test program sees them through its own operator new
// and delete (all their forms): counted while a host's fault plan says the plug-in's code
// runs (refhost/fault_plan.h: the host marks each call into the module, and each call of
// the module back into the host), so the host's own allocations are neither counted nor
// failed. The count can be told to fail at its nth allocation, as a machine out of memory
// would: the throwing forms throw std::bad_alloc, the nothrow forms give null.
//
// Every block carries a small header that says whether the plug-in's code allocated it, so
// the plug-in's blocks still alive tell what an import left behind.
#pragma once

#include <cstdint>

#include "refhost/fault_plan.h"

namespace TessaroFaults {

class ModuleAllocations {
public:
    // Counts, on this thread, the allocations made while plan says the module runs; the
    // failAt-th of them fails (0: none fails). plan must outlive the watch.
    static void watch(const RefHost::FaultPlan& plan, std::uint64_t failAt = 0);
    static void stop();

    // The module's allocations counted since the last watch.
    static std::uint64_t count();
    // True when the allocation to fail was reached (and failed) since the last watch.
    static bool failed();
    // The blocks allocated while a watch counted them as the module's and not freed since.
    static std::int64_t alive();
};

// Watches while it lives.
class AllocationWatch {
public:
    AllocationWatch(const RefHost::FaultPlan& plan, std::uint64_t failAt) {
        ModuleAllocations::watch(plan, failAt);
    }
    ~AllocationWatch() { ModuleAllocations::stop(); }
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;
};

}  // namespace TessaroFaults
