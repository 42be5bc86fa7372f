// The registry of facet types. Each area of the host (services, streams, project, tree,
// mixer ...) lists its facet types in its own facets_<area>.cpp; adding an area is a new
// file and one line in facets.cpp.
#pragma once

#include <span>
#include <vector>

#include "refhost/facet.h"

namespace RefHost {

std::span<const FacetType> serviceFacetTypes();
std::span<const FacetType> streamFacetTypes();
std::span<const FacetType> projectFacetTypes();
std::span<const FacetType> treeFacetTypes();
std::span<const FacetType> mixerFacetTypes();
std::span<const FacetType> eventFacetTypes();  // facets_events.cpp
std::span<const FacetType> audioFacetTypes();  // audio.cpp
std::span<const FacetType> automationFacetTypes();
std::span<const FacetType> instrumentFacetTypes();

// Every facet type, in the order of precedence: an object asked for FUnknown answers with
// the first type that accepts it.
const std::vector<FacetType>& allFacetTypes();

}  // namespace RefHost
