// Every answer of the engine over the benchmark's typing, written out so
// that a change meant to keep answers bit-identical can be compared against
// the dump of the code before it: texts, order and score bits, from the
// shipped data (mapped and built), the seed list and a generated lexicon,
// with and without learned picks. It times nothing.
// Usage: sorla_golden WORK_FOLDER > dump.txt
#include <bit>
#include <cstdio>
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

void type(Engine& engine, const std::vector<lexgen::TypingCase>& cases, bool reset) {
  for (const lexgen::TypingCase& c : cases) {
    if (reset) engine.suggest("", std::nullopt);
    for (const std::string& typed : c.keystrokes) {
      std::printf("%s|%s|", typed.c_str(), c.previous ? c.previous->c_str() : "-");
      for (const Suggestion& s : engine.suggest(typed, c.previous, Engine::kMaxCandidates))
        std::printf(" %s:%08x", s.text.c_str(), std::bit_cast<std::uint32_t>(s.score));
      std::printf("\n");
    }
  }
}

std::vector<lexgen::TypingCase> script(const WordList& list, std::size_t count) {
  auto cases = lexgen::generate_typing(list, count, 1000 + count);
  const auto extremes = lexgen::worst_cases(list, 7);
  cases.insert(cases.end(), extremes.begin(), extremes.end());
  return cases;
}

void learn_some(Engine& engine, const std::vector<lexgen::TypingCase>& cases) {
  for (std::size_t i = 0; i < cases.size(); i += 7) {
    const std::string& typed = cases[i].keystrokes.back();
    const auto got = engine.suggest(typed, cases[i].previous);
    if (!got.empty()) engine.learn(typed, got.back().text, cases[i].previous);
  }
}

int run(const std::filesystem::path& folder) {
  std::ifstream in{SORLA_SHIPPED_WORDS, std::ios::binary};
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const WordList list = std::get<WordList>(read_data_file(bytes));
  std::filesystem::create_directories(folder);
  const std::string data_path = folder / "words.srla", index_path = folder / "words.sidx";
  Engine built = std::get<Engine>(Engine::from_bytes(bytes));
  {
    std::ofstream(data_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const auto index = built.index_bytes(bytes);
    std::ofstream(index_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(index.data()),
               static_cast<std::streamsize>(index.size()));
  }
  const auto data = MappedFile::open(data_path, kMaxWordDataFileBytes);
  const auto index = MappedFile::open(index_path, kMaxIndexFileBytes);
  Engine mapped = std::get<Engine>(Engine::open_index(index->bytes(), data->bytes(), index));

  const auto shipped = script(list, 300);
  std::printf("## shipped, mapped\n");
  type(mapped, shipped, true);
  std::printf("## shipped, mapped, one engine throughout (edits across cases)\n");
  type(mapped, shipped, false);
  std::printf("## shipped, built, learned picks\n");
  learn_some(built, shipped);
  type(built, shipped, true);

  const auto seed = seed_words();
  Engine seeded = std::get<Engine>(Engine::from_bytes(seed));
  std::printf("## seed\n");
  type(seeded, script(lexgen::seed_lexicon(), 200), true);

  const auto gen_bytes = lexgen::lexicon_file(10000, 10);
  const WordList gen = std::get<WordList>(read_data_file(gen_bytes));
  Engine generated = std::get<Engine>(Engine::from_bytes(gen_bytes));
  std::printf("## 10k\n");
  type(generated, script(gen, 200), true);
  return 0;
}

}  // namespace
}  // namespace sorla::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sorla_golden WORK_FOLDER\n");
    return 2;
  }
  return sorla::bench::run(argv[1]);
}
