// Several processes learning and saving into one learned.json at once, as
// several applications with Sorla loaded do. Run as
//   learned_concurrent drive <writers> <picks per writer>
// it points APPDATA at a fresh folder, starts the writers and one reader as
// processes of their own, and checks that the final file holds exactly the
// sum of every writer's picks and that each read along the way found a
// complete document.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "child_process.h"
#include "learned_file/file_io.h"
#include "learned_file/learned_file.h"
#include "learned_file/learned_path.h"
#include "sorla/engine.h"

namespace {

namespace fs = std::filesystem;
using namespace sorla;
using namespace sorla::learned_file;

constexpr int kSaveEvery = 20;        // commits between saves (focus changes)
constexpr int kReactivateEvery = 10;  // saves between new activations
constexpr int kUndoEvery = 7;         // commits between undos
constexpr int kFinalSaveTries = 50;

struct Op {
  bool undo = false;
  std::string typed;
  std::string picked;
  std::optional<std::string> previous;
};

// Writer `w`'s commits and undos. The keys overlap between writers, so most
// entries are counted by several processes.
std::vector<Op> schedule(int w, int picks) {
  static const char* const kWords[] = {"\xE1\x9E\x80", "\xE1\x9E\x81\xE1\x9E\x84",
                                       "\xE1\x9E\x85\xE1\x9E\xB6"};
  std::vector<Op> ops;
  std::vector<Op> ring;  // the writer's own commits that an undo may take back
  std::uint32_t rng = 2654435761u * static_cast<std::uint32_t>(w + 1);
  for (int i = 0; i < picks; ++i) {
    rng = rng * 1664525u + 1013904223u;
    const std::uint32_t k = (rng >> 8) % 400;
    Op op{false, std::string(1, static_cast<char>('a' + k % 26)) + static_cast<char>('a' + k / 26),
          kWords[(rng >> 20) % 3], std::nullopt};
    if ((rng >> 24) % 3 == 0)
      op.previous = std::string(1, static_cast<char>('p' + (rng >> 26) % 4));
    ops.push_back(op);
    ring.push_back(op);
    // Every other undo takes back two commits, the earlier of which may
    // already be saved.
    const int undos = i % kUndoEvery != kUndoEvery - 1 ? 0 : 1 + (i / kUndoEvery) % 2;
    for (int u = 0; u < undos && !ring.empty(); ++u) {
      Op undo = ring.back();
      ring.pop_back();
      undo.undo = true;
      ops.push_back(undo);
    }
  }
  return ops;
}

Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

void apply(Engine& engine, const Op& op) {
  if (op.undo) {
    engine.unlearn(op.typed, op.picked, op.previous);
  } else {
    engine.learn(op.typed, op.picked, op.previous);
  }
}

int run_writer(int w, int picks) {
  auto engine = std::make_unique<Engine>(seed_engine());
  LearnedFile file;
  load_learned(file, *engine);
  int commits = 0, saves = 0, busy = 0, failed = 0;
  const auto save = [&] {
    using Result = SaveOutcome::Result;
    const Result result = save_learned(file, *engine).result;
    busy += result == Result::Busy;
    failed += result == Result::Failed;
    if (result == Result::NotDirty) return true;  // nothing left to write
    if (result != Result::Saved) return false;
    // Now and then the application closes and another one opens.
    if (++saves % kReactivateEvery == 0) {
      engine = std::make_unique<Engine>(seed_engine());
      load_learned(file, *engine);
    }
    return true;
  };
  for (const Op& op : schedule(w, picks)) {
    apply(*engine, op);
    if (!op.undo && ++commits % kSaveEvery == 0) save();
  }
  bool done = false;
  for (int i = 0; i < kFinalSaveTries && !done; ++i) done = save();
  std::printf("writer %d: %d saves, %d busy, %d failed%s\n", w, saves, busy, failed,
              done ? "" : ", FINAL SAVE FAILED");
  return done ? 0 : 1;
}

int run_reader() {
  const fs::path target = *learned_path();
  const fs::path stop = target.parent_path().parent_path() / "stop";
  long reads = 0, missing = 0, unreadable = 0, refused = 0;
  bool seen = false;
  while (!fs::exists(stop)) {
    const StoredFile contents = read_whole_file(target, kMaxLearnedFileBytes);
    ++reads;
    switch (contents.state) {
      case StoredFile::State::Missing:
        missing += seen;  // only before the first save is there no file
        break;
      case StoredFile::State::Read:
        seen = true;
        refused += std::holds_alternative<ImportError>(LearnedStore::import_json(contents.bytes));
        break;
      default:
        ++unreadable;
        break;
    }
    Sleep(1);  // leave the writers most of the processor
  }
  std::printf("reader: %ld reads, %ld missing, %ld unreadable, %ld not importable\n", reads,
              missing, unreadable, refused);
  return missing + unreadable + refused == 0 && seen ? 0 : 1;
}

int run_driver(int writers, int picks) {
  const fs::path appdata = sorla::testing::fresh_appdata(L"sorla-concurrent-");
  const ULONGLONG start_ms = GetTickCount64();
  int failures = sorla::testing::run_children(writers, picks, appdata / "stop");
  if (failures < 0) return 2;

  // Every writer's commits and undos on one engine give the expected sum.
  Engine expected = seed_engine();
  for (int w = 0; w < writers; ++w) {
    for (const Op& op : schedule(w, picks)) apply(expected, op);
  }
  const StoredFile final_file = read_whole_file(*learned_path(), kMaxLearnedFileBytes);
  const auto saved = LearnedStore::import_json(final_file.bytes);
  const bool exact = std::holds_alternative<LearnedStore>(saved) &&
                     std::get<LearnedStore>(saved) == expected.learned();
  std::uint64_t total = 0;
  for (const auto& [key, count] : expected.learned().entries()) total += count;
  std::printf("%d writers x %d commits: %zu entries, %llu picks in all; final file %s; %llu ms\n",
              writers, picks, expected.learned().size(), static_cast<unsigned long long>(total),
              exact ? "exact" : "WRONG",
              static_cast<unsigned long long>(GetTickCount64() - start_ms));
  failures += !exact;
  return sorla::testing::end_driver(appdata, "learned.json", failures);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "drive" && argc == 4) return run_driver(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "write" && argc == 4) return run_writer(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "read" && argc == 2) return run_reader();
  std::fprintf(stderr, "usage: learned_concurrent drive <writers> <picks per writer>\n");
  return 2;
}
