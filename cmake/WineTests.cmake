# Test programs are Windows executables; CTest runs each one whole under Wine
# in the bench prefix (one process start per program, not per test case).
set(BENCH_DIR ${CMAKE_BINARY_DIR}/winebench CACHE INTERNAL "")
set(BENCH_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run.sh CACHE INTERNAL "")
# Every test that runs a Windows program passes this on, so that the Wine
# scripts pick the loader and prefix of this build's architecture.
set(WINE_TEST_ENV "ARKENFEL_ARCH=${ARKENFEL_ARCH}" CACHE INTERNAL "")

# arkenfel_add_gtest(NAME n SOURCES ... [LIBRARIES ...] [TIMEOUT s] [DEPENDS targets...]
#                    [ENVIRONMENT VAR=value...] [RESOURCE_LOCK names...])
# DEPENDS names targets whose files the test uses at run time (fixtures, the
# built programs); they are built with the test.
function(arkenfel_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBRARIES;DEPENDS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} test_support GTest::gtest)
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${BENCH_RUN} ${BENCH_DIR} $<TARGET_FILE:${T_NAME}> --gtest_color=no)
  # Under Wine a program that dies half way may still end with status 0: the
  # test passes only on GoogleTest's own summary of a run with no failure.
  set_tests_properties(${T_NAME} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]"
    FIXTURES_REQUIRED wine_bench
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${WINE_TEST_ENV};ARKENFEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};ARKENFEL_BINARY_DIR=${CMAKE_BINARY_DIR};ARKENFEL_BENCH_DIR=${BENCH_DIR};${T_ENVIRONMENT}")
  if(T_RESOURCE_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
