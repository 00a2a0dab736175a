// Writes the shipped word list in the seed-text format: the seed words first
// with their own spellings, then the dictionary's words most frequent first
// (words the corpus never shows after them, shortest first), each with the
// romanizer's spellings, then the seed's pairs and the corpus's most frequent
// pairs. Same inputs, same bytes: every tie is broken by byte order.
//
//   lexicon_build SEED.txt DICTIONARY.txt COUNTS.tsv OUT.txt
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "read_file.h"
#include "sorla/lexicon/look_alike.h"
#include "sorla/lexicon/romanize.h"
#include "sorla/normalize.h"
#include "sorla/seed_text.h"

namespace {

// The corpus is software text: words that only its interface strings use
// ("Save", "Cell") count a quarter as much as words of running text.
constexpr double kInterfaceOnlyWeight = 0.25;
// Pairs seen fewer times than this are chance neighbours.
constexpr std::uint64_t kMinPairCount = 3;
constexpr std::size_t kMaxPairs = 5000;
constexpr std::size_t kSpellingsPerWord = 4;

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> out;
  std::stringstream ss(line);
  std::string part;
  while (std::getline(ss, part, sep)) out.push_back(part);
  return out;
}

std::size_t char_count(const std::string& s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xc0) != 0x80; }));
}

struct Counts {
  std::map<std::string, double> score;
  std::map<std::pair<std::string, std::string>, std::uint64_t> pairs;
};

Counts read_counts(const std::string& text) {
  Counts counts;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto f = split(line, '\t');
    if (f.size() == 4 && f[0] == "word") {
      const double ui = std::stod(f[2]);
      const double prose = std::stod(f[3]);
      counts.score[f[1]] = prose > 0 ? prose + ui : ui * kInterfaceOnlyWeight;
    } else if (f.size() == 4 && f[0] == "pair") {
      counts.pairs[{f[1], f[2]}] = std::stoull(f[3]);
    }
  }
  return counts;
}

