# xxHash, used header-only (XXH_INLINE_ALL) for the index file's checksums
# and the word table's hash. As with the JSON library, cross builds see only
# its header, staged in the build tree.
find_file(SORLA_XXHASH_HEADER xxhash.h
  PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT SORLA_XXHASH_HEADER)
  message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev")
endif()
set(SORLA_XXHASH_STAGE ${CMAKE_BINARY_DIR}/xxhash-include)
file(MAKE_DIRECTORY ${SORLA_XXHASH_STAGE})
file(CREATE_LINK ${SORLA_XXHASH_HEADER} ${SORLA_XXHASH_STAGE}/xxhash.h SYMBOLIC)
add_library(sorla_xxhash INTERFACE)
target_include_directories(sorla_xxhash SYSTEM INTERFACE ${SORLA_XXHASH_STAGE})
target_compile_definitions(sorla_xxhash INTERFACE XXH_INLINE_ALL)
