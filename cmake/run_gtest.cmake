# Runs one GoogleTest program (under EMULATOR, e.g. wine, when given) and judges it by its
# exit status and by GoogleTest's closing summary: a crash under Wine can end the process
# with status 0, and a program that stops early prints no summary.
#   cmake -DPROGRAM=<exe> [-DEMULATOR=<wine>] [-DLOG=<file>] -P run_gtest.cmake
if(NOT PROGRAM)
  message(FATAL_ERROR "run_gtest.cmake: PROGRAM is not set")
endif()
set(command ${EMULATOR} ${PROGRAM} --gtest_color=no)
execute_process(COMMAND ${command}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 600)
# A program that never reached GoogleTest was not started (Wine can fail to start a
# process while its prefix is busy): one more try. A program that ran tests is judged
# as it ran.
if(NOT output MATCHES "\\[==========\\] Running")
  message("${PROGRAM} did not start (status ${status}), trying once more:\n${output}")
  execute_process(COMMAND ${command}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 600)
endif()
if(LOG)
  file(WRITE "${LOG}" "${output}")
endif()
get_filename_component(name "${PROGRAM}" NAME_WE)
# Print the whole output so ctest shows it when the test fails.
message("${output}")

set(problems "")
if(NOT status STREQUAL "0")
  list(APPEND problems "exit status ${status}")
endif()
if(output MATCHES "\\[  PASSED  \\] ([0-9]+) tests?\\.")
  set(passed ${CMAKE_MATCH_1})
  if(passed EQUAL 0)
    list(APPEND problems "no test ran")
  endif()
else()
  set(passed 0)
  list(APPEND problems "no GoogleTest summary line")
endif()
if(output MATCHES "\\[  FAILED  \\]")
  list(APPEND problems "failed tests")
endif()
if(output MATCHES "\\[  CRASHED  \\]")
  list(APPEND problems "crashed")
endif()
if(problems)
  list(JOIN problems ", " problems)
  message(FATAL_ERROR "${name}: ${problems}")
endif()
message("${name}: ${passed} tests passed")
