# The Wine smoke test: sorla.dll registered with regsvr32 and typing into a
# document through Wine's own TSF. Included from windows/CMakeLists.txt.
set(smoke_dir ${CMAKE_CURRENT_LIST_DIR})
# The document and the thin thread manager, shared with the key-path bench.
add_library(sorla_tsf_host STATIC ${smoke_dir}/text_store.cpp ${smoke_dir}/tsf_host.cpp)
target_include_directories(sorla_tsf_host PUBLIC ${PROJECT_SOURCE_DIR}/windows/tests)
target_link_libraries(sorla_tsf_host PUBLIC sorla_win_base PRIVATE sorla_warnings)
add_executable(tsf_smoke ${smoke_dir}/smoke.cpp)
target_link_libraries(tsf_smoke PRIVATE sorla_tsf_host sorla_text_service sorla_warnings)
add_dependencies(tsf_smoke sorla make_index)
sorla_test_programs(tsf_smoke make_index)
add_executable(make_index ${smoke_dir}/make_index.cpp)
target_link_libraries(make_index PRIVATE sorla_engine sorla_warnings)
# The index's name, from the DLL's own header.
target_include_directories(make_index PRIVATE ${PROJECT_SOURCE_DIR}/windows/src)
add_test(NAME tsf_smoke
  COMMAND sh ${smoke_dir}/smoke_test.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run
          $<TARGET_FILE:sorla> $<TARGET_FILE:tsf_smoke> ${CMAKE_SYSTEM_PROCESSOR}
          ${PROJECT_SOURCE_DIR}/data/lexicon/words.srla $<TARGET_FILE:make_index>)
set_tests_properties(tsf_smoke PROPERTIES TIMEOUT 900
  ENVIRONMENT "SORLA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  RESOURCE_LOCK sorla_wine_registry)
