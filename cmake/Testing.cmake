# zz_add_test_program(<name> SOURCES ... LIBS ... [TIMEOUT s]): one GoogleTest program whose
# tests ctest runs one by one, each in a process of its own, so they spread over the cores.
# A test is named after its program ("reruzida_tests.CommRules.ScanFinds..."), which is also
# its label: `ctest -R reruzida` or `ctest -L reruzida_tests` picks one program's tests.
# Each process has its own runtime folder and request ports (tests/common/TestMain.cpp), so no
# two tests share a local socket or a TCP port.
include(GoogleTest)

function(zz_add_test_program name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE zz_testmain ${T_LIBS})
  # The tests are listed when ctest starts, in its environment (a sanitizer's options too);
  # listing starts the program, which a loaded machine may make slow.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${name})
endfunction()
