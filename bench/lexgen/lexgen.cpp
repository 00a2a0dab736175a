#include "lexgen.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <span>
#include <string_view>
#include <unordered_set>

#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"

namespace sorla::lexgen {

std::uint64_t Rng::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Rng::skewed(std::uint64_t n) { return std::min({below(n), below(n), below(n)}); }

namespace {

// One syllable part: its romanizations (the first is the usual one) and its
// Khmer text.
struct Part {
  std::vector<std::string_view> roman;
  std::u32string khmer;
};

const std::vector<Part>& onsets() {
  static const std::vector<Part> parts = {
      {{"k", "g"}, U"\u1780"},
      {{"kh", "k"}, U"\u1781"},
      {{"k", "g"}, U"\u1782"},
      {{"ng"}, U"\u1784"},
      {{"ch", "j"}, U"\u1785"},
      {{"chh", "ch"}, U"\u1786"},
      {{"ch", "j"}, U"\u1787"},
      {{"nh", "ny"}, U"\u1789"},
      {{"d"}, U"\u178A"},
      {{"t", "d"}, U"\u178F"},
      {{"th", "t"}, U"\u1790"},
      {{"t"}, U"\u1791"},
      {{"th"}, U"\u1792"},
      {{"n"}, U"\u1793"},
      {{"b"}, U"\u1794"},
      {{"ph", "p"}, U"\u1795"},
      {{"p", "b"}, U"\u1796"},
      {{"ph"}, U"\u1797"},
      {{"m"}, U"\u1798"},
      {{"y"}, U"\u1799"},
      {{"r"}, U"\u179A"},
      {{"l"}, U"\u179B"},
      {{"v", "w"}, U"\u179C"},
      {{"s"}, U"\u179F"},
      {{"h"}, U"\u17A0"},
      {{"", "'"}, U"\u17A2"},
      {{"pr", "br"}, U"\u1794\u17D2\u179A"},
      {{"kr", "gr"}, U"\u1780\u17D2\u179A"},
      {{"sr"}, U"\u179F\u17D2\u179A"},
      {{"tr", "dr"}, U"\u178F\u17D2\u179A"},
      {{"chr", "jr"}, U"\u1785\u17D2\u179A"},
      {{"pl", "bl"}, U"\u1794\u17D2\u179B"},
      {{"kl"}, U"\u1780\u17D2\u179B"},
      {{"sl"}, U"\u179F\u17D2\u179B"},
      {{"kn", "khn"}, U"\u1780\u17D2\u1793"},
      {{"sn"}, U"\u179F\u17D2\u1793"},
      {{"thn", "tn"}, U"\u1790\u17D2\u1793"},
      {{"sm"}, U"\u179F\u17D2\u1798"},
      {{"khm", "km"}, U"\u1781\u17D2\u1798"},
      {{"pt", "pd"}, U"\u1796\u17D2\u178F"},
  };
  return parts;
}

const std::vector<Part>& vowels() {
  static const std::vector<Part> parts = {
      {{"a", "o"}, U""},
      {{"a", "ar"}, U"\u17B6"},
      {{"e", "i"}, U"\u17B7"},
      {{"ei", "ey", "i"}, U"\u17B8"},
      {{"oe", "eu"}, U"\u17B9"},
      {{"eu", "oe"}, U"\u17BA"},
      {{"o", "u"}, U"\u17BB"},
      {{"ou", "u", "o"}, U"\u17BC"},
      {{"uo", "ua", "ou"}, U"\u17BD"},
      {{"aeu", "oe", "ae"}, U"\u17BE"},
      {{"ie", "ea", "ia"}, U"\u17C0"},
      {{"e", "ay", "ei"}, U"\u17C1"},
      {{"ae", "e", "eh"}, U"\u17C2"},
      {{"ai", "ay"}, U"\u17C3"},
      {{"ao", "au", "o"}, U"\u17C4"},
      {{"av", "ov", "au"}, U"\u17C5"},
      {{"am", "um"}, U"\u17B6\u17C6"},
      {{"om", "um"}, U"\u17BB\u17C6"},
      {{"ah", "eah"}, U"\u17C7"},
  };
  return parts;
}

const std::vector<Part>& codas() {
  static const std::vector<Part> parts = {
      {{""}, U""},
      {{""}, U""},
      {{"k", "c"}, U"\u1780\u17CB"},
      {{"ng"}, U"\u1784"},
      {{"n"}, U"\u1793"},
      {{"m"}, U"\u1798"},
      {{"p", "b"}, U"\u1794\u17CB"},
      {{"t", "d"}, U"\u178F\u17CB"},
      {{"ch", "j"}, U"\u1785"},
      {{"nh", "n"}, U"\u1789"},
      {{"l"}, U"\u179B"},
      {{"s", "h"}, U"\u179F\u17CB"},
      {{"y", "i"}, U"\u1799"},
      {{"v", "w"}, U"\u179C"},
  };
  return parts;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

struct Syllable {
  const Part* onset;
  const Part* vowel;
  const Part* coda;
};

template <typename T>
const T& pick(Rng& rng, const std::vector<T>& v) {
  return v[rng.below(v.size())];
}

std::string_view roman_of(Rng& rng, const Part& part, bool usual) {
  return usual ? part.roman[0] : pick(rng, part.roman);
}

// One spelling of the syllables: the usual romanization, or a variant with
// other romanizations, a dropped `h`, or a hyphen between syllables.
std::string spell(Rng& rng, const std::vector<Syllable>& word, bool usual) {
  std::string out;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (i > 0 && !usual && rng.percent(5)) out.push_back('-');
    for (const Part* part : {word[i].onset, word[i].vowel, word[i].coda}) {
      std::string_view r = roman_of(rng, *part, usual);
      if (!usual && r.size() > 1 && r.back() == 'h' && rng.percent(15)) r.remove_suffix(1);
      out += r;
    }
  }
  if (out.empty() || out == "-") out = "a";
  // A spelling that is only an apostrophe folds to nothing: give it a vowel.
  if (out.find_first_not_of("'-") == std::string::npos) out += "a";
  return out;
}

}  // namespace

WordList generate_lexicon(std::size_t word_count, std::uint64_t seed) {
  Rng rng(seed);
  WordList list;
  list.data_name = "synthetic-" + std::to_string(word_count);
  list.entries.reserve(word_count);
  std::unordered_set<std::string> seen;
  while (list.entries.size() < word_count) {
    const std::uint64_t r = rng.below(100);
    const std::size_t syllables = r < 30 ? 1 : r < 80 ? 2 : r < 95 ? 3 : 4;
    std::vector<Syllable> word;
    std::string khmer;
    for (std::size_t s = 0; s < syllables; ++s) {
      Syllable syl{&pick(rng, onsets()), &pick(rng, vowels()), &pick(rng, codas())};
      word.push_back(syl);
      for (const Part* part : {syl.onset, syl.vowel, syl.coda}) {
        for (char32_t c : part->khmer) append_utf8(khmer, c);
      }
    }
    if (!seen.insert(khmer).second) continue;
    WordEntry entry;
    entry.word = std::move(khmer);
    entry.value = static_cast<std::uint32_t>(rng.below(1000000));
    const std::size_t wanted = 1 + rng.skewed(4);
    entry.spellings.push_back(spell(rng, word, true));
    for (int tries = 0; tries < 8 && entry.spellings.size() < wanted; ++tries) {
      std::string s = spell(rng, word, false);
      if (std::find(entry.spellings.begin(), entry.spellings.end(), s) == entry.spellings.end()) {
        entry.spellings.push_back(std::move(s));
      }
    }
    list.entries.push_back(std::move(entry));
  }
  // Pairs among the common words, a few of them repeated.
  const std::uint64_t common =
      std::max<std::uint64_t>(1, std::min<std::uint64_t>(word_count, 2000));
  const std::size_t pair_count = word_count == 0 ? 0 : word_count / 20 + 1;
  for (std::size_t p = 0; p < pair_count; ++p) {
    list.pairs.push_back(PairEntry{static_cast<std::uint32_t>(rng.skewed(common)),
                                   static_cast<std::uint32_t>(rng.skewed(common)),
                                   static_cast<std::uint32_t>(1 + rng.below(500))});
  }
  return list;
}

std::vector<std::uint8_t> lexicon_file(std::size_t word_count, std::uint64_t seed) {
  auto written = write_data_file(generate_lexicon(word_count, seed));
  return std::get<std::vector<std::uint8_t>>(std::move(written));
}

WordList seed_lexicon() {
  const std::span<const std::uint8_t> bytes = seed_words();
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return std::get<WordList>(parse_seed_text(text, ""));
}

namespace {

constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";

std::size_t letter_count(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }));
}

