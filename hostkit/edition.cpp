// The host editions and versions that offer each feature, as one table. A row holds when
// the host's name is one of the row's names and its version lies between the row's first
// version and the last major version the row covers. Versions compare as whole numbers:
// "from 6.5.5 within major 6" takes 6.6.0 and 6.9.9 as well.
#include "hostkit/edition.h"

#include <limits>
#include <span>

#include "hostkit/host_session.h"

namespace Tessaro {

namespace {

constexpr std::int32_t kNoLimit = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();

constexpr std::u16string_view kOmbrel[] = {u"Ombrel", u"Ombrel Tarn"};
constexpr std::u16string_view kLarkwin[] = {u"Larkwin"};
constexpr std::u16string_view kSmallEditions[] = {u"Ombrel Fold", u"Ombrel Kip", u"Ombrel Zet"};
constexpr std::u16string_view kOmbrelAll[] = {u"Ombrel", u"Ombrel Tarn", u"Ombrel Fold",
                                              u"Ombrel Kip", u"Ombrel Zet"};
constexpr std::u16string_view kWithLimiter[] = {u"Ombrel", u"Ombrel Tarn", u"Ombrel Fold"};
constexpr std::u16string_view kEveryHost[] = {u"Ombrel",     u"Ombrel Tarn", u"Ombrel Fold",
                                              u"Ombrel Kip", u"Ombrel Zet",  u"Larkwin"};

struct EditionRule {
    HostFeature feature;
    std::span<const std::u16string_view> names;
    HostVersion from;        // the first version that offers it
    std::int32_t lastMajor;  // the last major version that offers it
};

constexpr EditionRule kRules[] = {
    {HostFeature::EffectChannels, kOmbrel, {6, 5, 5}, 6},
    {HostFeature::EffectChannels, kOmbrel, {7, 0, 1}, kNoLimit},
    {HostFeature::EffectChannels, kLarkwin, {5, 5, 6}, 5},
    {HostFeature::EffectChannels, kLarkwin, {6, 0, 1}, kNoLimit},
    {HostFeature::EffectChannels, kSmallEditions, {7, 0, 0}, kNoLimit},

    {HostFeature::MasterBrickwall, kOmbrelAll, {7, 0, 0}, kNoLimit},
    {HostFeature::MasterBrickwall, kLarkwin, {6, 0, 0}, kNoLimit},

    {HostFeature::ChannelLimiter, kWithLimiter, {7, 0, 0}, kNoLimit},
    {HostFeature::ChannelLimiter, kLarkwin, {6, 0, 0}, kNoLimit},

    {HostFeature::InsertChannelEq, kSmallEditions, {6, 0, 0}, kNoLimit},

    {HostFeature::InputPhaseOnRoot, kEveryHost, {kLowest, kLowest, kLowest}, 6},
};

bool names(std::span<const std::u16string_view> list, std::u16string_view name) {
    for (const auto& entry : list)
        if (entry == name) return true;
    return false;
}

}  // namespace

std::strong_ordering compareVersions(const HostVersion& a, const HostVersion& b) {
    if (const auto c = a.major <=> b.major; c != 0) return c;
    if (const auto c = a.minor <=> b.minor; c != 0) return c;
    return a.patch <=> b.patch;
}

bool hostAllows(std::u16string_view hostName, const HostVersion& version, HostFeature feature) {
    for (const auto& rule : kRules) {
        if (rule.feature == feature && names(rule.names, hostName) &&
            compareVersions(version, rule.from) >= 0 && version.major <= rule.lastMajor)
            return true;
    }
    return false;
}

bool hostAllows(const HostSession& host, HostFeature feature) {
    return hostAllows(host.name, host.version, feature);
}

}  // namespace Tessaro
