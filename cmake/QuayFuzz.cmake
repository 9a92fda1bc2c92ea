# The fuzz build: clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, on
# the platform-free pieces, in a tree of its own (scripts/test.sh makes it in build/fuzz):
#
#   cmake -S . -B build/fuzz -G Ninja -DQUAY_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
#   cmake --build build/fuzz --target quay_fuzz_targets
#   ctest --test-dir build/fuzz
#
# Every parser of bytes that come from another process has a target here. A new one is
# one call, next to the others in tests/fuzz/CMakeLists.txt:
#
#   quay_add_fuzz_target(NAME SOURCES src... LIBS lib... SEEDS file.hex [RUNS n] [MAX_LEN n])
#
# which makes the program fuzz_NAME.
# SEEDS names a text file of the messages the parser's own tests use, one per line as hex
# ("name: 01 00 | 61 00"; see tests/fuzz/seed-corpus.py); the build turns it into the
# target's seed corpus. Each target becomes the CTest test fuzz_NAME, which runs it for a
# fixed number of inputs (RUNS, 20000 unless given) from a fixed random seed, so a run of
# the suite is repeatable; bench/fuzz.sh runs the same targets for a given time instead.
option(QUAY_FUZZ "Build the libFuzzer targets (clang, native) instead of the tests" OFF)

if(QUAY_FUZZ)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUAY_FUZZ needs a native clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  # Everything is instrumented for coverage and the sanitizers; only the targets link the
  # fuzzer's own main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
  add_custom_target(quay_fuzz_targets)
endif()

set(QUAY_FUZZ_RUNNER ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/run-fuzz-target.sh)
set(QUAY_FUZZ_SEEDER ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/seed-corpus.py)

function(quay_add_fuzz_target name)
  if(NOT QUAY_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "SEEDS;RUNS;MAX_LEN" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SEEDS)
    message(FATAL_ERROR "quay_add_fuzz_target(${name}): SEEDS is required")
  endif()
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  set(target fuzz_${name})
  get_filename_component(seeds ${F_SEEDS} ABSOLUTE)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/seeds/${name})

  add_custom_command(OUTPUT ${corpus}.stamp
                     COMMAND python3 ${QUAY_FUZZ_SEEDER} ${seeds} ${corpus}
                     COMMAND ${CMAKE_COMMAND} -E touch ${corpus}.stamp
                     DEPENDS ${seeds} ${QUAY_FUZZ_SEEDER}
                     COMMENT "Seed corpus of ${target}")
  add_custom_target(${target}_seeds DEPENDS ${corpus}.stamp)

  add_executable(${target} ${F_SOURCES})
  target_link_libraries(${target} PRIVATE ${F_LIBS})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  add_dependencies(${target} ${target}_seeds)
  add_dependencies(quay_fuzz_targets ${target})
  # What bench/fuzz.sh reads to find the targets.
  set_property(GLOBAL APPEND PROPERTY QUAY_FUZZ_TARGET_LINES
               "${target} $<TARGET_FILE:${target}> ${corpus} ${F_MAX_LEN}")

  add_test(NAME ${target}
           COMMAND bash ${QUAY_FUZZ_RUNNER} $<TARGET_FILE:${target}> ${corpus} ${CMAKE_BINARY_DIR}/fuzz-work/${name}
                   -runs=${F_RUNS} -seed=1 -max_len=${F_MAX_LEN})
  set_tests_properties(${target} PROPERTIES TIMEOUT 120)
endfunction()

# The list of targets for bench/fuzz.sh: one line per target (name, program, seed corpus,
# longest input). Called once, after every target is known.
function(quay_write_fuzz_target_list)
  if(NOT QUAY_FUZZ)
    return()
  endif()
  get_property(lines GLOBAL PROPERTY QUAY_FUZZ_TARGET_LINES)
  list(JOIN lines "\n" text)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets.txt CONTENT "${text}\n")
endfunction()
