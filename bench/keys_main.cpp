// The keystroke benchmark's shipped typing (mapped index, the same cases,
// each from an empty state, fastest of three replays) key by key: what kind
// of key it is, its letters, time, work counts and allocations, one line
// each, to find which keys make the tail. Under callgrind (run by
// bench/keystroke-tail) it types once and dumps the instructions of every
// key on its own. With `session`, one engine types every case without
// starting from an empty state, as the typing session does. At the end it
// says on stderr what heap the engine holds and which of its caches.
// Usage: sorla_keys WORK_FOLDER [session] > keys.tsv
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#define CALLGRIND_DUMP_STATS
#endif

#include "harness.h"
#include "lexgen.h"
#include "shipped_files.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"
#include "sorla/normalize.h"
#include "sorla/suggest.h"

namespace sorla::bench {
namespace {

// What a key did to the text before it.
const char* kind_of(const std::vector<std::string>& keys, std::size_t k) {
  if (k == 0) return "first";
  const std::string &now = keys[k], &before = keys[k - 1];
  if (now.size() < before.size()) return "backspace";
  if (k >= 2 && keys[k - 1].size() < keys[k - 2].size()) return "retype";
  const char c = now.back();
  if (c == ' ') return "space";
  if (letters(std::string(1, c)).empty()) return "mark";
  if (before.back() == ' ') return "after-space";
  return "letter";
}

struct Key {
  double us = 1e300;
  SearchStats work;
  std::int64_t allocations = 0;
};

int run(const std::filesystem::path& folder, bool session) {
  const ShippedFiles files = write_shipped(SORLA_SHIPPED_WORDS, folder);
  const WordList& list = files.list;
  const std::string &data_path = files.data_path, &index_path = files.index_path;
  const auto data = MappedFile::open(data_path, kMaxWordDataFileBytes);
  const auto index = MappedFile::open(index_path, kMaxIndexFileBytes);
  Engine engine = std::get<Engine>(Engine::open_index(index->bytes(), data->bytes(), index));

  // The bench's shipped script: 300 cases and the two 40-letter ones.
  auto cases = lexgen::generate_typing(list, 300, 1300);
  const std::size_t worst_from = cases.size();
  const auto extremes = lexgen::worst_cases(list, 7);
  cases.insert(cases.end(), extremes.begin(), extremes.end());

  const std::int64_t heap_before = heap_bytes();
  std::size_t most_held = 0;
  const int replays = RUNNING_ON_VALGRIND || session ? 1 : 3;
  std::printf(
      "case\tkey\tkind\tletters\tpieces\tus\tmatcher_calls\ttree_nodes\tlattice_nodes\t"
      "allocations\ttyped\n");
  for (std::size_t ci = 0; ci < cases.size(); ++ci) {
    const lexgen::TypingCase& c = cases[ci];
    std::vector<Key> keys(c.keystrokes.size());
    for (int rep = 0; rep < replays; ++rep) {
      if (!session) engine.suggest("", std::nullopt);
      for (std::size_t k = 0; k < c.keystrokes.size(); ++k) {
        const SearchStats before = engine.search_stats();
        const std::int64_t allocations = allocation_count();
        const auto start = Clock::now();
        const auto got = engine.suggest(c.keystrokes[k], c.previous, Engine::kMaxCandidates);
        const double us = micros_since(start);
        CALLGRIND_DUMP_STATS;
        if (got.size() > Engine::kMaxCandidates) std::abort();
        keys[k].us = std::min(keys[k].us, us);
        most_held = std::max(most_held, engine.search_bytes().total());
        if (rep == 0) {
          const SearchStats& after = engine.search_stats();
          keys[k].work = {after.matcher_calls - before.matcher_calls,
                          after.trie_nodes - before.trie_nodes,
                          after.lattice_nodes - before.lattice_nodes};
          keys[k].allocations = allocation_count() - allocations;
        }
      }
    }
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const std::string& typed = c.keystrokes[k];
      const Key& key = keys[k];
      std::printf("%zu\t%zu\t%s\t%zu\t%zu\t%.2f\t%llu\t%llu\t%llu\t%lld\t%s\n", ci, k,
                  ci >= worst_from ? "worst" : kind_of(c.keystrokes, k), letters(typed).size(),
                  split_pieces(typed).size(), key.us,
                  static_cast<unsigned long long>(key.work.matcher_calls),
                  static_cast<unsigned long long>(key.work.trie_nodes),
                  static_cast<unsigned long long>(key.work.lattice_nodes),
                  static_cast<long long>(key.allocations), typed.c_str());
    }
  }
  // What the engine holds after the typing: the heap grown since it began,
  // its per-thread scratch included, and what the ranker reports of it.
  const Ranker::HeldBytes held = engine.search_bytes();
  std::fprintf(stderr,
               "heap after typing %lld bytes; ranker holds %zu: spans %zu, columns %zu, "
               "columns 1 %zu, lists %zu; at most %zu after a key\n",
               static_cast<long long>(heap_bytes() - heap_before), held.total(), held.spans,
               held.columns, held.first_columns, held.lists, most_held);
  return 0;
}

}  // namespace
}  // namespace sorla::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sorla_keys WORK_FOLDER [session] > keys.tsv\n");
    return 2;
  }
  return sorla::bench::run(argv[1], argc > 2 && std::string(argv[2]) == "session");
}
