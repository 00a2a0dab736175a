// How well chat spellings find their words: the romanizer measured against
// the hand-written spellings of the seed list, and the shipped word data
// measured by typing those spellings (and a development set of everyday
// words outside the seed list, and chat sentences typed word by word through
// the typing session) into a real engine. The development set is reported by
// half; only the tuning half's misses are listed, so that the held-out half
// stays a figure nobody fitted to.
//
// The names and loanwords are typed whole too: no split into common words
// should come before a name.
//
// With --tuning it reads the tuning half alone, its misses grouped by
// cause, for choosing rules without a glance at the held-out half. Given the
// everyday word list, each half's words are also rated on it and off it.
//
//   lexicon_eval [--tuning] SEED.txt WORDS(.txt|.srla) DEV.tsv SENTENCES.tsv NAMES.txt
//                [EVERYDAY.txt]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "read_file.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/lexicon/dev_set.h"
#include "sorla/lexicon/everyday.h"
#include "sorla/lexicon/measure.h"
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

using sorla::lexicon::DevTyping;
using sorla::lexicon::Half;
using sorla::lexicon::WordRate;

const char* name_of(Half half) { return half == Half::Tuning ? "tuning half" : "held-out half"; }

void print(const WordRate& rate, const std::string& what) {
  std::printf("%s: first %zu/%zu (%.1f%%), top 5 %zu/%zu (%.1f%%)\n", what.c_str(), rate.first,
              rate.total, 100.0 * rate.first / rate.total, rate.in_five, rate.total,
              100.0 * rate.in_five / rate.total);
}

void show_miss(const DevTyping& t, const std::vector<sorla::Suggestion>& suggestions,
               bool in_five) {
  std::printf("  %-14s %s -> %s%s\n", t.typed.c_str(), t.khmer.c_str(),
              suggestions.empty() ? "(nothing)" : suggestions[0].text.c_str(),
              in_five ? "  (in top 5)" : "  (missed)");
}

// Why a typing did not bring its word first, most telling cause first.
enum class Cause { NotListed, NoSpelling, SplitWins, WordWins };

const char* name_of(Cause cause) {
  switch (cause) {
    case Cause::NotListed:
      return "the word is not in the data";
    case Cause::NoSpelling:
      return "no spelling of the word folds to the typing";
    case Cause::SplitWins:
      return "a run of words comes first";
    case Cause::WordWins:
      return "another word comes first";
  }
  return "";
}

