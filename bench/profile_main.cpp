// The keystroke on the shipped word data, alone, for a profiler: writes the
// index once, opens it mapped as the text service does (activation), then
// types the benchmark's generated cases. Run under callgrind or perf by
// bench/profile-keystroke; it times nothing itself.
// Usage: sorla_profile WORK_FOLDER [CASES]
// To compare two builds answer for answer, sorla_golden dumps the answers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lexgen.h"
#include "shipped_files.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"

namespace sorla::bench {
namespace {

// Kept out of line so that a profiler can name the activation apart.
[[gnu::noinline]] Engine activate(const std::string& index_path, const std::string& data_path) {
  const auto data = MappedFile::open(data_path, kMaxWordDataFileBytes);
  const auto index = MappedFile::open(index_path, kMaxIndexFileBytes);
  if (!data || !index) std::abort();
  return std::get<Engine>(Engine::open_index(index->bytes(), data->bytes(), index));
}

int run(const std::filesystem::path& folder, std::size_t case_count) {
  const ShippedFiles files = write_shipped(SORLA_SHIPPED_WORDS, folder);
  const WordList& list = files.list;
  const std::string &data_path = files.data_path, &index_path = files.index_path;

  Engine engine = activate(index_path, data_path);
  auto cases = lexgen::generate_typing(list, case_count, 1000 + case_count);
  const auto extremes = lexgen::worst_cases(list, 7);
  cases.insert(cases.end(), extremes.begin(), extremes.end());
  std::size_t keys = 0, shown = 0;
  for (const lexgen::TypingCase& c : cases) {
    engine.suggest("", std::nullopt);
    for (const std::string& typed : c.keystrokes) {
      const auto answer = engine.suggest(typed, c.previous, Engine::kMaxCandidates);
      shown += answer.size();
      ++keys;
    }
  }
  std::printf("%zu keystrokes, %zu candidates\n", keys, shown);
  return 0;
}

}  // namespace
}  // namespace sorla::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sorla_profile WORK_FOLDER [CASES]\n");
    return 2;
  }
  return sorla::bench::run(argv[1], argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 300);
}
