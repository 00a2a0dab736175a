#include "stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorla::bench {

double percentile(std::vector<double> sample, double q) {
  if (sample.empty()) return 0;
  std::sort(sample.begin(), sample.end());
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sample.size())));
  return sample[std::min(sample.size() - 1, rank == 0 ? 0 : rank - 1)];
}

Json& Json::num(const std::string& key, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", value);
  std::string s = buf;
  // Trim needless decimals so counts read as integers.
  while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
    const bool dot = s.back() == '.';
    s.pop_back();
    if (dot) break;
  }
  members_.emplace_back(key, s);
  return *this;
}

Json& Json::str(const std::string& key, const std::string& value) {
  std::string s = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') s.push_back('\\');
    if (static_cast<unsigned char>(c) >= 0x20) s.push_back(c);
  }
  members_.emplace_back(key, s + "\"");
  return *this;
}

Json& Json::obj(const std::string& key, const Json& value) {
  members_.emplace_back(key, value.text());
  return *this;
}

std::string Json::text() const {
  std::string out = "{";
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (i) out += ", ";
    out += "\"" + members_[i].first + "\": " + members_[i].second;
  }
  return out + "}";
}

}  // namespace sorla::bench
