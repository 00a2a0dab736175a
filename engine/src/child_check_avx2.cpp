// Built with -mavx2 and called only where the processor has AVX2.
#include "child_check_loop.h"

namespace sorla {

bool children_match_bits_avx2(const std::uint32_t* codes, const std::uint32_t* child_begin,
                              std::size_t count) {
  return children_match_bits_loop(codes, child_begin, count);
}

}  // namespace sorla
