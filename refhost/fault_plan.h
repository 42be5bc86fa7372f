// The fault plan: a host that fails one call of an import, as a real host may (an
// interface it does not offer, a call that hands out no object, an error result, a stream
// that cannot be read or written, a file that cannot be opened), so that a test can walk
// the failure over every call of an import in turn.
//
// A host without a plan (the normal case) fails nothing and pays one test of a null
// pointer per call. A host with a plan counts, for each kind of fault, the calls to which
// that kind applies, and fails the one the plan names. The plan also tells whose code the
// host's thread runs at each moment (the host's own, or the plug-in's, called by the host):
// a test that counts the plug-in's allocations counts only those made while the plug-in's
// code runs.
//
// Everything runs on the host's calling thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "interfaces/ftypes.h"

namespace RefHost {

class FacetBase;

// What a host can do wrong in a call.
enum class FaultKind : std::uint8_t {
    // queryInterface does not find the interface: kNoInterface and null.
    MissingInterface,
    // A call that hands out an object succeeds and hands out none (a null out pointer, a
    // null pointer returned).
    NullObject,
    // The call fails: kResultFalse (a count or value getter its empty answer, an audio
    // source's read -1) and nothing done. A stream that cannot be read or written, a file
    // that cannot be opened, a preset refused are this kind on those calls.
    ErrorResult,
};

inline constexpr std::array<FaultKind, 3> kFaultKinds = {
    FaultKind::MissingInterface, FaultKind::NullObject, FaultKind::ErrorResult};

// "missing interface", "null object", "error result".
const char* faultKindName(FaultKind kind);

// Whose code the host's calling thread runs.
enum class Runner : std::uint8_t { Host, Module };

class FaultPlan {
public:
    // The facet call in progress (the innermost one) and whose code runs.
    struct State {
        const FacetBase* facet = nullptr;
        const char* operation = nullptr;
        Runner runner = Runner::Host;
    };

    // A plan that fails nothing: it counts the calls each kind applies to.
    FaultPlan() = default;
    // A plan that fails the nth call (from 1) to which kind applies.
    FaultPlan(FaultKind kind, std::uint64_t nth) : kind_(kind), nth_(nth) {}
    // A plan that fails every call of one operation, named "IEventList::prepare", to which
    // kind applies.
    FaultPlan(FaultKind kind, std::string operation)
        : kind_(kind), operation_(std::move(operation)) {}

    // Counts the facet call in progress as one to which kind applies; true when the plan
    // fails this one (then struck() describes it). Outside a facet call: false, uncounted.
    bool strikes(FaultKind kind);

    // The calls kind applied to so far.
    std::uint64_t count(FaultKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
    // True once the plan has failed a call.
    bool hasStruck() const { return !struck_.empty(); }
    // The call the plan failed (the first one), such as `IParamNode::findChild on node
    // "Sends"`; empty before.
    const std::string& struck() const { return struck_; }
    // True when the host had finished an edit step before the (first) failed call: the
    // file was read, and the import was completing the project.
    bool struckAfterRead() const { return struckAfterRead_; }

    // Whose code runs now: the host's, but while the host has called the plug-in and the
    // plug-in has not called the host.
    Runner runner() const { return state_.runner; }
    // Makes state the one in effect; returns the one before.
    State switchTo(State state) { return std::exchange(state_, state); }

private:
    FaultKind kind_ = FaultKind::ErrorResult;
    std::uint64_t nth_ = 0;  // 0: fail nothing (unless an operation is named)
    std::string operation_;  // "IEventList::prepare": fail every call of it
    std::array<std::uint64_t, kFaultKinds.size()> counts_{};
    std::string struck_;
    bool struckAfterRead_ = false;
    State state_;
};

// While it lives, the plug-in's code runs: the host has called it (on a host with plan;
// none: nothing changes).
class ModuleCall {
public:
    explicit ModuleCall(FaultPlan* plan)
        : plan_(plan), before_(plan ? plan->switchTo({nullptr, nullptr, Runner::Module})
                                    : FaultPlan::State{}) {}
    ~ModuleCall() {
        if (plan_) plan_->switchTo(before_);
    }
    ModuleCall(const ModuleCall&) = delete;
    ModuleCall& operator=(const ModuleCall&) = delete;

private:
    FaultPlan* plan_;
    FaultPlan::State before_;
};

// Calls call (a call into the plug-in) as the plug-in's code, on a host with plan.
template <class Call>
auto intoModule(FaultPlan* plan, Call&& call) {
    const ModuleCall running(plan);
    return call();
}

// While it lives, the host's code runs operation on facet: the plug-in has called it.
// (Its constructor and HostCall's are in refhost/reference_host.h.)
class HostSide {
public:
    inline HostSide(const FacetBase& facet, const char* operation);
    ~HostSide() {
        if (plan_) plan_->switchTo(before_);
    }
    HostSide(const HostSide&) = delete;
    HostSide& operator=(const HostSide&) = delete;

    FaultPlan* plan() const { return plan_; }

private:
    FaultPlan* plan_;
    FaultPlan::State before_;
};

// One call of the plug-in into a facet, from the facet operation's first statement to its
// return: the host's code runs (HostSide). It checks that the facet may still be used (a
// call after the last release is a misuse, recorded) and asks the host's fault plan
// whether to fail the call.
//
//     const HostCall call(*this, "setTempo");
//     if (!call) return call.refusal();
class HostCall {
public:
    inline HostCall(FacetBase& facet, const char* operation,
                    FaultKind kind = FaultKind::ErrorResult);
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

    // True when the call may go on: the facet is usable and the plan does not fail it.
    explicit operator bool() const { return refusal_ == Host::kResultOk; }
    // False after the facet's last release (a misuse).
    bool usable() const { return refusal_ != Host::kInvalidArgument; }
    // What a refused call answers: kInvalidArgument for a misuse, kResultFalse for a
    // failure of the plan.
    Host::tresult refusal() const { return refusal_; }

private:
    HostSide side_;
    Host::tresult refusal_ = Host::kResultOk;
};

}  // namespace RefHost
