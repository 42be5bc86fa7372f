#include "refhost/fault_plan.h"

#include <string_view>

#include "refhost/facet.h"
#include "refhost/reference_host.h"

namespace RefHost {

const char* faultKindName(FaultKind kind) {
    switch (kind) {
    case FaultKind::MissingInterface: return "missing interface";
    case FaultKind::NullObject: return "null object";
    case FaultKind::ErrorResult: return "error result";
    }
    return "?";
}

bool FaultPlan::strikes(FaultKind kind) {
    // Only a call of the plug-in into the host can fail.
    if (!state_.facet) return false;
    const FacetBase& facet = *state_.facet;
    const std::uint64_t n = ++counts_[static_cast<std::size_t>(kind)];
    if (kind != kind_) return false;
    if (operation_.empty()) {
        if (n != nth_) return false;
    } else {
        // "Interface::operation", compared in pieces.
        const std::string_view interface = facet.type().name;
        const std::string_view operation = state_.operation;
        const std::string_view named = operation_;
        if (named.size() != interface.size() + 2 + operation.size() ||
            !named.starts_with(interface) || !named.ends_with(operation) ||
            named.substr(interface.size(), 2) != "::")
            return false;
    }
    if (struck_.empty()) {
        struck_ = std::string(facet.type().name) + "::" + state_.operation + " on " +
                  facet.object().describe();
        struckAfterRead_ = !facet.object().host().records().editSteps.empty();
    }
    return true;
}

}  // namespace RefHost
