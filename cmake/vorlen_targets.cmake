# vorlen_add_test(<name> <sources...> LIBS <libraries...>)
# A GoogleTest executable, run by CTest under Wine through the emulator wrapper.
function(vorlen_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_compile_options(${name} PRIVATE ${VORLEN_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
endfunction()
