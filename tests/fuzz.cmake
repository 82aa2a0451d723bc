# Fuzz targets of the numeric entry's rules and of the number text. libFuzzer
# comes with clang, so they are built by clang++ directly, apart from the g++ build.
option(DROVLAN_FUZZ "Build the fuzz targets" ON)
if(NOT DROVLAN_FUZZ)
  return()
endif()
find_program(DROVLAN_FUZZ_CXX NAMES clang++ clang++-14)
if(NOT DROVLAN_FUZZ_CXX)
  drovlan_without("clang++" clang "the fuzz targets are not built" test)
  return()
endif()
# libFuzzer's runtime is a package of its own: try a link once, until it works.
if(NOT DROVLAN_FUZZ_LINKS)
  set(probe ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe)
  file(WRITE ${probe}.cpp "#include <cstddef>\n#include <cstdint>\n"
                          "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) "
                          "{ return 0; }\n")
  execute_process(COMMAND ${DROVLAN_FUZZ_CXX} -fsanitize=fuzzer,address,undefined ${probe}.cpp -o
                          ${probe} RESULT_VARIABLE probe_failed OUTPUT_QUIET ERROR_QUIET)
  if(probe_failed)
    drovlan_without("libFuzzer" libclang-rt-14-dev "the fuzz targets are not built" test)
    return()
  endif()
  set(DROVLAN_FUZZ_LINKS ON CACHE INTERNAL "clang++ links libFuzzer targets")
endif()
# The fuzzing time of make fuzz comes from the environment of each run, not the cache.
unset(DROVLAN_FUZZ_SECONDS CACHE)
set(fuzz_dir ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
set(long_fuzz_runs)

# name: the target; sources: what it is built from; args: its run options;
# runs: how many inputs the bounded run in every test run tries.
function(add_fuzz_target name sources headers runs)
  set(binary ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${binary}
    COMMAND ${DROVLAN_FUZZ_CXX} -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all -I${PROJECT_SOURCE_DIR} ${sources} -o ${binary}
    DEPENDS ${sources} ${headers} ${PROJECT_SOURCE_DIR}/screen/types.h
    COMMENT "Building the ${name} fuzz target with clang++"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${binary})
  # New inputs go to the build folder's corpus; the starting inputs in the source tree stay.
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${name} COMMAND ${binary} -runs=${runs} -seed=1 ${corpus} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
  # The time comes from DROVLAN_FUZZ_SECONDS in the environment of each run, 600 s without it.
  add_custom_target(
    ${name}_long
    COMMAND sh -c "exec \"$0\" -max_total_time=\"\${DROVLAN_FUZZ_SECONDS:-600}\" \"$@\"" ${binary}
            ${corpus} ${ARGN}
    DEPENDS ${name}
    USES_TERMINAL
    VERBATIM)
endfunction()

add_fuzz_target(
  entry_rules_fuzz "${fuzz_dir}/entry_rules_fuzz.cpp;${PROJECT_SOURCE_DIR}/screen/entry_rules.cpp"
  ${PROJECT_SOURCE_DIR}/screen/entry_rules.h 150000 -max_len=96 -dict=${fuzz_dir}/entry.dict
  ${fuzz_dir}/corpus)
add_fuzz_target(
  number_text_fuzz
  "${fuzz_dir}/number_text_fuzz.cpp;${PROJECT_SOURCE_DIR}/screen/number_text.cpp;${PROJECT_SOURCE_DIR}/screen/entry_rules.cpp"
  ${PROJECT_SOURCE_DIR}/screen/number_text.h 200000 -max_len=64)

# The long runs, one after the other: cmake --build <build> --target fuzz_long
add_custom_target(fuzz_long)
add_dependencies(fuzz_long entry_rules_fuzz_long number_text_fuzz_long)
