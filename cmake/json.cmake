# nlohmann-json is header-only. Cross builds must not see the host's whole
# include folder, so expose only the library's own header folder.
find_path(SORLA_JSON_INCLUDE nlohmann/json.hpp
  PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT SORLA_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
set(SORLA_JSON_STAGE ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${SORLA_JSON_STAGE})
file(CREATE_LINK ${SORLA_JSON_INCLUDE}/nlohmann ${SORLA_JSON_STAGE}/nlohmann SYMBOLIC)
add_library(sorla_json INTERFACE)
target_include_directories(sorla_json SYSTEM INTERFACE ${SORLA_JSON_STAGE})
