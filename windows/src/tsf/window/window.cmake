# The candidate window with its UI Automation tree, and the language-bar icon
# drawing and pop-up menu, with their tests.
# Included from windows/CMakeLists.txt after sorla_win_base is defined.
set(window_dir ${CMAKE_CURRENT_LIST_DIR})
set(window_tests_dir ${PROJECT_SOURCE_DIR}/windows/tests/window)

add_library(sorla_candidate_ui STATIC
  ${window_dir}/candidate_window.cpp
  ${window_dir}/font_set.cpp
  ${window_dir}/layout.cpp
  ${window_dir}/paint.cpp
  ${window_dir}/window_class.cpp
  ${window_dir}/../langbar/icon.cpp
  ${window_dir}/../langbar/menu.cpp
  ${window_dir}/../uia/candidate_tree.cpp
  ${window_dir}/../uia/core_calls.cpp
  ${window_dir}/../uia/item_provider.cpp
  ${window_dir}/../uia/list_provider.cpp
  ${window_dir}/../uia/values.cpp)
target_link_libraries(sorla_candidate_ui
  PUBLIC sorla_win_base user32 gdi32 dwmapi shcore
  PRIVATE sorla_warnings)

if(SORLA_TESTS)
  add_library(sorla_window_test_support STATIC
    ${window_tests_dir}/support/png.cpp
    ${window_tests_dir}/support/wine_env.cpp
    ${window_tests_dir}/support/capture.cpp)
  target_include_directories(sorla_window_test_support PUBLIC ${window_tests_dir})
  target_link_libraries(sorla_window_test_support
    PUBLIC sorla_candidate_ui sorla_engine advapi32 PRIVATE sorla_warnings)

  file(GLOB window_test_sources CONFIGURE_DEPENDS ${window_tests_dir}/*.cpp)
  add_executable(window_tests ${window_test_sources})
  sorla_test_programs(window_tests)
  target_link_libraries(window_tests
    PRIVATE sorla_window_test_support GTest::gtest GTest::gtest_main sorla_warnings)
  # Real windows need a display: a virtual one when none is there. The tests
  # change the Wine prefix's DPI, fonts and theme for the processes they start.
  add_test(NAME window_tests
    COMMAND sh ${window_tests_dir}/with_display.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run
            $<TARGET_FILE:window_tests> --gtest_brief=1)
  set_tests_properties(window_tests PROPERTIES TIMEOUT 900
    ENVIRONMENT "SORLA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
    RESOURCE_LOCK sorla_wine_registry)

  # `make screenshots`: PNGs of the candidate row and the icons.
  add_executable(window_screenshots ${window_tests_dir}/screenshots/screenshots.cpp)
  target_link_libraries(window_screenshots PRIVATE sorla_window_test_support sorla_warnings)
endif()
