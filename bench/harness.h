// Timing, memory and the machine for the benchmark; percentiles and JSON
// output in stats.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "stats.h"

namespace sorla::bench {

using Clock = std::chrono::steady_clock;

inline double micros_since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Bytes currently held through operator new in this process.
std::int64_t heap_bytes();
// Allocations through operator new so far in this process.
std::int64_t allocation_count();
// Peak resident set of the process, in bytes.
std::int64_t peak_rss_bytes();

std::string machine_name();

}  // namespace sorla::bench
