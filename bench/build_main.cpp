// A focused timing of building engines and of the learned-data import and
// export, with the share of from_bytes spent in the matcher. Quicker to run
// than the whole benchmark while working on these paths.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "lexgen.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/matcher.h"
#include "sorla/seed_text.h"
#include "sorla/word_index.h"

namespace sorla::bench {
namespace {

long minor_faults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

template <typename F>
double fastest(int reps, F&& f) {
  double best = 1e300;
  for (int i = 0; i < reps; ++i) {
    const auto start = Clock::now();
    f();
    best = std::min(best, micros_since(start));
  }
  return best;
}

// One operation alone, for a profiler: "from_bytes", "import" or "export".
int run_one(const std::string& what) {
  const auto big = lexgen::lexicon_file(100000, 100);
  Engine engine = std::get<Engine>(Engine::from_bytes(seed_words()));
  if (what == "from_bytes") return std::holds_alternative<Engine>(Engine::from_bytes(big)) ? 0 : 1;
  const std::string doc = lexgen::learned_document(std::get<WordList>(read_data_file(big)), 20000);
  if (engine.import_learned(doc)) return 1;
  if (what == "export") return engine.export_learned().empty() ? 1 : 0;
  return 0;
}

int run(int reps) {
  const auto big = lexgen::lexicon_file(100000, 100);
  const auto seed = seed_words();
  const WordList list = std::get<WordList>(read_data_file(big));
  std::size_t spellings = 0;
  for (const WordEntry& e : list.entries) spellings += e.spellings.size();
  std::printf("100k: %zu bytes, %zu words, %zu spellings, %zu pairs\n", big.size(),
              list.entries.size(), spellings, list.pairs.size());

  const double whole = fastest(reps, [&] {
    if (!std::holds_alternative<Engine>(Engine::from_bytes(big))) std::abort();
  });
  const double seed_us = fastest(reps * 20, [&] {
    if (!std::holds_alternative<Engine>(Engine::from_bytes(seed))) std::abort();
  });
  // The parts of from_bytes one by one, as the constructor does them.
  const double read = fastest(reps, [&] { (void)read_word_data(big); });
  // The reading and its checks alone, into a sink that keeps nothing.
  struct Discard final : WordDataSink {
    void data_name(std::string_view) override {}
    void ranking(const RankingParams&) override {}
    void word_count(std::size_t) override {}
    void pair_count(std::size_t) override {}
    void word(std::string_view, std::uint32_t, std::size_t) override {}
    void spelling(std::string_view) override {}
    void pair(const PairEntry&) override {}
  } discard;
  const double view = fastest(reps, [&] {
    if (read_data_file(big, discard)) std::abort();
  });
  const double matcher = fastest(reps, [&] {
    Matcher m;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
      for (const std::string& s : list.entries[i].spellings) m.insert(i, s);
    }
    m.compact();
  });
  WordTexts words;
  const double copy = fastest(reps, [&] {
    words = WordTexts();
    words.reserve(list.entries.size());
    for (const WordEntry& e : list.entries) words.push_back(e.word);
  });
  const double ids = fastest(reps, [&] {
    WordIndex index;
    index.build(words);
  });
  const double pairs = fastest(reps, [&] {
    PairSet set;
    set.reserve(list.pairs.size());
    for (const PairEntry& p : list.pairs) set.insert({p.first, p.second});
  });

  Engine engine = std::get<Engine>(Engine::from_bytes(seed));
  const std::string doc = lexgen::learned_document(list, 20000);
  const double import_us = fastest(reps, [&] {
    if (engine.import_learned(doc)) std::abort();
  });
  const long faults_before = minor_faults();
  if (engine.import_learned(doc)) std::abort();
  const long import_faults = minor_faults() - faults_before;
  // The parsing alone, the replaced store freed outside the clock.
  double parse_us = 1e300;
  for (int i = 0; i < reps; ++i) {
    const auto start = Clock::now();
    auto result = LearnedStore::import_json(doc);
    parse_us = std::min(parse_us, micros_since(start));
    if (!std::holds_alternative<LearnedStore>(result)) std::abort();
  }
  // Freeing a store of these picks, as an import frees the one it replaces.
  double free_us = 1e300;
  for (int i = 0; i < reps; ++i) {
    auto result = LearnedStore::import_json(doc);
    const auto start = Clock::now();
    result = LearnedStore{};
    free_us = std::min(free_us, micros_since(start));
  }
  const double export_us = fastest(reps, [&] {
    if (engine.export_learned().empty()) std::abort();
  });
  // A hostile seed text: 300 000 different spellings on one word's line.
  std::string line = "\xE1\x9E\x80\t";
  for (int i = 0; i < 300000; ++i) {
    line += 's';
    line += std::to_string(i);
    line += ' ';
  }
  const double one_line = fastest(std::max(1, reps / 3), [&] {
    if (!std::holds_alternative<WordList>(parse_seed_text(line, ""))) std::abort();
  });

  std::printf("from_bytes 100k %9.1f us   seed %7.1f us\n", whole, seed_us);
  std::printf("  read_word_data %9.1f us (to a WordList)  reading alone %9.1f us\n", read, view);
  std::printf("  matcher insert+compact %9.1f us\n", matcher);
  std::printf("  words copy %9.1f us  word_ids %9.1f us  pairs %9.1f us\n", copy, ids, pairs);
  std::printf("import 20000 %9.1f us (import_json alone %9.1f us, freeing a store %9.1f us)\n",
              import_us, parse_us, free_us);
  std::printf("  page faults of one import: %ld\n", import_faults);
  std::printf("export 20000 %9.1f us\n", export_us);
  std::printf("seed text, 300000 spellings on one line %9.1f us\n", one_line);
  return 0;
}

}  // namespace
}  // namespace sorla::bench

// Arguments: the repetitions (7), or the name of one operation to run once.
int main(int argc, char** argv) {
  if (argc > 1 && (argv[1][0] < '0' || argv[1][0] > '9')) return sorla::bench::run_one(argv[1]);
  return sorla::bench::run(argc > 1 ? std::atoi(argv[1]) : 7);
}
