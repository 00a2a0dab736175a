#include "sorla/user_words.h"

#include <algorithm>

#include "sorla/text.h"

namespace sorla {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool is_khmer(char32_t c) { return (c >= 0x1780 && c <= 0x17FF) || (c >= 0x19E0 && c <= 0x19FF); }

// Khmer characters, with the zero-width joiner and non-joiner that Khmer
// text uses between them; at least one Khmer character.
bool is_khmer_word(std::string_view word) {
  if (!is_valid_utf8(word)) return false;
  bool any = false;
  for (std::size_t pos = 0; pos < word.size();) {
    const char32_t c = next_char(word, pos);
    if (is_khmer(c)) {
      any = true;
    } else if (c != 0x200C && c != 0x200D) {
      return false;
    }
  }
  return any;
}

bool is_spelling(std::string_view spelling) {
  return !spelling.empty() && std::all_of(spelling.begin(), spelling.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

std::string lower(std::string_view spelling) {
  std::string out(spelling);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

// The pieces of `text` between runs of Unicode white space; ASCII white
// space only when `text` is not UTF-8.
std::vector<std::string_view> fields(std::string_view text) {
  std::vector<std::string_view> out;
  const bool utf8 = is_valid_utf8(text);
  std::size_t start = 0, pos = 0;
  bool in_field = false;
  while (pos < text.size()) {
    const std::size_t here = pos;
    const char32_t c = utf8 ? next_char(text, pos) : static_cast<unsigned char>(text[pos++]);
    const bool ws = utf8 ? is_white_space(c) : (c == ' ' || (c >= '\t' && c <= '\r'));
    if (ws && in_field) out.push_back(text.substr(start, here - start));
    if (!ws && !in_field) start = here;
    in_field = !ws;
  }
  if (in_field) out.push_back(text.substr(start));
  return out;
}

std::string_view trimmed(std::string_view text) {
  return is_valid_utf8(text) ? trim_white_space(text) : text;
}

// The spellings as stored: lower case, each once, in the order given.
std::vector<std::string> spelling_list(std::string_view spellings) {
  std::vector<std::string> out;
  for (const std::string_view s : fields(spellings)) {
    std::string l = lower(s);
    if (std::find(out.begin(), out.end(), l) == out.end()) out.push_back(std::move(l));
  }
  return out;
}

// One line of the file: where it lies (its line end included) and its
// text without line end, carriage return or byte order mark.
struct Line {
  std::size_t number = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view body;
};

template <typename Fn>
void for_each_line(std::string_view text, Fn&& fn) {
  std::size_t pos = 0;
  for (std::size_t number = 1; pos < text.size(); ++number) {
    const std::size_t newline = text.find('\n', pos);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view body = text.substr(pos, end - pos);
    if (body.ends_with('\n')) body.remove_suffix(1);
    if (body.ends_with('\r')) body.remove_suffix(1);
    if (number == 1 && body.starts_with(kBom)) body.remove_prefix(kBom.size());
    fn(Line{number, pos, end, body});
    pos = end;
  }
}

enum class LineKind { Nothing, Damaged, Word };

// A line's word and spellings, when it is a sound word line.
LineKind read_line(std::string_view body, UserWord& out) {
  const std::string_view t = trimmed(body);
  if (t.empty() || t.front() == '#') return LineKind::Nothing;
  const std::size_t tab = body.find('\t');
  if (tab == std::string_view::npos) return LineKind::Damaged;
  const std::string_view word = trimmed(body.substr(0, tab));
  const std::string_view spellings = body.substr(tab + 1);
  if (!is_valid_utf8(body) || user_word_error(word, spellings)) return LineKind::Damaged;
  out = UserWord{std::string(word), spelling_list(spellings)};
  return LineKind::Word;
}

// The word before a line's tab, sound or not.
std::optional<std::string_view> line_word(std::string_view body) {
  const std::size_t tab = body.find('\t');
  if (tab == std::string_view::npos) return std::nullopt;
  return trimmed(body.substr(0, tab));
}

}  // namespace

std::optional<std::string> user_word_error(std::string_view word, std::string_view spellings) {
  word = trimmed(word);
  if (word.empty()) return "Enter the Khmer word.";
  if (!is_khmer_word(word)) return "The word must be in Khmer script only.";
  const std::vector<std::string_view> list = fields(spellings);
  if (list.empty()) return "Enter how the word is spelled in Latin letters.";
  if (!std::all_of(list.begin(), list.end(), is_spelling)) {
    return "A spelling must be Latin letters only (a to z), several separated by spaces.";
  }
  return std::nullopt;
}

UserWordsRead parse_user_words(std::string_view text) {
  UserWordsRead read;
  for_each_line(text, [&](const Line& line) {
    UserWord word;
    switch (read_line(line.body, word)) {
      case LineKind::Nothing:
        return;
      case LineKind::Damaged:
        read.skipped.push_back(line.number);
        return;
      case LineKind::Word:
        break;
    }
    auto same = std::find_if(read.words.begin(), read.words.end(),
                             [&](const UserWord& w) { return w.word == word.word; });
    if (same == read.words.end()) {
      read.words.push_back(std::move(word));
      return;
    }
    for (std::string& s : word.spellings) {
      if (std::find(same->spellings.begin(), same->spellings.end(), s) == same->spellings.end()) {
        same->spellings.push_back(std::move(s));
      }
    }
  });
  return read;
}

std::optional<std::string> with_user_word(std::string_view text, std::string_view word,
                                          std::string_view spellings) {
  word = trimmed(word);
  std::vector<std::string> missing = spelling_list(spellings);
  std::optional<Line> first;
  for_each_line(text, [&](const Line& line) {
    UserWord sound;
    if (read_line(line.body, sound) != LineKind::Word || sound.word != word) return;
    if (!first) first = line;
    std::erase_if(missing, [&](const std::string& s) {
      return std::find(sound.spellings.begin(), sound.spellings.end(), s) != sound.spellings.end();
    });
  });
  if (missing.empty()) return std::nullopt;

  std::string added;
  for (const std::string& s : missing) added += (added.empty() ? "" : " ") + s;
  std::string out(text);
  if (first) {
    // Onto the end of the line's text, before its line end.
    const std::size_t at =
        static_cast<std::size_t>(first->body.data() - text.data()) + first->body.size();
    const bool after_tab = first->body.ends_with('\t');
    out.insert(at, (after_tab ? "" : " ") + added);
    return out;
  }
  if (!out.empty() && !out.ends_with('\n')) out += '\n';
  out.append(word).append("\t").append(added).append("\n");
  return out;
}

std::optional<std::string> without_user_word(std::string_view text, std::string_view word) {
  word = trimmed(word);
  std::string out;
  bool removed = false;
  for_each_line(text, [&](const Line& line) {
    const auto at = line_word(line.body);
    if (at && *at == word && !word.empty()) {
      removed = true;
      // The byte order mark stays with the file, not with its first line.
      if (line.number == 1 && text.starts_with(kBom)) out += kBom;
      return;
    }
    const std::string_view raw = text.substr(line.begin, line.end - line.begin);
    // A byte order mark opening a later line is that line's: were the line to
    // become the first, it would be read as the file's and the line would
    // change, so an empty first line keeps it in its place.
    if (line.number > 1 && out.empty() && raw.starts_with(kBom)) out += '\n';
    out += raw;
  });
  if (!removed) return std::nullopt;
  return out;
}

}  // namespace sorla

namespace sorla {

UserWordIndex::UserWordIndex(std::vector<UserWord> words) : words_(std::move(words)) {
  for (std::size_t i = 0; i < words_.size(); ++i) {
    for (const std::string& s : words_[i].spellings) entries_.push_back({s, i});
  }
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.spelling != b.spelling ? a.spelling < b.spelling : a.word < b.word;
  });
}

std::vector<std::string_view> UserWordIndex::spelled(std::string_view key) const {
  std::vector<std::string_view> out;
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const Entry& e, std::string_view k) { return e.spelling < k; });
  for (; it != entries_.end() && it->spelling == key; ++it) out.push_back(words_[it->word].word);
  return out;
}

std::vector<std::string_view> UserWordIndex::completing(std::string_view key) const {
  std::vector<const Entry*> found;
  auto it = std::upper_bound(entries_.begin(), entries_.end(), key,
                             [](std::string_view k, const Entry& e) { return k < e.spelling; });
  for (; it != entries_.end() && it->spelling.starts_with(key); ++it) found.push_back(&*it);
  std::stable_sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) {
    return a->spelling.size() != b->spelling.size() ? a->spelling.size() < b->spelling.size()
                                                    : a->word < b->word;
  });
  const std::vector<std::string_view> exact = spelled(key);
  std::vector<std::string_view> out;
  for (const Entry* e : found) {
    const std::string_view word = words_[e->word].word;
    if (std::find(exact.begin(), exact.end(), word) == exact.end() &&
        std::find(out.begin(), out.end(), word) == out.end()) {
      out.push_back(word);
    }
  }
  return out;
}

}  // namespace sorla
