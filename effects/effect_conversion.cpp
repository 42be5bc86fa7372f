#include "effects/effect_conversion.h"

#include <type_traits>
#include <variant>

#include "base/iptr.h"
#include "effects/effect_tables.h"
#include "hostkit/host_helpers.h"

namespace Tessaro {

namespace {

// The Tonalix EQ's bands of the record; none (every band as it starts) when the record is
// of another kind.
const std::array<TonalixBand, 4>& bandsOf(const EffectRecord& record) {
    static const TonalixParameters none;
    const auto* tonalix = record.as<TonalixParameters>();
    return (tonalix ? *tonalix : none).bands;
}

std::size_t convertBands(Host::IParamNode* eq, const std::array<TonalixBand, 4>& bands,
                         const std::array<BandRowSet, 4>& rows) {
    std::size_t notNumbers = 0;
    for (std::size_t band = 0; band < rows.size(); ++band)
        notNumbers += applyRows<TonalixBand>(eq, bands[band], rows[band]);
    return notNumbers;
}

std::size_t convertEq(Host::IParamNode* eq, const EffectRecord& record, const EqLayout& layout,
                      const std::array<BandRowSet, 4>& rows) {
    if (!eq) return 0;
    if (layout.onTag != 0)
        applyRow(eq, layout.onTag, Formula::Integer, 1, 0, {}, record.enabled ? 1 : 0);
    return convertBands(eq, bandsOf(record), rows);
}

}  // namespace

double effectMix(const EffectRecord& record) {
    if (record.kind == kEffectDelay && record.delayMixFlag != 0) return 0.5;
    return static_cast<double>(record.mix);
}

std::size_t convertInsertParameters(Host::IParamNode* plugin, const EffectRecord& record) {
    return std::visit(
        [&](const auto& parameters) -> std::size_t {
            using P = std::decay_t<decltype(parameters)>;
            if constexpr (std::is_same_v<P, TonalixParameters>)
                return convertBands(plugin, parameters.bands, kTonalixInsertRows);
            else
                return applyRows<P>(plugin, parameters, kInsertRows<P>, effectMix(record));
        },
        record.parameters);
}

std::size_t convertBrickwall(Host::IParamNode* limiter, const EffectRecord& record) {
    static const BrickwallParameters none;
    const auto* brickwall = record.as<BrickwallParameters>();
    return applyRows<BrickwallParameters>(limiter, brickwall ? *brickwall : none,
                                          EffectTables::kBrickwall);
}

std::size_t convertChannelEq(Host::IParamNode* eq, const EffectRecord& record) {
    return convertEq(eq, record, kChannelEqLayout, kChannelEqRows);
}

std::size_t convertStripEq(Host::IParamNode* eq, const EffectRecord& record) {
    return convertEq(eq, record, kStripEqLayout, kStripEqRows);
}

std::optional<std::size_t> convertLanefixStrip(Host::IParamNode* channelRoot,
                                               const EffectRecord& record) {
    static const LanefixParameters none;
    const auto* kept = record.as<LanefixParameters>();
    const LanefixParameters& lanefix = kept ? *kept : none;
    auto strips = childNamed(channelRoot, "Strips");
    if (!strips) return std::nullopt;
    std::size_t notNumbers = 0;
    const Host::int32 count = strips->getChildCount();
    for (Host::int32 i = 0; i < count; ++i) {
        auto slot = childAt(strips.get(), i);
        if (!slot || nodeName(slot.get()) != "Slot") continue;
        auto module = childAt(slot.get(), 0);
        if (!module) continue;
        const std::string name = nodeName(module.get());
        for (const StripModule& m : kLanefixModules) {
            if (name != m.module) continue;
            if (auto bypass = paramNamed(slot.get(), "bypass"))
                bypass->setValue((lanefix.*m.bypass) ? 1 : 0);
            const std::u16string_view choice = m.choice(lanefix);
            if (!choice.empty()) {
                if (auto type = paramNamed(slot.get(), "moduleType"))
                    chooseListEntry(type.get(), choice);
                // The module may have been replaced by the choice.
                module = childAt(slot.get(), 0);
            }
            notNumbers += applyRows<LanefixParameters>(module.get(), lanefix, m.rows);
            break;
        }
    }
    return notNumbers;
}

}  // namespace Tessaro
