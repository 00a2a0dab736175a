#include "sorla/lexicon/everyday.h"

#include <algorithm>
#include <functional>

namespace sorla::lexicon {

std::vector<std::string> read_everyday(std::string_view text) {
  std::vector<std::string> words;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line[0] != '#') words.emplace_back(line);
  }
  return words;
}

void raise_everyday(std::map<std::string, double>& score, const std::set<std::string>& everyday,
                    std::size_t place) {
  if (score.empty() || place == 0) return;
  std::vector<double> values;
  values.reserve(score.size());
  for (const auto& [word, value] : score) values.push_back(value);
  std::sort(values.begin(), values.end(), std::greater<>());
  const double floor = values[std::min(place, values.size()) - 1];
  for (const std::string& word : everyday) {
    auto [it, added] = score.emplace(word, floor);
    if (!added) it->second = std::max(it->second, floor);
  }
}

}  // namespace sorla::lexicon
