# GoogleTest: the system package natively, built from Debian's googletest
# sources for the cross builds.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # googletest 1.11 and later name these themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# Every program a test runs: the trees that need nothing else build only this
# target (make's build/asan and build/x86).
add_custom_target(test_programs)
function(sorla_test_programs)
  add_dependencies(test_programs ${ARGN})
endfunction()

# One test binary per module; under a cross build ctest runs it through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine).
function(sorla_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main sorla_warnings)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  sorla_test_programs(${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "SORLA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endfunction()
