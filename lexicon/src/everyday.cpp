#include "sorla/lexicon/everyday.h"

#include <algorithm>
#include <functional>

namespace sorla::lexicon {

namespace {

constexpr std::string_view kBlank = " \t\r";

std::string_view trimmed(std::string_view s) {
  const std::size_t begin = s.find_first_not_of(kBlank);
  if (begin == std::string_view::npos) return {};
  return s.substr(begin, s.find_last_not_of(kBlank) - begin + 1);
}

}  // namespace

EverydayList read_everyday(std::string_view text) {
  EverydayList out;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view raw = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    std::string_view line = trimmed(raw);
    if (line.empty() || line[0] == '#') continue;
    const bool first_tier = line[0] == '+';
    if (first_tier) line = trimmed(line.substr(1));
    if (line.empty() || line.find_first_of(kBlank) != std::string_view::npos) {
      out.unusable.emplace_back(number, std::string(trimmed(raw)));
    } else {
      out.words.push_back({std::string(line), first_tier});
    }
  }
  return out;
}

void raise_everyday(std::map<std::string, double>& score, const std::vector<EverydayTier>& tiers) {
  if (score.empty()) return;
  std::vector<double> values;
  values.reserve(score.size());
  for (const auto& [word, value] : score) values.push_back(value);
  std::sort(values.begin(), values.end(), std::greater<>());
  // Every floor first: a tier lifted early must not move another's place.
  std::vector<double> floors;
  for (const EverydayTier& tier : tiers) {
    floors.push_back(tier.place == 0 ? 0 : values[std::min(tier.place, values.size()) - 1]);
  }
  for (std::size_t i = 0; i < tiers.size(); ++i) {
    if (tiers[i].place == 0) continue;
    for (const std::string& word : tiers[i].words) {
      auto [it, added] = score.emplace(word, floors[i]);
      if (!added) it->second = std::max(it->second, floors[i]);
    }
  }
}

}  // namespace sorla::lexicon
