#include "sorla/lexicon/look_alike.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "sorla/text.h"

namespace sorla::lexicon {
namespace {

constexpr char32_t kCoeng = 0x17d2;

bool is_mark(char32_t c) { return (c >= 0x17b6 && c <= 0x17d3) || c == 0x17dd; }

// Where a sign stands in a cluster as Khmer is usually typed: subscripts
// (subscript ro last, it draws to the left of them all), the series shifters,
// robat, the vowel, then the signs after the vowel.
int place(char32_t mark, char32_t sub) {
  if (mark == kCoeng) return sub == 0x179a ? 1 : 0;
  if (mark == 0x17c9 || mark == 0x17ca) return 2;
  if (mark == 0x17cc) return 3;
  if (mark <= 0x17c5) return 4;
  return 5;
}

struct Sign {
  char32_t mark, sub;  // sub: the letter after a coeng
};

std::u32string decode(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) out += next_char(text, i);
  return out;
}

void append(std::string& out, char32_t c) { append_utf8(out, c); }

// The text with each cluster's signs in the usual order; `key` also writes
// one form for letters and vowels that draw alike.
std::string ordered(std::string_view text, bool key) {
  const std::u32string in = decode(text);
  std::string out;
  std::size_t i = 0;
  while (i < in.size()) {
    char32_t base = in[i++];
    if (key && (base == 0x200b || base == 0x200c || base == 0x200d)) continue;
    std::vector<Sign> signs;
    while (i < in.size() && (is_mark(in[i]) || in[i] == 0x200c || in[i] == 0x200d)) {
      const char32_t c = in[i++];
      if (c == 0x200c || c == 0x200d) {
        if (!key) signs.push_back({c, 0});
        continue;
      }
      char32_t sub = 0;
      if (c == kCoeng && i < in.size() && !is_mark(in[i])) sub = in[i++];
      signs.push_back({c, sub});
    }
    std::stable_sort(signs.begin(), signs.end(), [](const Sign& a, const Sign& b) {
      const bool ja = a.mark == 0x200c || a.mark == 0x200d,
                 jb = b.mark == 0x200c || b.mark == 0x200d;
      if (ja || jb) return false;
      return place(a.mark, a.sub) < place(b.mark, b.sub);
    });
    if (key) {
      if (base == 0x17a3) base = 0x17a2;  // ឣ draws as អ
      if (base == 0x17a4) {               // ឤ draws as អា
        base = 0x17a2;
        signs.insert(signs.begin(), {0x17b6, 0});
      }
      for (std::size_t k = 0; k + 1 < signs.size(); ++k) {
        // េ with ា draws as ោ, េ with ី as ើ.
        if (signs[k].mark != 0x17c1) continue;
        const char32_t next = signs[k + 1].mark;
        if (next == 0x17b6 || next == 0x17b8) {
          signs[k].mark = next == 0x17b6 ? 0x17c4 : 0x17be;
          signs.erase(signs.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        }
      }
    }
    append(out, base);
    for (Sign s : signs) {
      if (key && s.sub == 0x178a) s.sub = 0x178f;  // subscript ដ draws as subscript ត
      append(out, s.mark);
      if (s.sub) append(out, s.sub);
    }
  }
  return out;
}

}  // namespace

std::string look_key(std::string_view khmer) { return ordered(khmer, true); }

std::string modern_key(std::string_view khmer) {
  std::string key = look_key(khmer);
  static const std::string sha = "\u179D", ssa = "\u179E", sa = "\u179F";
  for (const std::string* old : {&sha, &ssa}) {
    for (auto at = key.find(*old); at != std::string::npos; at = key.find(*old, at)) {
      key.replace(at, old->size(), sa);
    }
  }
  return key;
}

bool has_obsolete_letter(std::string_view khmer) {
  return khmer.find("\u179D") != std::string_view::npos ||
         khmer.find("\u179E") != std::string_view::npos;
}

std::vector<CountedWord> one_word_per_look(const std::vector<std::string>& reserved,
                                           std::vector<CountedWord> words) {
  std::unordered_set<std::string> taken;
  for (const std::string& word : reserved) taken.insert(modern_key(word));
  std::unordered_map<std::string, std::size_t> group_of;  // key -> index in `out`
  std::vector<CountedWord> out;
  auto better = [](const CountedWord& a, const CountedWord& b) {
    auto rank = [](const CountedWord& w) {
      return std::make_tuple(has_obsolete_letter(w.word), ordered(w.word, false) != w.word,
                             -w.score.value_or(-1));
    };
    return rank(a) != rank(b) ? rank(a) < rank(b) : a.word < b.word;
  };
  for (CountedWord& w : words) {
    std::string key = modern_key(w.word);
    if (taken.count(key)) continue;
    const auto [it, inserted] = group_of.try_emplace(std::move(key), out.size());
    if (inserted) {
      out.push_back(std::move(w));
      continue;
    }
    CountedWord& kept = out[it->second];
    std::optional<double> sum = kept.score;
    if (w.score) sum = sum.value_or(0) + *w.score;
    if (better(w, kept)) std::swap(kept.word, w.word);
    kept.merged.push_back(std::move(w.word));
    kept.score = sum;
  }
  return out;
}

}  // namespace sorla::lexicon
