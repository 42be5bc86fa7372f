#include "refhost/facets.h"

#include <stdexcept>

namespace RefHost {

const std::vector<FacetType>& allFacetTypes() {
    // Never destroyed: the account of a host destroyed late still reads it.
    static const std::vector<FacetType>& types = *new std::vector<FacetType>([] {
        std::vector<FacetType> all;
        for (auto area : {serviceFacetTypes(), streamFacetTypes(), projectFacetTypes(),
                          treeFacetTypes(), mixerFacetTypes(), automationFacetTypes(),
                          instrumentFacetTypes(), eventFacetTypes(), audioFacetTypes()})
            all.insert(all.end(), area.begin(), area.end());
        // A facet keeps its type's index in 16 bits.
        if (all.size() > 0xFFFF) throw std::logic_error("too many facet types");
        for (std::size_t i = 0; i < all.size(); ++i) all[i].index = static_cast<std::uint16_t>(i);
        return all;
    }());
    return types;
}

}  // namespace RefHost
