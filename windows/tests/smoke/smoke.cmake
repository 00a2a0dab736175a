# The Wine smoke test: sorla.dll registered with regsvr32 and typing into a
# document through Wine's own TSF. Included from windows/CMakeLists.txt.
set(smoke_dir ${CMAKE_CURRENT_LIST_DIR})
add_executable(tsf_smoke ${smoke_dir}/smoke.cpp ${smoke_dir}/text_store.cpp)
target_include_directories(tsf_smoke PRIVATE ${PROJECT_SOURCE_DIR}/windows/tests)
target_link_libraries(tsf_smoke PRIVATE sorla_text_service sorla_warnings)
add_dependencies(tsf_smoke sorla make_index)
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