// A common word's spelling, or a random one when a word has none.
std::string some_spelling(Rng& rng, const WordList& lexicon) {
  for (int tries = 0; tries < 16; ++tries) {
    const WordEntry& e = lexicon.entries[rng.skewed(lexicon.entries.size())];
    if (!e.spellings.empty()) return pick(rng, e.spellings);
  }
  return "sabay";
}

std::string with_typo(Rng& rng, std::string text) {
  if (text.size() < 2) return text;
  const std::size_t at = rng.below(text.size());
  if (text[at] == ' ') return text;
  const char letter = kLetters[rng.below(kLetters.size())];
  switch (rng.below(3)) {
    case 0:
      text[at] = letter;
      break;
    case 1:
      text.erase(at, 1);
      break;
    default:
      text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), letter);
  }
  return text;
}

// Every prefix of `text`, one per key, with one backspace-and-retype burst.
std::vector<std::string> keystrokes_of(Rng& rng, const std::string& text, bool retype) {
  std::vector<std::string> keys;
  const std::size_t burst_at =
      retype ? 2 + rng.below(std::max<std::size_t>(1, text.size() - 1)) : 0;
  for (std::size_t len = 1; len <= text.size(); ++len) {
    keys.push_back(text.substr(0, len));
    if (retype && len == burst_at) {
      const std::size_t back = 1 + rng.below(std::min<std::size_t>(3, len - 1));
      for (std::size_t b = 1; b <= back; ++b) keys.push_back(text.substr(0, len - b));
      for (std::size_t b = back; b-- > 1;) keys.push_back(text.substr(0, len - b));
      keys.push_back(text.substr(0, len));
    }
  }
  return keys;
}

