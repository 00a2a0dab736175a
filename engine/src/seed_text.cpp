#include "sorla/seed_text.h"

#include <string>
#include <unordered_map>
#include <utility>

#include "sorla/text.h"

namespace sorla {
namespace {

ReadError line_error(std::size_t line, const char* ending) {
  return ReadError{"line " + std::to_string(line) + ending};
}

bool is_blank(std::string_view line) { return trim_white_space(line).empty(); }

bool is_comment(std::string_view line) {
  const std::string_view t = trim_white_space(line);
  return !t.empty() && t.front() == '#';
}

// Splits at runs of Unicode white space, dropping empty pieces.
template <typename Fn>
void for_each_field(std::string_view text, Fn&& fn) {
  std::size_t start = 0, pos = 0;
  bool in_field = false;
  while (pos < text.size()) {
    const std::size_t here = pos;
    const bool ws = is_white_space(next_char(text, pos));
    if (ws && in_field) fn(text.substr(start, here - start));
    if (!ws && !in_field) start = here;
    in_field = !ws;
  }
  if (in_field) fn(text.substr(start));
}

struct PendingPair {
  std::size_t line;
  std::string_view rest;
};

}  // namespace

ReadResult parse_seed_text(std::string_view text, std::string_view data_name) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  WordList list;
  list.data_name = std::string(data_name);
  std::unordered_map<std::string_view, std::size_t> index_of;
  std::vector<PendingPair> pending;

  std::size_t line_no = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    ++line_no;
    std::size_t end = text.find('\n', pos);
    std::string_view line =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);

    if (is_blank(line) || is_comment(line)) continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return line_error(line_no, " has no tab");
    const std::string_view head = trim_white_space(line.substr(0, tab));
    const std::string_view rest = line.substr(tab + 1);
    if (head == "pair") {
      pending.push_back({line_no, rest});  // resolved once every word is known
      continue;
    }
    if (head.empty()) return line_error(line_no, " has no Khmer word");

    auto [it, inserted] = index_of.try_emplace(head, list.entries.size());
    if (inserted) list.entries.push_back(WordEntry{std::string(head), {}, 0});
    WordEntry& entry = list.entries[it->second];
    for_each_field(rest, [&](std::string_view spelling) {
      for (const std::string& have : entry.spellings) {
        if (have == spelling) return;
      }
      entry.spellings.emplace_back(spelling);
    });
  }

  for (const PendingPair& p : pending) {
    const std::size_t space = p.rest.find(' ');
    if (space == std::string_view::npos) return line_error(p.line, " pairs unknown words");
    const auto first = index_of.find(trim_white_space(p.rest.substr(0, space)));
    const auto second = index_of.find(trim_white_space(p.rest.substr(space + 1)));
    if (first == index_of.end() || second == index_of.end()) {
      return line_error(p.line, " pairs unknown words");
    }
    const auto a = static_cast<std::uint32_t>(first->second);
    const auto b = static_cast<std::uint32_t>(second->second);
    bool merged = false;
    for (PairEntry& pair : list.pairs) {
      if (pair.first == a && pair.second == b) {
        ++pair.count;
        merged = true;
        break;
      }
    }
    if (!merged) list.pairs.push_back(PairEntry{a, b, 1});
  }
  return list;
}

}  // namespace sorla
