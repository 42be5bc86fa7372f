#include "effects/conversion.h"

#include <algorithm>

#include "base/iptr.h"
#include "effects/note_values.h"
#include "hostkit/host_helpers.h"

namespace Tessaro {

namespace {

float within01(float t) {
    if (t != t) return 0;
    return std::clamp(t, 0.0f, 1.0f);
}

RowValue integerValue(double v) { return {RowValue::Integer, parameterValue(v), 0}; }

}  // namespace

RowValue rowValue(Formula formula, double a, double b, std::span<const Host::int32> lookup,
                  double value, Host::int32 max) {
    const float v = static_cast<float>(value);
    const float m = static_cast<float>(max);
    const float fa = static_cast<float>(a);
    const float fb = static_cast<float>(b);
    switch (formula) {
        case Formula::Scaled:
            return integerValue(v * fa * m);
        case Formula::Maximum:
            return {RowValue::Integer, max, 0};
        case Formula::Range:
            if (fb == fa) return {};
            return integerValue(within01((v - fa) / (fb - fa)) * m);
        case Formula::LogRange:
            if (fa <= 0 || fb <= fa) return {};
            if (v <= fa) return integerValue(0);
            return integerValue(within01(std::log(v / fa) / std::log(fb / fa)) * m);
        case Formula::Integer:
            return integerValue(v);
        case Formula::Lookup: {
            const Host::int32 i = parameterValue(v);
            if (i < 0 || static_cast<std::size_t>(i) >= lookup.size()) return {};
            return {RowValue::Integer, lookup[static_cast<std::size_t>(i)], 0};
        }
        // The app's limiter curves onto the host's limiter: its drive from 0 to 0.8 spans the
        // upper half of the host's drive, its gain from 0 to 0.65 the host's gain from 4/30
        // (0.13333334) to the top, 26 of its 30 steps; above that both are the top.
        case Formula::LimiterDrive:
            if (v >= 0.8f) return {RowValue::Integer, max, 0};
            return integerValue((v / 0.8f + 1.0f) * 0.5f * m);
        case Formula::LimiterGain:
            if (v >= 0.65f) return {RowValue::Integer, max, 0};
            return integerValue((v / 0.65f * 26.0f / 30.0f + 0.13333334f) * m);
        case Formula::NoteValue:
            return {RowValue::Integer, noteValueIndex(parameterValue(value)), 0};
        case Formula::FloatValue:
            return {RowValue::Float, 0, static_cast<double>(v * fa)};
    }
    return {};  // GCOVR_EXCL_LINE: every formula returns in its case
}

bool applyRow(Host::IParamNode* node, Host::int32 tag, Formula formula, double a, double b,
              std::span<const Host::int32> lookup, double v) {
    auto param = paramTagged(node, tag);
    if (!param) return false;
    const RowValue value = rowValue(formula, a, b, lookup, v, param->getMax());
    if (value.kind == RowValue::Integer) param->setValue(value.integer);
    else if (value.kind == RowValue::Float) setFloatValue(*param, value.real, Notify::Views);
    return true;
}

}  // namespace Tessaro
