# CLI11 for the cross build: header-only, taken from the build machine.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
set(TESSARO_HOST_HEADER_VERSION "")
tessaro_host_header_library(CLI11::CLI11 CLI Version.hpp CLI11_VERSION)
if(TARGET CLI11::CLI11)
  set(CLI11_INCLUDE_DIR "${CMAKE_BINARY_DIR}/host-headers/CLI")
  if(TESSARO_HOST_HEADER_VERSION)
    set(CLI11_VERSION "${TESSARO_HOST_HEADER_VERSION}")
  endif()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(CLI11
  REQUIRED_VARS CLI11_INCLUDE_DIR VERSION_VAR CLI11_VERSION)
