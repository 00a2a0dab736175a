// Timing, percentiles, memory and JSON output for the benchmark.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sorla::bench {

using Clock = std::chrono::steady_clock;

inline double micros_since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Nearest-rank percentile of a sample; q in [0, 1].
double percentile(std::vector<double> sample, double q);

// Bytes currently held through operator new in this process.
std::int64_t heap_bytes();
// Allocations through operator new so far in this process.
std::int64_t allocation_count();
// Peak resident set of the process, in bytes.
std::int64_t peak_rss_bytes();

std::string machine_name();

// A small ordered JSON object writer: numbers, strings and nested objects.
class Json {
 public:
  Json& num(const std::string& key, double value);
  Json& str(const std::string& key, const std::string& value);
  Json& obj(const std::string& key, const Json& value);
  std::string text() const;

 private:
  std::vector<std::pair<std::string, std::string>> members_;
};

}  // namespace sorla::bench
