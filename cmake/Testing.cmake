# zz_add_test_program(<name> SOURCES ... LIBS ...): one GoogleTest program run by ctest.
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
endfunction()
