// Parameter conversion rows: how one value of the app's effect reaches one parameter of a
// host plug-in. A kind's conversion is a constexpr table of rows (tag, source field,
// formula), applied in order; a parameter the host node lacks skips its row.
//
// M below is the host parameter's maximum (its step count). Every formula first reads the
// source value, treating a NaN as 0, and computes in single precision as the app's values
// are stored; every integer it sets passes through parameterValue(), which truncates
// toward zero and never converts a value an integer cannot hold.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "interfaces/all.h"

namespace Tessaro {

enum class Formula : std::uint8_t {
    Scaled,       // trunc(a × v × M): the common step
    Maximum,      // M
    Range,        // trunc(t × M), t = (v - a) / (b - a) kept within 0 to 1
    LogRange,     // trunc(t × M), t = log(v / a) / log(b / a) kept within 0 to 1
    Integer,      // trunc(v): a switch or a list index as it stands
    Lookup,       // lookup[trunc(v)]; a value outside the lookup sets nothing
    LimiterDrive, // M when v ≥ 0.8, else trunc((v / 0.8 + 1) × 0.5 × M)
    LimiterGain,  // M when v ≥ 0.65, else trunc((v / 0.65 × 26 / 30 + 0.13333334) × M)
    NoteValue,    // the note value index of the key v (timing × 100 + beat), -1 when none
    FloatValue,   // the float setter with a × v, flag true
};

// Where a row's value comes from: a field of the source (a kind's parameters, an EQ band),
// a function of it, the effect's mix (which every kind's header holds), or a constant.
template <class Source>
struct Field {
    float Source::*real = nullptr;
    std::uint8_t Source::*byte = nullptr;
    bool Source::*flag = nullptr;
    double (*compute)(const Source&) = nullptr;
    bool mix = false;
    double constant = 0;

    // The value as it stands; mix is the effect's mix as the conversion takes it.
    constexpr double value(const Source& s, double mixValue) const {
        if (real) return static_cast<double>(s.*real);
        if (byte) return static_cast<double>(s.*byte);
        if (flag) return (s.*flag) ? 1.0 : 0.0;
        if (compute) return compute(s);
        if (mix) return mixValue;
        return constant;
    }
    constexpr double read(const Source& s, double mixValue = 0) const {
        const double v = value(s, mixValue);
        return v != v ? 0.0 : v;  // a NaN counts as 0
    }
    // True when the source value is not a number (and read() gives 0 for it).
    constexpr bool notNumber(const Source& s, double mixValue = 0) const {
        const double v = value(s, mixValue);
        return v != v;
    }
};

template <class Source>
struct Row {
    Host::int32 tag;
    Field<Source> field;
    Formula formula;
    double a = 1;
    double b = 0;
    std::span<const Host::int32> lookup = {};
};

// --- Row makers, so that a table reads as (tag, field, formula) ---------------------------

template <class S>
constexpr Row<S> scaled(Host::int32 tag, float S::*field, double factor = 1) {
    return {tag, {.real = field}, Formula::Scaled, factor};
}
template <class S>
constexpr Row<S> scaledBy(Host::int32 tag, double (*compute)(const S&), double factor = 1) {
    return {tag, {.compute = compute}, Formula::Scaled, factor};
}
template <class S>
constexpr Row<S> scaledMix(Host::int32 tag) {
    return {tag, {.mix = true}, Formula::Scaled};
}
template <class S>
constexpr Row<S> maximum(Host::int32 tag) {
    return {tag, {}, Formula::Maximum};
}
template <class S>
constexpr Row<S> range(Host::int32 tag, float S::*field, double lo, double hi) {
    return {tag, {.real = field}, Formula::Range, lo, hi};
}
template <class S>
constexpr Row<S> range(Host::int32 tag, std::uint8_t S::*field, double lo, double hi) {
    return {tag, {.byte = field}, Formula::Range, lo, hi};
}
template <class S>
constexpr Row<S> logRange(Host::int32 tag, float S::*field, double lo, double hi) {
    return {tag, {.real = field}, Formula::LogRange, lo, hi};
}
template <class S>
constexpr Row<S> logRangeOf(Host::int32 tag, double constant, double lo, double hi) {
    return {tag, {.constant = constant}, Formula::LogRange, lo, hi};
}
template <class S>
constexpr Row<S> integer(Host::int32 tag, std::uint8_t S::*field) {
    return {tag, {.byte = field}, Formula::Integer};
}
template <class S>
constexpr Row<S> integer(Host::int32 tag, bool S::*field) {
    return {tag, {.flag = field}, Formula::Integer};
}
template <class S>
constexpr Row<S> integerOf(Host::int32 tag, double constant) {
    return {tag, {.constant = constant}, Formula::Integer};
}
template <class S>
constexpr Row<S> lookup(Host::int32 tag, std::uint8_t S::*field,
                        std::span<const Host::int32> values) {
    return {tag, {.byte = field}, Formula::Lookup, 1, 0, values};
}
template <class S>
constexpr Row<S> special(Host::int32 tag, float S::*field, Formula formula) {
    return {tag, {.real = field}, formula};
}
template <class S>
constexpr Row<S> specialBy(Host::int32 tag, double (*compute)(const S&), Formula formula) {
    return {tag, {.compute = compute}, formula};
}
template <class S>
constexpr Row<S> floatValue(Host::int32 tag, float S::*field, double factor) {
    return {tag, {.real = field}, Formula::FloatValue, factor};
}

// --- Applying rows -------------------------------------------------------------------------

// An integer parameter value from a computed one: truncated toward zero; a NaN gives 0 and
// values beyond the int32 range are held at its ends.
constexpr Host::int32 parameterValue(double v) {
    if (v != v) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<Host::int32>::max();
    if (v <= -2147483648.0) return std::numeric_limits<Host::int32>::min();
    return static_cast<Host::int32>(v);
}

// What a row sets on a parameter of maximum M for the source value v.
struct RowValue {
    enum Kind : std::uint8_t { None, Integer, Float } kind = None;
    Host::int32 integer = 0;
    double real = 0;
};
RowValue rowValue(Formula formula, double a, double b, std::span<const Host::int32> lookup,
                  double v, Host::int32 max);

// Sets one parameter as the row says; false when the node has no such parameter.
bool applyRow(Host::IParamNode* node, Host::int32 tag, Formula formula, double a, double b,
              std::span<const Host::int32> lookup, double v);

// Applies the rows in order, mix standing for the effect's mix; returns how many of the
// values set were not numbers in the file (and were taken as 0).
template <class S>
std::size_t applyRows(Host::IParamNode* node, const S& source, std::span<const Row<S>> rows,
                      double mix = 0) {
    if (!node) return 0;
    std::size_t notNumbers = 0;
    for (const Row<S>& row : rows) {
        const double value = row.field.read(source, mix);
        if (applyRow(node, row.tag, row.formula, row.a, row.b, row.lookup, value) &&
            row.field.notNumber(source, mix))
            ++notNumbers;
    }
    return notNumbers;
}

}  // namespace Tessaro
