# RapidJSON is header-only. Cross builds must not see the host's whole
# include folder, so expose only the library's own header folder.
find_path(SORLA_RAPIDJSON_INCLUDE rapidjson/reader.h
  PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT SORLA_RAPIDJSON_INCLUDE)
  message(FATAL_ERROR "rapidjson/reader.h not found: install rapidjson-dev")
endif()
set(SORLA_RAPIDJSON_STAGE ${CMAKE_BINARY_DIR}/rapidjson-include)
file(MAKE_DIRECTORY ${SORLA_RAPIDJSON_STAGE})
file(CREATE_LINK ${SORLA_RAPIDJSON_INCLUDE}/rapidjson ${SORLA_RAPIDJSON_STAGE}/rapidjson SYMBOLIC)
add_library(sorla_rapidjson INTERFACE)
target_include_directories(sorla_rapidjson SYSTEM INTERFACE ${SORLA_RAPIDJSON_STAGE})
