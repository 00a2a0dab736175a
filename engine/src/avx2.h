// Whether the processor runs the AVX2 versions of the bulk loops, asked
// once. Only builds that carry those versions define SORLA_AVX2
// (engine/CMakeLists.txt), and only they have this.
#pragma once

#ifdef SORLA_AVX2
namespace sorla {

inline bool has_avx2() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

}  // namespace sorla
#endif