// A word written two ways (្ដ read "d", ្ត read "t") is typed both ways: the
// spellings of each form in turn, best first, as many as each form has.
std::vector<std::string> spellings_of_all(const std::string& word,
                                          const std::vector<std::string>& others) {
  std::vector<std::vector<std::string>> each{sorla::lexicon::romanize(word)};
  for (const std::string& other : others) each.push_back(sorla::lexicon::romanize(other));
  const std::size_t limit = kSpellingsPerWord * std::min<std::size_t>(each.size(), 2);
  std::vector<std::string> out;
  std::set<std::string> keys;
  for (std::size_t rank = 0; out.size() < limit; ++rank) {
    bool any = false;
    for (const auto& list : each) {
      if (rank >= list.size() || out.size() == limit) continue;
      any = true;
      if (keys.insert(sorla::fold(list[rank])).second) out.push_back(list[rank]);
    }
    if (!any) break;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc != 5) {
    std::cerr << "usage: lexicon_build SEED.txt DICTIONARY.txt COUNTS.tsv OUT.txt\n";
    return 2;
  }
  const auto seed_result = sorla::parse_seed_text(sorla::lexicon::read_file(argv[1]), "");
  if (const auto* error = std::get_if<sorla::ReadError>(&seed_result)) {
    std::cerr << "lexicon_build: " << argv[1] << ": " << error->message << '\n';
    return 1;
  }
  const sorla::WordList& seed = std::get<sorla::WordList>(seed_result);
  const Counts counts = read_counts(sorla::lexicon::read_file(argv[3]));

  std::set<std::string> known;
  std::vector<std::string> seed_words;
  for (const auto& entry : seed.entries) {
    known.insert(entry.word);
    seed_words.push_back(entry.word);
  }
  // Words that look alike, or differ by an obsolete letter, become one.
  std::vector<sorla::lexicon::CountedWord> dictionary;
  {
    std::stringstream in(sorla::lexicon::read_file(argv[2]));
    std::string word;
    while (std::getline(in, word)) {
      if (word.empty()) continue;
      const auto count = counts.score.find(word);
      dictionary.push_back(
          {word, count == counts.score.end() ? std::nullopt : std::optional(count->second), {}});
    }
  }
  std::map<std::string, double> score;
  std::map<std::string, std::vector<std::string>> merged;
  std::vector<std::string> frequent, unseen;
  for (auto& w : sorla::lexicon::one_word_per_look(seed_words, std::move(dictionary))) {
    if (w.score) score[w.word] = *w.score;
    if (!w.merged.empty()) merged[w.word] = std::move(w.merged);
    (w.score ? frequent : unseen).push_back(std::move(w.word));
  }
  std::sort(frequent.begin(), frequent.end(), [&](const std::string& a, const std::string& b) {
    const double sa = score.at(a), sb = score.at(b);
    return sa != sb ? sa > sb : a < b;
  });
  std::sort(unseen.begin(), unseen.end(), [](const std::string& a, const std::string& b) {
    const auto la = char_count(a), lb = char_count(b);
    return la != lb ? la < lb : a < b;
  });

  std::ostringstream out;
  out << "# Sorla word list: one Khmer word per line, most common first.\n"
         "# Each word line: the Khmer word, a tab, then its chat spellings separated by spaces.\n"
         "# Built by `make lexicon` from ICU's Khmer dictionary and Debian's Khmer\n"
         "# translations (see SOURCES.md); do not edit by hand.\n";
  for (const auto& entry : seed.entries) {
    out << entry.word << '\t';
    for (std::size_t i = 0; i < entry.spellings.size(); ++i) {
      out << (i ? " " : "") << entry.spellings[i];
    }
    out << '\n';
  }
  std::set<std::string> listed = known;
  for (const auto* group : {&frequent, &unseen}) {
    for (const std::string& word : *group) {
      const auto found = merged.find(word);
      const auto spellings = found == merged.end() ? sorla::lexicon::romanize(word)
                                                   : spellings_of_all(word, found->second);
      if (spellings.empty()) continue;
      listed.insert(word);
      out << word << '\t';
      for (std::size_t i = 0; i < spellings.size(); ++i) out << (i ? " " : "") << spellings[i];
      out << '\n';
    }
  }

  out << "# Word pairs people type together: pair, a tab, the first and the second word.\n";
  for (const auto& pair : seed.pairs) {
    out << "pair\t" << seed.entries[pair.first].word << ' ' << seed.entries[pair.second].word
        << '\n';
  }
  // Pairs counted under a dropped spelling count for the word kept.
  std::map<std::string, std::string> kept_for;
  for (const auto& [word, others] : merged) {
    for (const std::string& other : others) kept_for[other] = word;
  }
  auto kept = [&](const std::string& word) {
    const auto found = kept_for.find(word);
    return found == kept_for.end() ? word : found->second;
  };
  std::map<std::pair<std::string, std::string>, std::uint64_t> pair_counts;
  for (const auto& [words, n] : counts.pairs) {
    pair_counts[{kept(words.first), kept(words.second)}] += n;
  }
  std::vector<std::pair<std::pair<std::string, std::string>, std::uint64_t>> pairs;
  for (const auto& [words, n] : pair_counts) {
    if (n >= kMinPairCount && listed.count(words.first) && listed.count(words.second)) {
      pairs.emplace_back(words, n);
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  if (pairs.size() > kMaxPairs) pairs.resize(kMaxPairs);
  for (const auto& [words, n] : pairs) {
    out << "pair\t" << words.first << ' ' << words.second << '\n';
  }

  std::ofstream file(argv[4], std::ios::binary);
  file << out.str();
  if (!file.flush()) {
    std::cerr << "lexicon_build: cannot write " << argv[4] << '\n';
    return 1;
  }
  return 0;
} catch (const std::exception& e) {
  std::cerr << "lexicon_build: " << e.what() << '\n';
  return 1;
}
