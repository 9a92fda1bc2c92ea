# Exit code of a test that cannot check what it is for on this machine (the harness's
# kSkipExitCode, and the scripts' too): CTest then counts it as skipped, not passed.
set(QUAY_SKIP_EXIT_CODE 77)

# quay_add_test(NAME SOURCES src... LIBS lib... [TIMEOUT s] [NATIVE])
# One test executable per behaviour; each becomes one CTest test, run under Wine
# through CMAKE_CROSSCOMPILING_EMULATOR when cross-compiled.
function(quay_add_test name)
  cmake_parse_arguments(T "NATIVE" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  # The fuzz tree builds its fuzz targets alone.
  if((QUAY_NATIVE AND NOT T_NATIVE) OR QUAY_FUZZ)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE quay_testharness ${T_LIBS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE ${QUAY_SKIP_EXIT_CODE})
endfunction()
