// How well chat spellings find their words: the romanizer measured against
// the hand-written spellings of the seed list, and the shipped word data
// measured by typing those spellings (and a development set of everyday
// words outside the seed list) into a real engine.
//
//   lexicon_eval SEED.txt WORDS(.txt|.srla) DEV.tsv
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "read_file.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/lexicon/romanize.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace {

using sorla::Engine;
using sorla::WordList;

WordList read_list(const std::string& bytes, const char* path) {
  auto result = sorla::read_word_data(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (const auto* error = std::get_if<sorla::ReadError>(&result)) {
    throw std::runtime_error(std::string(path) + ": " + error->message);
  }
  return std::move(std::get<WordList>(result));
}

Engine engine_of(const WordList& list) {
  const auto bytes = std::get<std::vector<std::uint8_t>>(sorla::write_data_file(list));
  return std::move(std::get<Engine>(Engine::from_bytes(bytes)));
}

// Vowel-less abbreviations ("kh", "mn", "pp") are shorthand no rule derives.
bool is_abbreviation(const std::string& spelling) {
  return spelling.find_first_of("aeiouy") == std::string::npos;
}

std::u32string chars(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) out += sorla::next_char(text, i);
  return out;
}

std::size_t edit_distance(const std::u32string& a, const std::u32string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diag = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diag = up;
    }
  }
  return row[b.size()];
}

// ្ត and ្ដ look the same and both spellings of a word are in use.
std::string same_look(std::string text) {
  const std::string da = "\u17D2\u178A", ta = "\u17D2\u178F";
  for (std::size_t at = text.find(da); at != std::string::npos; at = text.find(da, at)) {
    text.replace(at, da.size(), ta);
  }
  return text;
}

struct Typing {
  std::string khmer, typed;
};

struct Rate {
  std::size_t first = 0, top5 = 0, total = 0;
  void print(const char* what) const {
    std::printf("%s: first %zu/%zu (%.1f%%), top 5 %zu/%zu (%.1f%%)\n", what, first, total,
                100.0 * first / total, top5, total, 100.0 * top5 / total);
  }
};

Rate type_all(const Engine& engine, const std::vector<Typing>& typings, bool show) {
  Rate rate;
  for (const Typing& t : typings) {
    const auto suggestions = engine.suggest(t.typed, std::nullopt);
    ++rate.total;
    const auto hit = std::find_if(suggestions.begin(), suggestions.end(), [&](const auto& s) {
      return same_look(s.text) == same_look(t.khmer);
    });
    if (hit == suggestions.begin() && hit != suggestions.end()) ++rate.first;
    if (hit != suggestions.end()) ++rate.top5;
    if (show) {
      std::printf("  %-14s %s -> %s%s\n", t.typed.c_str(), t.khmer.c_str(),
                  suggestions.empty() ? "(nothing)" : suggestions[0].text.c_str(),
                  hit == suggestions.begin() && hit != suggestions.end() ? ""
                  : hit != suggestions.end()                             ? "  (in top 5)"
                                                                         : "  (missed)");
    }
  }
  return rate;
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lexicon_eval SEED.txt WORDS DEV.tsv\n");
    return 2;
  }
  const WordList seed = read_list(sorla::lexicon::read_file(argv[1]), argv[1]);
  const WordList shipped = read_list(sorla::lexicon::read_file(argv[2]), argv[2]);
  std::printf("words in the shipped data: %zu (pairs %zu)\n", shipped.entries.size(),
              shipped.pairs.size());

  // 1. The romanizer against the human spellings.
  std::size_t spellings = 0, exact = 0, folded = 0, near = 0;
  std::vector<Typing> seed_typings, seed_full_typings;
  for (const auto& entry : seed.entries) {
    const auto made = sorla::lexicon::romanize(entry.word);
    for (const std::string& human : entry.spellings) {
      seed_full_typings.push_back({entry.word, human});
      if (is_abbreviation(human)) continue;
      seed_typings.push_back({entry.word, human});
      ++spellings;
      if (std::find(made.begin(), made.end(), human) != made.end()) ++exact;
      const auto key = chars(sorla::fold(human));
      std::size_t best = key.size();
      for (const std::string& m : made)
        best = std::min(best, edit_distance(key, chars(sorla::fold(m))));
      folded += best == 0;
      near += best <= 1;
    }
  }
  std::printf(
      "romanizer on the seed words (%zu spellings, abbreviations left out): letter for letter "
      "%zu (%.1f%%), exact after folding %zu (%.1f%%), within one edit after folding %zu "
      "(%.1f%%)\n",
      spellings, exact, 100.0 * exact / spellings, folded, 100.0 * folded / spellings, near,
      100.0 * near / spellings);

  // 2. The romanizer's spellings alone in the engine: the seed words keep
  // their places but lose their hand-written spellings.
  WordList romanized = shipped;
  for (std::size_t i = 0; i < seed.entries.size() && i < romanized.entries.size(); ++i) {
    romanized.entries[i].spellings = sorla::lexicon::romanize(romanized.entries[i].word);
  }
  type_all(engine_of(romanized), seed_typings, false)
      .print("romanizer alone, seed spellings typed (abbreviations left out)");

  // 3. The shipped data.
  const Engine engine = engine_of(shipped);
  type_all(engine, seed_full_typings, false).print("shipped data, every seed spelling typed");

  // 4. Everyday words outside the seed list.
  std::vector<Typing> dev;
  std::stringstream in(sorla::lexicon::read_file(argv[3]));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto tab = line.find('\t');
    std::stringstream typed(line.substr(tab + 1));
    std::string spelling;
    while (typed >> spelling) dev.push_back({line.substr(0, tab), spelling});
  }
  std::printf("development set, first suggestion for each typing:\n");
  type_all(engine, dev, true).print("development set");
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "lexicon_eval: %s\n", e.what());
  return 1;
}
