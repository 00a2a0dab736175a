# Writes INPUT as a C++ byte array behind sorla::FUNCTION() (seed_words()
# unless told).
if(NOT FUNCTION)
  set(FUNCTION seed_words)
endif()
get_filename_component(input_name ${INPUT} NAME)
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${input_name} at build time.
#include <cstdint>
#include <span>

namespace sorla {
namespace {
const std::uint8_t kBytes[${size}] = {
${bytes}
};
}  // namespace

std::span<const std::uint8_t> ${FUNCTION}() { return kBytes; }
}  // namespace sorla
")
