#include "sorla/lexicon/reported.h"

#include <set>
#include <sstream>
#include <unordered_map>

#include "sorla/lexicon/look_alike.h"
#include "sorla/normalize.h"

namespace sorla::lexicon {
namespace {

// Longer texts are not phrases people report.
constexpr std::size_t kMaxParts = 8;

void add_spelling(Entry& entry, const std::string& spelling) {
  const std::string key = fold(spelling);
  if (key.empty()) return;
  for (const std::string& s : entry.spellings) {
    if (fold(s) == key) return;
  }
  entry.spellings.push_back(spelling);
}

// Byte offsets where a Khmer character starts, and the end.
std::vector<std::size_t> char_starts(const std::string& text) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) out.push_back(i);
  }
  out.push_back(text.size());
  return out;
}

// The listed words `word` reads as, each typed as one of its spellings in
// `typed`'s order; empty when there is no such reading of two words or more.
std::vector<std::size_t> phrase_parts(const std::string& word, const std::string& typed,
                                      const std::vector<Entry>& entries,
                                      const std::unordered_map<std::string, std::size_t>& index) {
  const auto starts = char_starts(word);
  const std::string goal = fold(typed);
  struct Step {
    std::size_t at, typed_at;
    std::vector<std::size_t> parts;
  };
  std::vector<Step> todo{{0, 0, {}}};
  std::set<std::pair<std::size_t, std::size_t>> seen;  // (at, typed_at) already tried
  while (!todo.empty()) {
    Step step = std::move(todo.back());
    todo.pop_back();
    if (!seen.insert({step.at, step.typed_at}).second) continue;
    if (step.at + 1 == starts.size() && step.typed_at == goal.size()) {
      if (step.parts.size() >= 2) return step.parts;
      continue;
    }
    if (step.parts.size() == kMaxParts) continue;
    for (std::size_t end = step.at + 1; end < starts.size(); ++end) {
      const auto found =
          index.find(modern_key(word.substr(starts[step.at], starts[end] - starts[step.at])));
      if (found == index.end()) continue;
      for (const std::string& spelling : entries[found->second].spellings) {
        const std::string part = fold(spelling);
        if (part.empty() || goal.compare(step.typed_at, part.size(), part) != 0) continue;
        Step next{end, step.typed_at + part.size(), step.parts};
        next.parts.push_back(found->second);
        todo.push_back(std::move(next));
      }
    }
  }
  return {};
}

}  // namespace

Feedback apply_reports(std::string_view text, std::vector<Entry>& entries) {
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < entries.size(); ++i)
    index.try_emplace(modern_key(entries[i].word), i);
  Feedback out;
  std::unordered_map<std::string, std::size_t> added;  // key -> index in out.added
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    std::string word = line.substr(0, tab);
    for (auto at = word.find("\u200B"); at != std::string::npos; at = word.find("\u200B")) {
      word.erase(at, 3);
    }
    if (word.empty()) continue;
    std::istringstream spellings(line.substr(tab + 1));
    for (std::string typed; spellings >> typed;) {
      const std::string key = modern_key(word);
      if (const auto found = index.find(key); found != index.end()) {
        add_spelling(entries[found->second], typed);
        continue;
      }
      const auto parts = phrase_parts(word, typed, entries, index);
      for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        out.pairs.emplace_back(entries[parts[i]].word, entries[parts[i + 1]].word);
      }
      if (!parts.empty()) continue;
      const auto [at, inserted] = added.try_emplace(key, out.added.size());
      if (inserted) out.added.push_back({word, {}});
      add_spelling(out.added[at->second], typed);
    }
  }
  return out;
}

}  // namespace sorla::lexicon
