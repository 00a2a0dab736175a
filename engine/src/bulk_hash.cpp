#include "bulk_hash.h"

#include <xxhash.h>

#include "avx2.h"

namespace sorla {

#ifdef SORLA_AVX2
// bulk_hash_avx2.cpp, built for AVX2 alone (engine/CMakeLists.txt).
std::uint64_t bulk_hash_avx2(const void* bytes, std::size_t size);
#endif

std::uint64_t bulk_hash(std::span<const std::uint8_t> bytes) {
#ifdef SORLA_AVX2
  // Opening an index hashes tens of MB: AVX2 halves the instructions of
  // the baseline's SSE2.
  if (has_avx2()) return bulk_hash_avx2(bytes.data(), bytes.size());
#endif
  return XXH3_64bits(bytes.data(), bytes.size());
}

}  // namespace sorla
