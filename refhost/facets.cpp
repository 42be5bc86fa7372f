#include "refhost/facets.h"

namespace RefHost {

const std::vector<FacetType>& allFacetTypes() {
    static const std::vector<FacetType> types = [] {
        std::vector<FacetType> all;
        for (auto area : {serviceFacetTypes(), streamFacetTypes(), projectFacetTypes(),
                          treeFacetTypes(), mixerFacetTypes(), automationFacetTypes(),
                          instrumentFacetTypes()})
            all.insert(all.end(), area.begin(), area.end());
        return all;
    }();
    return types;
}

}  // namespace RefHost
