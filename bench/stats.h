// Percentiles and a JSON object writer for the benchmarks, natively and in the
// Windows ones under Wine alike: nothing platform-specific here.
#pragma once

#include <rapidjson/document.h>

#include <string>
#include <vector>

namespace sorla::bench {

// Nearest-rank percentile of a sample; q in [0, 1].
double percentile(std::vector<double> sample, double q);

// An ordered JSON object of numbers, strings and nested objects. Numbers are
// written to three decimals at most, so counts read as integers.
class Json {
 public:
  Json();
  Json(const Json& other);
  Json& operator=(const Json& other);

  Json& num(const std::string& key, double value);
  Json& str(const std::string& key, const std::string& value);
  Json& obj(const std::string& key, const Json& value);
  std::string text() const;

 private:
  rapidjson::Value string(const std::string& text);

  rapidjson::Document doc_;
};

}  // namespace sorla::bench
