# zz_add_test_program(<name> SOURCES ... LIBS ...): one GoogleTest program run by ctest.

# These programs run the communication program or stand in for it. Its TCP ports and the
# local sockets named after the programs' captions exist once per machine, so they take turns.
set(ZZ_COMM_ENDPOINT_TESTS reruzida_tests e2e_tests entrance_tests units_tests maintenance_tests)

function(zz_add_test_program name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE zz_testmain ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZZ_BUILD_DIR=${CMAKE_BINARY_DIR};ZZ_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(name IN_LIST ZZ_COMM_ENDPOINT_TESTS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK comm_endpoints)
  endif()
endfunction()
