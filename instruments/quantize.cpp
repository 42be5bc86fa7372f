#include "instruments/quantize.h"

#include "base/iptr.h"
#include "hostkit/host_helpers.h"

namespace Tessaro {

namespace {
// The tables are data the module relies on: every position is its row's index, and the
// codes of each table are distinct.
template <std::size_t N>
constexpr bool wellFormed(const std::array<QuantizeValue, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].position != static_cast<std::int32_t>(i)) return false;
        for (std::size_t k = 0; k < i; ++k)
            if (table[k].code == table[i].code) return false;
    }
    return true;
}
static_assert(wellFormed(kHostQuantizeMenu));
static_assert(wellFormed(kAppQuantizeValues));
}  // namespace

bool setQuantize(Host::FUnknown* holder, std::uint8_t grid, std::uint8_t tuplet) {
    if (grid == 0) return false;
    auto node = queryTo<Host::IParamNode>(holder);
    auto param = paramNamed(node.get(), "quantMenu");
    const std::int32_t position = quantizeMenuPosition(quantizeCode(grid, tuplet));
    if (!param || position == -1) return false;
    return param->setValue(position) == Host::kResultOk;
}

}  // namespace Tessaro
