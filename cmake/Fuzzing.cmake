# zz_add_fuzz_target(<name> SOURCES ... LIBS ...): a libFuzzer entry point
# (LLVMFuzzerTestOneInput) kept with its corpus in fuzz/corpus/<name>/.
# Every build makes <name>_replay, which ctest runs as fuzz_<name>: it feeds each file of the
# corpus through the entry point once, so a finding kept there stays fixed. A clang build
# with -DZZ_FUZZ=ON also makes <name>_fuzz, the fuzzer itself (scripts/fuzz.sh runs it).
function(zz_add_fuzz_target name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  add_executable(${name}_replay ${F_SOURCES})
  target_link_libraries(${name}_replay PRIVATE zz_fuzzreplay ${F_LIBS})
  add_test(NAME fuzz_${name} COMMAND ${name}_replay ${corpus})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300)
  if(ZZ_FUZZ)
    add_executable(${name}_fuzz ${F_SOURCES})
    target_link_libraries(${name}_fuzz PRIVATE ${F_LIBS})
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  endif()
endfunction()
