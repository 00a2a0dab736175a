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
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"

namespace sorla::bench {
namespace {

void write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Kept out of line so that a profiler can name the activation apart.
[[gnu::noinline]] Engine activate(const std::string& index_path, const std::string& data_path) {
  const auto data = MappedFile::open(data_path, kMaxWordDataFileBytes);
  const auto index = MappedFile::open(index_path, kMaxIndexFileBytes);
  if (!data || !index) std::abort();
  return std::get<Engine>(Engine::open_index(index->bytes(), data->bytes(), index));
}

int run(const std::filesystem::path& folder, std::size_t case_count) {
  std::ifstream in{SORLA_SHIPPED_WORDS, std::ios::binary};
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const WordList list = std::get<WordList>(read_data_file(bytes));
  std::filesystem::create_directories(folder);
  const std::string data_path = folder / "words.srla", index_path = folder / "words.sidx";
  write(data_path, bytes);
  write(index_path, std::get<Engine>(Engine::from_bytes(bytes)).index_bytes(bytes));

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
