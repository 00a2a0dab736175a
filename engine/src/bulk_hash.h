// XXH3-64 of many bytes (a whole index or word data file), with the widest
// vectors the processor has: the same value on every processor and target.
#pragma once

#include <cstdint>
#include <span>

namespace sorla {

std::uint64_t bulk_hash(std::span<const std::uint8_t> bytes);

}  // namespace sorla
