#include "sorla/seed_text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// The spellings in order of first appearance, each once. A short list is
// searched; a long one goes through a hash set, so that a line of n
// spellings reads in time linear in n.
std::vector<std::string> distinct(const std::vector<std::string_view>& written) {
  constexpr std::size_t kSearched = 16;
  std::vector<std::string> out;
  if (written.size() <= kSearched) {
    for (const std::string_view s : written) {
      if (std::find(out.begin(), out.end(), s) == out.end()) out.emplace_back(s);
    }
    return out;
  }
  std::unordered_set<std::string_view> seen(written.size());
  for (const std::string_view s : written) {
    if (seen.insert(s).second) out.emplace_back(s);
  }
  return out;
}

}  // namespace

ReadResult parse_seed_text(std::string_view text, std::string_view data_name) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  WordList list;
  list.data_name = std::string(data_name);
  std::unordered_map<std::string_view, std::size_t> index_of;
  std::vector<std::vector<std::string_view>> written;  // each entry's spellings, repeats and all
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
    if (inserted) {
      list.entries.push_back(WordEntry{std::string(head), {}, 0});
      written.emplace_back();
    }
    std::vector<std::string_view>& spellings = written[it->second];
    for_each_field(rest, [&](std::string_view spelling) { spellings.push_back(spelling); });
  }

  // Each distinct (first, second) and where it stands in the pair list.
  std::unordered_map<std::uint64_t, std::size_t> pair_at;
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
    const auto [at, inserted] = pair_at.try_emplace(std::uint64_t{a} << 32 | b, list.pairs.size());
    if (inserted) {
      list.pairs.push_back(PairEntry{a, b, 1});
    } else {
      ++list.pairs[at->second].count;
    }
  }
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    list.entries[i].spellings = distinct(written[i]);
  }
  return list;
}

}  // namespace sorla
