# nlohmann-json for the cross build: header-only, taken from the build machine.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
set(TESSARO_HOST_HEADER_VERSION "")
tessaro_host_header_library(nlohmann_json::nlohmann_json nlohmann detail/abi_macros.hpp
                            NLOHMANN_JSON_VERSION)
if(TARGET nlohmann_json::nlohmann_json)
  set(nlohmann_json_INCLUDE_DIR "${CMAKE_BINARY_DIR}/host-headers/nlohmann")
  if(TESSARO_HOST_HEADER_VERSION)
    set(nlohmann_json_VERSION "${TESSARO_HOST_HEADER_VERSION}")
  endif()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(nlohmann_json
  REQUIRED_VARS nlohmann_json_INCLUDE_DIR VERSION_VAR nlohmann_json_VERSION)
