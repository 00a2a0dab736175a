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

std::vector<std::string> most_frequent_first(const std::map<std::string, double>& score,
                                             const std::vector<EverydayTier>& tiers) {
  std::vector<double> values;
  values.reserve(score.size());
  for (const auto& [word, value] : score) values.push_back(value);
  std::sort(values.begin(), values.end(), std::greater<>());
  // Every floor from the scores as given: a tier lifted early must not move
  // another's place.
  std::map<std::string, double> raised = score;
  for (const EverydayTier& tier : tiers) {
    if (tier.place == 0 || values.empty()) continue;
    const double floor = values[std::min(tier.place, values.size()) - 1];
    for (const std::string& word : tier.words) {
      auto [it, added] = raised.emplace(word, floor);
      if (!added) it->second = std::max(it->second, floor);
    }
  }
  struct Ranked {
    double score, own;
    const std::string* word;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(raised.size());
  for (const auto& [word, value] : raised) {
    const auto own = score.find(word);
    ranked.push_back({value, own == score.end() ? 0 : own->second, &word});
  }
  std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    if (a.score != b.score) return a.score > b.score;
    return a.own != b.own ? a.own > b.own : *a.word < *b.word;
  });
  std::vector<std::string> out;
  out.reserve(ranked.size());
  for (const Ranked& r : ranked) out.push_back(*r.word);
  return out;
}

}  // namespace sorla::lexicon
