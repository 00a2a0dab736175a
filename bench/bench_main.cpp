// The keystroke benchmark and its companions: building engines, learned
// import/export, memory, and the brute-force baseline. Prints a table and
// writes the numbers as JSON (path as the first argument).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "lexgen.h"
#include "reference/reference.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"

namespace sorla::bench {
namespace {

struct Lexicon {
  std::string name;
  std::vector<std::uint8_t> bytes;
  WordList list;
  std::size_t cases;       // typing cases
  std::size_t replays;     // timed replays per case, the fastest counts
  std::size_t build_reps;  // from_bytes repetitions
  std::size_t baseline;    // keystrokes timed against the brute-force engine
};

struct KeyResult {
  std::vector<double> all_us;                                   // fastest replay of every keystroke
  std::vector<double> worst_us;                                 // the 40-letter worst cases only
  double matcher_calls = 0, trie_nodes = 0, lattice_nodes = 0;  // per keystroke
  std::vector<std::pair<const lexgen::TypingCase*, std::size_t>> keys;  // for the baseline
};

Engine build(const std::vector<std::uint8_t>& bytes) {
  return std::get<Engine>(Engine::from_bytes(bytes));
}

std::string show(const std::vector<Suggestion>& list) {
  std::string out;
  for (const Suggestion& s : list)
    out += s.text + std::to_string(std::bit_cast<std::uint32_t>(s.score));
  return out;
}

KeyResult type_cases(Engine& engine, const std::vector<lexgen::TypingCase>& cases,
                     std::size_t worst_from, std::size_t replays) {
  KeyResult r;
  std::size_t keys = 0;
  for (std::size_t ci = 0; ci < cases.size(); ++ci) {
    const lexgen::TypingCase& c = cases[ci];
    std::vector<double> best(c.keystrokes.size(), 1e300);
    for (std::size_t rep = 0; rep < replays; ++rep) {
      engine.suggest("", std::nullopt);  // every replay starts from an empty state
      const SearchStats before = engine.search_stats();
      for (std::size_t k = 0; k < c.keystrokes.size(); ++k) {
        const auto start = Clock::now();
        // All the pages, as the typing session asks on every keystroke.
        const auto got = engine.suggest(c.keystrokes[k], c.previous, Engine::kMaxCandidates);
        best[k] = std::min(best[k], micros_since(start));
        if (got.size() > Engine::kMaxCandidates) std::abort();
      }
      if (rep == 0) {
        const SearchStats& after = engine.search_stats();
        r.matcher_calls += static_cast<double>(after.matcher_calls - before.matcher_calls);
        r.trie_nodes += static_cast<double>(after.trie_nodes - before.trie_nodes);
        r.lattice_nodes += static_cast<double>(after.lattice_nodes - before.lattice_nodes);
      }
    }
    for (std::size_t k = 0; k < best.size(); ++k) {
      r.all_us.push_back(best[k]);
      if (ci >= worst_from) r.worst_us.push_back(best[k]);
      r.keys.emplace_back(&c, k);
    }
    keys += best.size();
  }
  r.matcher_calls /= static_cast<double>(keys);
  r.trie_nodes /= static_cast<double>(keys);
  r.lattice_nodes /= static_cast<double>(keys);
  return r;
}

void row(const char* label, const std::string& a, double b, double c, double d, double e, double f,
         double g) {
  std::printf("%-22s %10s %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f\n", label, a.c_str(), b, c, d,
              e, f, g);
}

// The shipped word data and its index, written and synced to disk at the
// start of the run, long before activation is timed: no page of them is
// still dirty then, and the cold figure can drop them from the page cache.
struct IndexFiles {
  std::string dir, data_path, index_path;
  std::size_t index_size = 0;
};

void write_synced(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0 || ::fsync(fd) != 0) std::abort();
  ::close(fd);
}

IndexFiles write_index_files(const std::vector<std::uint8_t>& data) {
  IndexFiles f;
  f.dir = std::filesystem::temp_directory_path() / "sorla-bench";
  std::filesystem::create_directories(f.dir);
  f.data_path = f.dir + "/words.srla";
  f.index_path = f.dir + "/words.sidx";
  const auto index = build(data).index_bytes(data);
  f.index_size = index.size();
  write_synced(f.data_path, data);
  write_synced(f.index_path, index);
  return f;
}

// Drops a file's pages from the page cache (they are clean: synced).
void evict(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) std::abort();
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

// The shipped word data opened on its prebuilt index, mapped from a file as
// the text service maps it: opening (map, check, engine ready), the heap one
// engine holds of its own, the allocations of a warm keystroke, the first
// keystroke, and typing the same cases.
std::string measure_mapped(const IndexFiles& files, const std::vector<lexgen::TypingCase>& cases,
                           std::size_t worst_from, Json& keystroke, Json& worst, Json& activation,
                           Json& private_bytes, Json& first_key, Json& allocations, double& p50) {
  const std::string &data_path = files.data_path, &index_path = files.index_path;
  const auto open = [&] {
    const auto data = MappedFile::open(data_path, kMaxWordDataFileBytes);
    const auto index = MappedFile::open(index_path, kMaxIndexFileBytes);
    return std::get<Engine>(Engine::open_index(index->bytes(), data->bytes(), index));
  };
  // Activation: mapping both files, the index's checks, the engine ready;
  // from the page cache (the files were read by the opens before), and
  // cold, each open after dropping both files' pages from it.
  std::vector<double> opens, firsts, cold;
  for (int i = 0; i < 9; ++i) {
    const auto start = Clock::now();
    Engine fresh = open();
    opens.push_back(micros_since(start));
    const auto first = Clock::now();
    fresh.suggest(cases[0].keystrokes[0], cases[0].previous);
    firsts.push_back(micros_since(first));
  }
  for (int i = 0; i < 9; ++i) {
    evict(data_path);
    evict(index_path);
    const auto start = Clock::now();
    Engine fresh = open();
    cold.push_back(micros_since(start));
  }
  Engine engine = open();
  const KeyResult kr = type_cases(engine, cases, worst_from, 3);

  // The heap one engine holds, on other engines typed the same way untimed,
  // so that no timing record is counted with it: as a typing session holds
  // it (every case three times, one after the other, never an empty text),
  // and with an empty text before each case. Then the allocations of warm
  // keystrokes: the same typing once more.
  const std::int64_t heap_before = heap_bytes();
  const auto typed_heap = [&](Engine& e, bool resets) {
    for (int rep = 0; rep < 3; ++rep) {
      for (const lexgen::TypingCase& c : cases) {
        if (resets) e.suggest("", std::nullopt);
        for (const std::string& t : c.keystrokes) e.suggest(t, c.previous, Engine::kMaxCandidates);
      }
    }
    return heap_bytes() - heap_before;
  };
  std::int64_t typed = 0;
  Ranker::HeldBytes held;
  {
    Engine session = open();
    typed = typed_heap(session, false);
    held = session.search_bytes();
  }
  Engine measured = open();
  const std::int64_t opened = heap_bytes() - heap_before;
  const std::int64_t typed_resets = typed_heap(measured, true);
  std::size_t keys = 0;
  const std::int64_t allocations_before = allocation_count();
  for (const lexgen::TypingCase& c : cases) {
    measured.suggest("", std::nullopt);
    for (const std::string& t : c.keystrokes) {
      measured.suggest(t, c.previous, Engine::kMaxCandidates);
      ++keys;
    }
  }
  const double per_key =
      static_cast<double>(allocation_count() - allocations_before) / static_cast<double>(keys);
  allocations.num("shipped_mapped_per_keystroke", per_key);

  const std::string name = "shipped_mapped";
  p50 = percentile(kr.all_us, 0.5);
  keystroke.obj(name, Json()
                          .num("keystrokes", static_cast<double>(kr.all_us.size()))
                          .num("p50_us", percentile(kr.all_us, 0.5))
                          .num("p90_us", percentile(kr.all_us, 0.9))
                          .num("p99_us", percentile(kr.all_us, 0.99))
                          .num("max_us", percentile(kr.all_us, 1.0)));
  worst.obj(name, Json().num("p99_us", percentile(kr.worst_us, 0.99)));
  activation.num(name, percentile(opens, 0.5)).num(name + "_cold", percentile(cold, 0.5));
  private_bytes.num(name, static_cast<double>(typed))
      .num(name + "_resets", static_cast<double>(typed_resets))
      .num(name + "_opened", static_cast<double>(opened))
      .obj(name + "_held", Json()
                               .num("spans", static_cast<double>(held.spans))
                               .num("columns", static_cast<double>(held.columns))
                               .num("first_columns", static_cast<double>(held.first_columns))
                               .num("lists", static_cast<double>(held.lists)));
  first_key.num(name, percentile(firsts, 0.5));
  row("shipped (mapped)", std::to_string(kr.all_us.size()), percentile(kr.all_us, 0.5),
      percentile(kr.all_us, 0.9), percentile(kr.all_us, 0.99), percentile(kr.all_us, 0.999),
      percentile(kr.all_us, 1.0), percentile(kr.worst_us, 0.99));
  const auto mb = [](std::size_t bytes) { return static_cast<double>(bytes) / (1 << 20); };
  char note[512];
  std::snprintf(note, sizeof note,
                "mapped index %.1f MB: activation %.1f us (median of 9; %.1f us cold), first key "
                "%.1f us, private heap %.2f MB opened, %.2f MB after typing as a session (spans "
                "%.2f, columns %.2f, columns 1 %.2f, lists %.2f), %.2f MB with an empty text "
                "before each case, %.1f allocations per warm key",
                mb(files.index_size), percentile(opens, 0.5), percentile(cold, 0.5),
                percentile(firsts, 0.5), mb(static_cast<std::size_t>(opened)),
                mb(static_cast<std::size_t>(typed)), mb(held.spans), mb(held.columns),
                mb(held.first_columns), mb(held.lists), mb(static_cast<std::size_t>(typed_resets)),
                per_key);
  return note;
}

// What each figure of the results holds, written beside them.
Json what_figures_include() {
  return Json()
      .str("keystroke",
           "Engine::suggest for the whole typed text after each key, all four pages "
           "(kMaxCandidates), previous word given; the fastest of the replays of each key; "
           "typing cases start from an empty state")
      .str("keystroke_worst_cases", "the same, over the 40-letter unbroken runs and gibberish")
      .str("from_bytes_us", "building an engine from the word data in memory, fastest of several")
      .str("first_keystroke_us", "the first suggest of a fresh engine (built, or opened mapped)")
      .str("memory_bytes", "heap held by one built engine (operator new, usable sizes)")
      .str("activation_us",
           "shipped_mapped: mapping the word data and index files (written and synced at the "
           "start of the run), checking the index, engine ready; median of 9 from the page "
           "cache; _cold: the same after dropping both files' pages from the page cache")
      .str("private_bytes",
           "heap held by one mapped engine, on an engine of its own typed untimed: after "
           "typing every case three times one after the other, never an empty text, as a "
           "typing session does (the state it keeps between keys; _held: what the ranker "
           "reports of it, by cache); _resets: the same with an empty text before each case; "
           "_opened: right after opening. The matcher's per-thread scratch is not counted "
           "(made by the timed engine before)")
      .str("allocations",
           "operator new calls per keystroke on the mapped engine typing every case once more "
           "after the timed replays (warm), untimed; the returned suggestions included")
      .str("peer", "librime: process_key + get_context + free_context per key, after a warm-up");
}

// One round of the peer (sorla_peer_librime), run as its own process on
// the CPU this one is pinned to; its last line carries the figures.
struct PeerRound {
  double keys = 0, p50_us = 0, p99_us = 0;
};

std::optional<PeerRound> run_peer(const std::string& exe, const std::string& user_folder) {
  const std::string command = "'" + exe + "' '" + user_folder + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  std::string last;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    if (std::string(line).rfind("keys ", 0) == 0)
      last = line;
    else
      std::printf("peer: %s", line);
  }
  if (pclose(pipe.release()) != 0) return std::nullopt;  // the peer's exit status
  PeerRound r;
  if (std::sscanf(last.c_str(), "keys %lf p50_us %lf p99_us %lf", &r.keys, &r.p50_us, &r.p99_us) !=
      3)
    return std::nullopt;
  return r;
}

