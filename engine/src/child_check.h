// Whether each node of a stored tree has as many children as character
// bits, no bit beyond the characters and child ranges that start below
// 2^31 (index_file.cpp), with the widest vectors the processor has: the
// check reads millions of nodes when an application starts typing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorla {

// `child_begin` holds count + 1 starts, `codes` count bit sets.
bool children_match_bits(const std::uint32_t* codes, const std::uint32_t* child_begin,
                         std::size_t count);

}  // namespace sorla
