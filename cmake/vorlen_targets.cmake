# vorlen_add_test(<name> <sources...> LIBS <libraries...>)
# A GoogleTest executable, run by CTest under Wine through the emulator wrapper.
function(vorlen_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_compile_options(${name} PRIVATE ${VORLEN_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  # Wine has been seen to report a crashed program as a success, so the exit
  # status alone is not trusted: a run passes only when GoogleTest printed its
  # closing summary and nothing failed or crashed.
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine: Unhandled;Unhandled exception"
    # Backups made by the programs a test runs go to a folder of the test's
    # own, never among the user's.
    ENVIRONMENT "VORLEN_BACKUPS=C:\\vorlen-test-backups\\${name}")
endfunction()
