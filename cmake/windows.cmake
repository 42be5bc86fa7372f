# The Windows build (MinGW-w64 cross build, or a native MinGW build): GoogleTest from
# source, header-only libraries of the build machine, the module's export and import
# check, and test programs run once each with a check of GoogleTest's own summary.
set(TESSARO_WINDOWS_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

if(NOT MINGW)
  message(WARNING "The Windows build is made and tested with MinGW-w64 only.")
endif()

# Header-only libraries (nlohmann-json, CLI11) come from the build machine.
if(CMAKE_CROSSCOMPILING)
  list(PREPEND CMAKE_MODULE_PATH ${TESSARO_WINDOWS_CMAKE_DIR}/mingw)
endif()

# The module's own text is UTF-16 in char16_t everywhere; the system's wide calls use
# wchar_t, which is 16 bits here. Keep <windows.h> lean and without min/max macros.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)

if(TESSARO_BUILD_TESTS)
  # GoogleTest built with the cross compiler from Debian's source package (googletest):
  # the binaries of libgtest-dev are for Linux only.
  set(TESSARO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
      "GoogleTest source tree for the Windows build")
  if(NOT EXISTS ${TESSARO_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${TESSARO_GOOGLETEST_SOURCE} "
                        "(install the package googletest, or set TESSARO_GOOGLETEST_SOURCE)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TESSARO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(gtest_target gtest gtest_main gmock gmock_main)
    target_compile_options(${gtest_target} PRIVATE -w)
  endforeach()
  # tests/CMakeLists.txt asks for the package; the targets above are it.
  set(GTest_FOUND TRUE)
  set(GTEST_FOUND TRUE)
  list(PREPEND CMAKE_MODULE_PATH ${TESSARO_WINDOWS_CMAKE_DIR}/gtest)

  # The main of every Windows test program: a crash ends the process with a non-zero
  # status (under Wine an unhandled exception can otherwise end with 0).
  add_library(tessaro_windows_gtest_main STATIC
    ${PROJECT_SOURCE_DIR}/tests/windows/main/windows_gtest_main.cpp)
  target_link_libraries(tessaro_windows_gtest_main PUBLIC GTest::gmock GTest::gtest)
endif()

# Registers a test program as one test: it runs once (under the emulator when cross-built)
# and passes only with exit status 0 and GoogleTest's "[  PASSED  ] N tests." summary with
# no failed test. Its output is kept in <program>.log.
function(tessaro_add_windows_test target)
  target_link_libraries(${target} PRIVATE tessaro_windows_gtest_main)
  add_test(NAME ${target}
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
            "-DPROGRAM=$<TARGET_FILE:${target}>" "-DLOG=$<TARGET_FILE:${target}>.log"
            -P ${TESSARO_WINDOWS_CMAKE_DIR}/run_gtest.cmake)
  set_tests_properties(${target} PROPERTIES TIMEOUT 900
    ENVIRONMENT "TESSARO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# The module as the host's loader sees it: exactly the three entry points, unmangled, and
# no DLL beside the system's own.
function(tessaro_add_windows_dll_check target)
  find_program(TESSARO_OBJDUMP NAMES ${TESSARO_MINGW_OBJDUMP} x86_64-w64-mingw32-objdump objdump)
  if(NOT TESSARO_OBJDUMP)
    message(WARNING "objdump not found: the export and import check of ${target} is left out")
    return()
  endif()
  list(JOIN ARGN "," exports)
  add_test(NAME ${target}_dll_tables
    COMMAND ${CMAKE_COMMAND} "-DOBJDUMP=${TESSARO_OBJDUMP}" "-DDLL=$<TARGET_FILE:${target}>"
            "-DEXPORTS=${exports}" -P ${TESSARO_WINDOWS_CMAKE_DIR}/check_dll.cmake)
endfunction()
