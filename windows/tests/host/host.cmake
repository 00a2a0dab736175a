# The TSF test host: the text service driven through fake TSF objects, and
# the unit tests of the service's parts. Included from windows/CMakeLists.txt.
set(host_dir ${CMAKE_CURRENT_LIST_DIR})
file(GLOB host_test_sources CONFIGURE_DEPENDS ${host_dir}/*.cpp)
add_executable(tsf_host_tests ${host_test_sources})
sorla_test_programs(tsf_host_tests)
target_include_directories(tsf_host_tests PRIVATE ${PROJECT_SOURCE_DIR}/windows/tests)
target_link_libraries(tsf_host_tests
  PRIVATE sorla_text_service sorla_candidate_ui GTest::gtest GTest::gtest_main sorla_warnings)
# The candidate window is real: it needs a display.
add_test(NAME tsf_host_tests
  COMMAND sh ${PROJECT_SOURCE_DIR}/windows/tests/window/with_display.sh
          ${PROJECT_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:tsf_host_tests> --gtest_brief=1)
set_tests_properties(tsf_host_tests PROPERTIES TIMEOUT 900
  ENVIRONMENT "SORLA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  RESOURCE_LOCK sorla_wine_registry)

# Stress through the built sorla.dll, with the same fake application.
add_executable(tsf_stress_tests ${host_dir}/stress/stress_test.cpp ${host_dir}/document.cpp
  ${host_dir}/fake_context.cpp ${host_dir}/fake_thread_mgr.cpp)
target_include_directories(tsf_stress_tests PRIVATE ${PROJECT_SOURCE_DIR}/windows/tests)
target_link_libraries(tsf_stress_tests
  PRIVATE sorla_text_service GTest::gtest GTest::gtest_main sorla_warnings)
add_dependencies(tsf_stress_tests sorla)
sorla_test_programs(tsf_stress_tests)
add_test(NAME tsf_stress_tests
  COMMAND sh ${PROJECT_SOURCE_DIR}/windows/tests/window/with_display.sh
          ${PROJECT_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:tsf_stress_tests> --gtest_brief=1)
set_tests_properties(tsf_stress_tests PROPERTIES TIMEOUT 900
  ENVIRONMENT "SORLA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  RESOURCE_LOCK sorla_wine_registry)