struct PeerOptions {
  std::string exe;          // empty: no peer
  std::string user_folder;  // made anew by every round
};

int run(const std::string& out_path, const PeerOptions& peer_options) {
  std::vector<Lexicon> lexicons;
  {
    const auto seed = seed_words();
    lexicons.push_back(
        Lexicon{"seed", {seed.begin(), seed.end()}, lexgen::seed_lexicon(), 400, 7, 300, 0});
  }
  // The word data the product ships, typed like the generated lists.
  if (std::ifstream in{SORLA_SHIPPED_WORDS, std::ios::binary}) {
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    WordList list = std::get<WordList>(read_data_file(bytes));
    lexicons.push_back(Lexicon{"shipped", std::move(bytes), std::move(list), 300, 3, 7, 0});
  }
  for (auto [name, words, seed] : {std::tuple{"10k", 10000, 10}, std::tuple{"100k", 100000, 100}}) {
    auto bytes = lexgen::lexicon_file(words, seed);
    WordList list = std::get<WordList>(read_data_file(bytes));
    const bool big = words == 100000;
    lexicons.push_back(Lexicon{name, std::move(bytes), std::move(list), big ? 150u : 300u, 3u,
                               big ? 7u : 10u, big ? 3u : 0u});
  }

  Json keystroke, worst, from_bytes, first_key, memory, counters, reference_speedup;
  Json activation, private_bytes, allocations;
  double baseline_speedup = 0;
  std::printf("%s\n\n", machine_name().c_str());
  std::printf("%-22s %10s %10s %10s %10s %10s %10s %10s\n", "keystroke (us)", "keys", "p50", "p90",
              "p99", "p99.9", "max", "worst p99");

  std::vector<std::string> notes;
  std::optional<IndexFiles> index_files;
  for (const Lexicon& lex : lexicons)
    if (lex.name == "shipped") index_files = write_index_files(lex.bytes);
  std::vector<PeerRound> peer_rounds;
  double shipped_p50 = 0, mapped_p50 = 0;
  const auto peer_round = [&] {
    if (peer_options.exe.empty()) return;
    if (auto r = run_peer(peer_options.exe, peer_options.user_folder)) {
      peer_rounds.push_back(*r);
    } else {
      std::fprintf(stderr, "peer %s failed: no librime figures\n", peer_options.exe.c_str());
    }
  };
  for (const Lexicon& lex : lexicons) {
    // Building: the fastest of several, and the heap an engine holds.
    std::vector<double> builds;
    for (std::size_t i = 0; i < lex.build_reps; ++i) {
      const auto start = Clock::now();
      Engine e = build(lex.bytes);
      builds.push_back(micros_since(start));
    }
    const std::int64_t heap_before = heap_bytes();
    Engine engine = build(lex.bytes);
    const std::int64_t held = heap_bytes() - heap_before;
    const Engine pristine = engine;

    auto cases = lexgen::generate_typing(lex.list, lex.cases, 1000 + lex.cases);
    const std::size_t worst_from = cases.size();
    const auto extremes = lexgen::worst_cases(lex.list, 7);
    cases.insert(cases.end(), extremes.begin(), extremes.end());

    // First keystroke of a fresh engine.
    double first = 1e300;
    for (std::size_t i = 0; i < std::min<std::size_t>(lex.build_reps, 20); ++i) {
      Engine fresh = pristine;
      const auto start = Clock::now();
      fresh.suggest(cases[0].keystrokes[0], cases[0].previous);
      first = std::min(first, micros_since(start));
    }

    // The peer and the shipped words alternate: peer, shipped, peer, shipped mapped.
    if (lex.name == "shipped") peer_round();
    const KeyResult kr = type_cases(engine, cases, worst_from, lex.replays);
    if (lex.name == "shipped") shipped_p50 = percentile(kr.all_us, 0.5);
    row(lex.name.c_str(), std::to_string(kr.all_us.size()), percentile(kr.all_us, 0.5),
        percentile(kr.all_us, 0.9), percentile(kr.all_us, 0.99), percentile(kr.all_us, 0.999),
        percentile(kr.all_us, 1.0), percentile(kr.worst_us, 0.99));
    keystroke.obj(lex.name, Json()
                                .num("keystrokes", static_cast<double>(kr.all_us.size()))
                                .num("p50_us", percentile(kr.all_us, 0.5))
                                .num("p90_us", percentile(kr.all_us, 0.9))
                                .num("p99_us", percentile(kr.all_us, 0.99))
                                .num("p999_us", percentile(kr.all_us, 0.999))
                                .num("max_us", percentile(kr.all_us, 1.0)));
    worst.obj(lex.name, Json()
                            .num("p50_us", percentile(kr.worst_us, 0.5))
                            .num("p99_us", percentile(kr.worst_us, 0.99))
                            .num("max_us", percentile(kr.worst_us, 1.0)));
    counters.obj(lex.name, Json()
                               .num("matcher_calls", kr.matcher_calls)
                               .num("trie_nodes", kr.trie_nodes)
                               .num("lattice_nodes", kr.lattice_nodes));
    from_bytes.num(lex.name, *std::min_element(builds.begin(), builds.end()));
    first_key.num(lex.name, first);
    memory.num(lex.name, static_cast<double>(held));
    char note[256];
    std::snprintf(note, sizeof note,
                  "%-6s words %6zu  from_bytes %9.1f us  engine %6.2f MB  first key %8.1f us  "
                  "per key: %.1f matcher calls, %.0f tree nodes, %.1f lattice nodes",
                  lex.name.c_str(), lex.list.entries.size(),
                  *std::min_element(builds.begin(), builds.end()),
                  static_cast<double>(held) / (1 << 20), first, kr.matcher_calls, kr.trie_nodes,
                  kr.lattice_nodes);
    notes.emplace_back(note);
    if (lex.name == "shipped") {
      peer_round();
      notes.push_back(measure_mapped(*index_files, cases, worst_from, keystroke, worst, activation,
                                     private_bytes, first_key, allocations, mapped_p50));
    }

    // The straightforward trie engine (fresh lattice every key) on a sample
    // of the same keystrokes, and the brute-force one at the largest size.
    const std::size_t sample = lex.baseline ? lex.baseline : lex.name == "seed" ? 200 : 10;
    const std::size_t stride = std::max<std::size_t>(1, kr.keys.size() / sample);
    auto ref = std::get<reference::PlainEngine>(reference::PlainEngine::from_bytes(lex.bytes));
    std::optional<reference::PlainEngine> brute;
    if (lex.baseline) {
      brute = std::get<reference::PlainEngine>(
          reference::PlainEngine::from_bytes(lex.bytes, reference::PlainEngine::Kind::Brute));
    }
    double fast_sum = 0, ref_sum = 0, brute_sum = 0;
    for (std::size_t at = 0, taken = 0; at < kr.keys.size() && taken < sample;
         at += stride, ++taken) {
      const auto& [c, k] = kr.keys[at];
      const std::string& typed = c->keystrokes[k];
      fast_sum += kr.all_us[at];
      auto start = Clock::now();
      const auto expect = ref.suggest(typed, c->previous);
      ref_sum += micros_since(start);
      if (brute) {
        start = Clock::now();
        const auto got = brute->suggest(typed, c->previous);
        brute_sum += micros_since(start);
        if (show(got) != show(expect))
          std::fprintf(stderr, "baseline differs on %s\n", typed.c_str());
      }
    }
    reference_speedup.num(lex.name, ref_sum / fast_sum);
    if (brute) baseline_speedup = brute_sum / fast_sum;
  }

  // Learned picks: 20 000 of them into and out of the seed engine.
  Engine engine = build(lexicons[0].bytes);
  const std::string doc = lexgen::learned_document(lexicons[2].list, 20000);
  double import_us = 1e300, export_us = 1e300;
  for (int i = 0; i < 7; ++i) {
    auto start = Clock::now();
    if (engine.import_learned(doc)) std::abort();
    import_us = std::min(import_us, micros_since(start));
    start = Clock::now();
    const std::string text = engine.export_learned();
    export_us = std::min(export_us, micros_since(start));
    if (text.empty()) std::abort();
  }

  std::printf("\n");
  for (const std::string& n : notes) std::printf("%s\n", n.c_str());
  std::printf("\nlearned picks: import 20000 %.1f us, export 20000 %.1f us\n", import_us,
              export_us);
  std::printf("peak RSS of this process: %.1f MB\n",
              static_cast<double>(peak_rss_bytes()) / (1 << 20));
  std::printf("speed-up over the brute-force engine at 100k (same keystrokes): %.1fx\n",
              baseline_speedup);
  std::printf("speed-up over the straightforward trie engine: %s\n",
              reference_speedup.text().c_str());

  Json peer;
  if (peer_rounds.size() == 2) {
    // The better round of each figure: the peer's best showing.
    const double p50 = std::min(peer_rounds[0].p50_us, peer_rounds[1].p50_us);
    const double p99 = std::min(peer_rounds[0].p99_us, peer_rounds[1].p99_us);
    peer.obj("librime", Json()
                            .num("keys", peer_rounds[0].keys)
                            .num("p50_us", p50)
                            .num("p99_us", p99)
                            .num("round1_p50_us", peer_rounds[0].p50_us)
                            .num("round1_p99_us", peer_rounds[0].p99_us)
                            .num("round2_p50_us", peer_rounds[1].p50_us)
                            .num("round2_p99_us", peer_rounds[1].p99_us)
                            .num("shipped_p50_over_librime_p50", shipped_p50 / p50)
                            .num("shipped_mapped_p50_over_librime_p50", mapped_p50 / p50));
    std::printf(
        "peer librime (luna_pinyin, %.0f keys; better of 2 rounds): p50 %.1f us, p99 %.1f us; "
        "Sorla's shipped p50 is %.2fx, mapped %.2fx librime's\n",
        peer_rounds[0].keys, p50, p99, shipped_p50 / p50, mapped_p50 / p50);
  }
  Json root;
  root.str("machine", machine_name())
      .obj("keystroke", keystroke)
      .obj("keystroke_worst_cases", worst)
      .obj("counts_per_keystroke", counters)
      .obj("from_bytes_us", from_bytes)
      .obj("first_keystroke_us", first_key)
      .obj("learned_us", Json().num("import_20000", import_us).num("export_20000", export_us))
      .obj("memory_bytes", memory)
      .obj("activation_us", activation)
      .obj("private_bytes", private_bytes)
      .obj("allocations", allocations)
      .obj("what_each_figure_includes", what_figures_include())
      .num("peak_rss_bytes", static_cast<double>(peak_rss_bytes()))
      .num("baseline_speedup_100k", baseline_speedup)
      .obj("reference_trie_speedup", reference_speedup);
  if (peer_rounds.size() == 2) root.obj("peer", peer);
  if (index_files) std::filesystem::remove_all(index_files->dir);
  std::ofstream out(out_path);
  out << root.text() << "\n";
  std::printf("\nwrote %s\n", out_path.c_str());
  return out ? 0 : 1;
}

}  // namespace
}  // namespace sorla::bench

// sorla_bench [OUT.json] [--peer EXE USER_FOLDER]
int main(int argc, char** argv) {
  std::string out = "bench/results/latest.json";
  sorla::bench::PeerOptions peer;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--peer" && i + 2 < argc) {
      peer.exe = argv[++i];
      peer.user_folder = argv[++i];
    } else {
      out = arg;
    }
  }
  return sorla::bench::run(out, peer);
}
