#include "export.h"

#include <algorithm>
#include <map>

namespace sorla::reports {

std::string seed_export(std::vector<SqliteStore::Spelling> spellings) {
  struct Word {
    long long reports = 0;
    std::vector<std::pair<long long, std::string>> spellings;
  };
  std::map<std::string, Word> words;
  for (auto& s : spellings) {
    Word& w = words[s.word];
    w.reports += s.reports;
    w.spellings.emplace_back(s.reports, std::move(s.typed));
  }
  std::vector<std::pair<const std::string*, Word*>> order;
  for (auto& [text, w] : words) {
    std::sort(w.spellings.begin(), w.spellings.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    order.emplace_back(&text, &w);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.second->reports > b.second->reports;
  });

  std::string out = "# Words users meant, from reports; most reported first.\n";
  for (const auto& [text, w] : order) {
    out += *text;
    out += '\t';
    for (std::size_t i = 0; i < w->spellings.size(); ++i) {
      if (i > 0) out += ' ';
      out += w->spellings[i].second;
    }
    out += '\n';
  }
  return out;
}

}  // namespace sorla::reports
