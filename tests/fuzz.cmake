# The fuzz target of the numeric entry's rules. libFuzzer comes with clang,
# so it is built by clang++ directly, apart from the g++ build.
find_program(DROVLAN_FUZZ_CXX NAMES clang++ clang++-14)
if(NOT DROVLAN_FUZZ_CXX)
  message(STATUS "clang++ not found: the entry rules fuzz target is not built")
  return()
endif()

set(DROVLAN_FUZZ_SECONDS 600 CACHE STRING "Seconds that the fuzz_entry target fuzzes for")

set(entry_fuzz_dir ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
set(entry_fuzz_bin ${CMAKE_CURRENT_BINARY_DIR}/entry_rules_fuzz)
set(entry_fuzz_sources ${entry_fuzz_dir}/entry_rules_fuzz.cpp ${PROJECT_SOURCE_DIR}/screen/entry_rules.cpp)
add_custom_command(
  OUTPUT ${entry_fuzz_bin}
  COMMAND ${DROVLAN_FUZZ_CXX} -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined
          -fno-sanitize-recover=all -I${PROJECT_SOURCE_DIR} ${entry_fuzz_sources} -o ${entry_fuzz_bin}
  DEPENDS ${entry_fuzz_sources} ${PROJECT_SOURCE_DIR}/screen/entry_rules.h
          ${PROJECT_SOURCE_DIR}/screen/types.h
  COMMENT "Building the entry rules fuzz target with clang++"
  VERBATIM)
add_custom_target(entry_rules_fuzz ALL DEPENDS ${entry_fuzz_bin})

# New inputs go to the build folder's corpus; the starting inputs in the source tree stay as they are.
set(entry_fuzz_corpus ${CMAKE_CURRENT_BINARY_DIR}/entry_fuzz_corpus)
file(MAKE_DIRECTORY ${entry_fuzz_corpus})
set(entry_fuzz_args -max_len=96 -dict=${entry_fuzz_dir}/entry.dict ${entry_fuzz_corpus}
                    ${entry_fuzz_dir}/corpus)

# A short, bounded run with every test run.
add_test(NAME entry_rules_fuzz COMMAND ${entry_fuzz_bin} -runs=200000 -seed=1 ${entry_fuzz_args})
set_tests_properties(entry_rules_fuzz PROPERTIES TIMEOUT 300)

# A long run on demand: cmake --build <build> --target fuzz_entry
add_custom_target(
  fuzz_entry
  COMMAND ${entry_fuzz_bin} -max_total_time=${DROVLAN_FUZZ_SECONDS} -jobs=1 ${entry_fuzz_args}
  DEPENDS entry_rules_fuzz
  USES_TERMINAL
  VERBATIM)
