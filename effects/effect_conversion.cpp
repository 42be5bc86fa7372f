#include "effects/effect_conversion.h"

#include "base/iptr.h"
#include "effects/effect_tables.h"
#include "hostkit/host_helpers.h"

namespace Tessaro {

namespace {

std::size_t convertBands(Host::IParamNode* eq, const EffectRecord& record,
                         const std::array<BandRowSet, 4>& rows) {
    std::size_t notNumbers = 0;
    for (std::size_t band = 0; band < rows.size(); ++band)
        notNumbers += applyRows<TonalixBand>(eq, record.tonalix[band], rows[band]);
    return notNumbers;
}

std::size_t convertEq(Host::IParamNode* eq, const EffectRecord& record, const EqLayout& layout,
                      const std::array<BandRowSet, 4>& rows) {
    if (!eq) return 0;
    if (layout.onTag != 0)
        applyRow(eq, layout.onTag, Formula::Integer, 1, 0, {}, record.enabled ? 1 : 0);
    return convertBands(eq, record, rows);
}

}  // namespace

std::size_t convertInsertParameters(Host::IParamNode* plugin, const EffectRecord& record) {
    if (record.kind == kEffectTonalixEq) return convertBands(plugin, record, kTonalixInsertRows);
    return applyRows<EffectRecord>(plugin, record, insertConversion(record.kind));
}

std::size_t convertBrickwall(Host::IParamNode* limiter, const EffectRecord& record) {
    return applyRows<EffectRecord>(limiter, record, EffectTables::kBrickwall);
}

std::size_t convertChannelEq(Host::IParamNode* eq, const EffectRecord& record) {
    return convertEq(eq, record, kChannelEqLayout, kChannelEqRows);
}

std::size_t convertStripEq(Host::IParamNode* eq, const EffectRecord& record) {
    return convertEq(eq, record, kStripEqLayout, kStripEqRows);
}

std::optional<std::size_t> convertLanefixStrip(Host::IParamNode* channelRoot,
                                               const EffectRecord& record) {
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
                bypass->setValue((record.*m.bypass) ? 1 : 0);
            const std::u16string_view choice = m.choice(record);
            if (!choice.empty()) {
                if (auto type = paramNamed(slot.get(), "moduleType"))
                    chooseListEntry(type.get(), choice);
                // The module may have been replaced by the choice.
                module = childAt(slot.get(), 0);
            }
            notNumbers += applyRows<EffectRecord>(module.get(), record, m.rows);
            break;
        }
    }
    return notNumbers;
}

}  // namespace Tessaro