// The tuning half's misses, each under its cause, with the word's listed
// spellings beside it when none of them is the typing.
void show_tuning_misses(const Engine& engine, const WordList& shipped,
                        const std::vector<DevTyping>& part) {
  std::map<std::string, const sorla::WordEntry*> by_look;
  for (const auto& entry : shipped.entries)
    by_look.emplace(sorla::lexicon::look_form(entry.word), &entry);
  std::map<Cause, std::vector<std::string>> misses;
  sorla::lexicon::rate_words(
      engine, part,
      [&](const DevTyping& t, const std::vector<sorla::Suggestion>& suggestions, bool) {
        const auto listed = by_look.find(sorla::lexicon::look_form(t.khmer));
        Cause cause = Cause::WordWins;
        std::string spellings;
        if (listed == by_look.end()) {
          cause = Cause::NotListed;
        } else {
          const auto& own = listed->second->spellings;
          if (std::none_of(own.begin(), own.end(), [&](const std::string& s) {
                return sorla::fold(s) == sorla::fold(t.typed);
              })) {
            cause = Cause::NoSpelling;
            for (const std::string& s : own) spellings += " " + s;
          } else if (!suggestions.empty() &&
                     !by_look.count(sorla::lexicon::look_form(suggestions[0].text))) {
            cause = Cause::SplitWins;
          }
        }
        // The margin the word lost by, when it is among the five.
        std::string own_score = "missed";
        for (const sorla::Suggestion& s : suggestions) {
          if (sorla::lexicon::looks_same(s.text, t.khmer)) own_score = std::to_string(s.score);
        }
        char line[400];
        std::snprintf(line, sizeof line, "  %-14s %s -> %s (%.2f; the word %s)%s%s",
                      t.typed.c_str(), t.khmer.c_str(),
                      suggestions.empty() ? "(nothing)" : suggestions[0].text.c_str(),
                      suggestions.empty() ? 0.0 : double(suggestions[0].score), own_score.c_str(),
                      spellings.empty() ? "" : "; listed:", spellings.c_str());
        misses[cause].push_back(line);
      });
  for (const auto& [cause, lines] : misses) {
    std::printf("%s: %zu\n", name_of(cause), lines.size());
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) try {
  const bool tuning_only = argc > 1 && std::strcmp(argv[1], "--tuning") == 0;
  if (tuning_only) {
    --argc;
    ++argv;
  }
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr,
                 "usage: lexicon_eval [--tuning] SEED.txt WORDS DEV.tsv SENTENCES.tsv NAMES.txt "
                 "[EVERYDAY.txt]\n");
    return 2;
  }
  std::set<std::string> everyday;
  if (argc == 7) {
    for (const auto& w : sorla::lexicon::read_everyday(sorla::lexicon::read_file(argv[6])).words)
      everyday.insert(sorla::lexicon::look_form(w.word));
  }
  const WordList seed = read_list(sorla::lexicon::read_file(argv[1]), argv[1]);
  const WordList shipped = read_list(sorla::lexicon::read_file(argv[2]), argv[2]);
  std::printf("words in the shipped data: %zu (pairs %zu)\n", shipped.entries.size(),
              shipped.pairs.size());

  // 1. The romanizer against the human spellings.
  std::size_t spellings = 0, exact = 0, folded = 0, near = 0;
  // Seed typings are on no side of the split: their halves are not read.
  std::vector<DevTyping> seed_typings, seed_full_typings;
  for (const auto& entry : seed.entries) {
    const auto made = sorla::lexicon::romanize(entry.word);
    for (const std::string& human : entry.spellings) {
      seed_full_typings.push_back({entry.word, human, Half::Tuning});
      if (is_abbreviation(human)) continue;
      seed_typings.push_back({entry.word, human, Half::Tuning});
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
  print(sorla::lexicon::rate_words(engine_of(romanized), seed_typings),
        "romanizer alone, seed spellings typed (abbreviations left out)");

  // 3. The shipped data.
  const Engine engine = engine_of(shipped);
  print(sorla::lexicon::rate_words(engine, seed_full_typings),
        "shipped data, every seed spelling typed");

  std::vector<DevTyping> name_typings;
  for (const auto& entry : read_list(sorla::lexicon::read_file(argv[5]), argv[5]).entries) {
    for (const std::string& s : entry.spellings)
      name_typings.push_back({entry.word, s, Half::Tuning});
  }
  std::printf("names typed whole, not first:\n");
  print(sorla::lexicon::rate_words(engine, name_typings, show_miss),
        "shipped data, every name and loanword spelling typed");

  // 4. Everyday words outside the seed list, typed alone.
  // Words missing from the data are counted: they show gaps in the word list,
  // not in the ranking.
  const auto dev = sorla::lexicon::read_dev_words(sorla::lexicon::read_file(argv[3]));
  std::set<std::string> known;
  for (const auto& entry : shipped.entries) known.insert(sorla::lexicon::look_form(entry.word));
  const std::vector<Half> halves =
      tuning_only ? std::vector{Half::Tuning} : std::vector{Half::Tuning, Half::HeldOut};
  for (const Half half : halves) {
    const auto part = sorla::lexicon::in_half(dev, half);
    std::set<std::string> words, missing;
    for (const DevTyping& t : part) {
      words.insert(t.khmer);
      if (!known.count(sorla::lexicon::look_form(t.khmer))) missing.insert(t.khmer);
    }
    std::printf("development words, %s: %zu words, %zu of them not in the data\n", name_of(half),
                words.size(), missing.size());
    if (!everyday.empty()) {
      std::vector<DevTyping> on, off;
      for (const DevTyping& t : part)
        (everyday.count(sorla::lexicon::look_form(t.khmer)) ? on : off).push_back(t);
      print(sorla::lexicon::rate_words(engine, on),
            std::string(name_of(half)) + ", on the everyday list");
      print(sorla::lexicon::rate_words(engine, off), std::string(name_of(half)) + ", off it");
    }
    if (tuning_only) {
      show_tuning_misses(engine, shipped, part);
      print(sorla::lexicon::rate_words(engine, part), "development words, tuning half");
      continue;
    }
    if (half == Half::Tuning) std::printf("development set, tuning half, typings not first:\n");
    print(sorla::lexicon::rate_words(engine, part,
                                     half == Half::Tuning ? show_miss : sorla::lexicon::WordMiss{}),
          std::string("development words, ") + name_of(half));
  }

  // 5. Chat sentences typed word by word, each word committed with Space.
  const auto sentences = sorla::lexicon::read_dev_sentences(sorla::lexicon::read_file(argv[4]));
  Engine typing_engine = engine;
  std::printf("development sentences, tuning half, not typed exactly:\n");
  for (const Half half : halves) {
    const auto rate = sorla::lexicon::rate_sentences(
        typing_engine, sorla::lexicon::in_half(sentences, half),
        [&](const sorla::lexicon::DevSentence& sentence, const std::string& typed) {
          if (half == Half::Tuning)
            std::printf("  %s -> %s\n", sentence.khmer.c_str(), typed.c_str());
        });
    std::printf("development sentences, %s: exactly right %zu/%zu (%.1f%%)\n", name_of(half),
                rate.exact, rate.total, rate.total ? 100.0 * rate.exact / rate.total : 0.0);
  }
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "lexicon_eval: %s\n", e.what());
  return 1;
}
