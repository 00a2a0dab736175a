// Percentiles and a small JSON writer for the benchmarks, natively and in the
// Windows ones under Wine alike: nothing platform-specific here.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sorla::bench {

// Nearest-rank percentile of a sample; q in [0, 1].
double percentile(std::vector<double> sample, double q);

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
