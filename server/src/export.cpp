#include "export.h"

#include <algorithm>
#include <map>

namespace sorla::reports {

std::string seed_export(std::vector<Store::Spelling> spellings) {
  struct Word {
    long long reports = 0;
    std::map<std::string, long long> by_spelling;
    std::vector<std::pair<long long, std::string>> spellings;
  };
  std::map<std::string, Word> words;
  for (auto& s : spellings) {
    Word& w = words[s.word];
    w.reports += s.reports;
    // Typed words run together: seed text parts spellings at spaces, and a
    // typed text is matched by its letters alone ("sa-ek b'n" as "sa-ekb'n").
    std::erase(s.typed, ' ');
    w.by_spelling[s.typed] += s.reports;
  }
  std::vector<std::pair<const std::string*, Word*>> order;
  for (auto& [text, w] : words) {
    for (auto& [typed, reports] : w.by_spelling) w.spellings.emplace_back(reports, typed);
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