std::optional<std::string> some_previous(Rng& rng, const WordList& lexicon) {
  if (lexicon.entries.empty() || rng.percent(50)) return std::nullopt;
  return lexicon.entries[rng.skewed(std::min<std::size_t>(lexicon.entries.size(), 500))].word;
}

}  // namespace

std::vector<TypingCase> generate_typing(const WordList& lexicon, std::size_t cases,
                                        std::uint64_t seed) {
  Rng rng(seed);
  std::vector<TypingCase> out;
  if (lexicon.entries.empty()) return out;
  while (out.size() < cases) {
    const std::size_t words = 1 + rng.below(5);
    std::string text;
    for (std::size_t w = 0; w < words || letter_count(text) < 5; ++w) {
      if (!text.empty() && rng.percent(50)) text.push_back(' ');
      text += some_spelling(rng, lexicon);
    }
    while (letter_count(text) > 40) text.pop_back();
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (rng.percent(30)) text = with_typo(rng, text);
    if (letter_count(text) == 0) continue;
    TypingCase c;
    c.previous = some_previous(rng, lexicon);
    c.keystrokes = keystrokes_of(rng, text, rng.percent(20));
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<TypingCase> worst_cases(const WordList& lexicon, std::uint64_t seed) {
  Rng rng(seed);
  std::string run;
  while (run.size() < 40) {
    std::string s = lexicon.entries.empty() ? "sabay" : some_spelling(rng, lexicon);
    std::erase_if(s, [](char c) { return c == '-' || c == '\''; });
    run += s;
  }
  run.resize(40);
  std::string gibberish;
  for (int i = 0; i < 40; ++i) gibberish.push_back(kLetters[rng.below(kLetters.size())]);
  return {TypingCase{std::nullopt, keystrokes_of(rng, run, false)},
          TypingCase{std::nullopt, keystrokes_of(rng, gibberish, false)}};
}

std::string learned_document(const WordList& list, std::size_t picks) {
  Rng rng(77);
  // Appended piece by piece: GCC 12 warns falsely on literal + string.
  std::string doc = R"({"format":"sorla-learned","version":1,"picks":[)";
  for (std::size_t i = 0; i < picks; ++i) {
    std::string typed;
    for (std::size_t v = i + 1; v > 0; v /= 26) typed.push_back(static_cast<char>('a' + v % 26));
    typed += "ab";
    if (i) doc += ",";
    doc.append(R"({"typed":")").append(typed).append(R"(","picked":")");
    doc.append(list.entries[rng.below(list.entries.size())].word).append("\"");
    if (rng.percent(40)) {
      doc.append(R"(,"previous":")")
          .append(list.entries[rng.below(list.entries.size())].word)
          .append("\"");
    }
    doc.append(R"(,"count":)").append(std::to_string(1 + rng.below(50))).append("}");
  }
  return doc + "]}";
}

}  // namespace sorla::lexgen
