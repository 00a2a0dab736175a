// Built with -mavx2 and called only where the processor has AVX2. It
// includes nothing with inline functions of external linkage (xxhash's are
// static here), so no AVX2 copy of a shared function can be picked by the
// linker for code that runs elsewhere.
#include <xxhash.h>

#include <cstddef>
#include <cstdint>

namespace sorla {

std::uint64_t bulk_hash_avx2(const void* bytes, std::size_t size) {
  return XXH3_64bits(bytes, size);
}

}  // namespace sorla
