# GoogleTest for the Windows build is built from source (cmake/windows.cmake) before the
# tests ask for it; this answers find_package(GTest) with those targets.
if(TARGET GTest::gtest AND TARGET GTest::gmock)
  set(GTest_FOUND TRUE)
  set(GTEST_FOUND TRUE)
else()
  set(GTest_FOUND FALSE)
  if(GTest_FIND_REQUIRED)
    message(FATAL_ERROR "GoogleTest targets are missing: cmake/windows.cmake builds them")
  endif()
endif()
