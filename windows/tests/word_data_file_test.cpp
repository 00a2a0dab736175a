#include "word_data/word_data_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "sorla/format.h"
#include "sorla/index_file.h"
#include "test_support.h"

namespace sorla::word_data {
namespace {

namespace fs = std::filesystem;
using sorla::testing::TempDir;

const std::string kTonle = "\u1791\u1793\u17D2\u179B\u17C1";  // ទន្លេ

std::string small_word_data(std::string_view name = "test-words",
                            std::optional<RankingParams> ranking = std::nullopt) {
  WordList list;
  list.data_name = std::string(name);
  list.entries.push_back({kTonle, {"tonle"}, 0});
  list.ranking = ranking;
  const auto bytes = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  return {bytes.begin(), bytes.end()};
}

std::string index_of(std::string_view word_data) {
  const Engine built = std::get<Engine>(Engine::from_bytes(word_data));
  const auto index = built.index_bytes(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(word_data.data()), word_data.size()));
  return {index.begin(), index.end()};
}

void write(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool types_seed_list(const Engine& engine) {
  const auto sabay = engine.suggest("sabay", std::nullopt);
  return !engine.data_name() && engine.words().size() == 93 && !sabay.empty() &&
         sabay[0].text == "\u179F\u1794\u17D2\u1794\u17B6\u1799";
}

TEST(WordDataFile, TypesWithTheFileBesideTheDll) {
  TempDir folder;
  write(folder.path() / kFileName, small_word_data());
  const Engine engine = load_engine(folder.path());
  EXPECT_EQ(engine.data_name(), std::optional<std::string>("test-words"));
  const auto suggestions = engine.suggest("tonle", std::nullopt);
  ASSERT_FALSE(suggestions.empty());
  EXPECT_EQ(suggestions[0].text, kTonle);
}

bool types_tonle(const Engine& engine) {
  const auto suggestions = engine.suggest("tonle", std::nullopt);
  return engine.data_name() == std::optional<std::string>("test-words") && !suggestions.empty() &&
         suggestions[0].text == kTonle;
}

// A sound index of the very word data is mapped; any other index is passed
// over and the word data built as without one.
TEST(WordDataFile, MapsTheIndexOnlyWhenItIsSoundAndOfThisWordData) {
  TempDir folder;
  const std::string data = small_word_data();
  const std::string index = index_of(data);
  write(folder.path() / kFileName, data);
  write(folder.path() / kIndexFileName, index);
  {
    const Engine engine = load_engine(folder.path());
    EXPECT_TRUE(engine.mapped());
    EXPECT_TRUE(types_tonle(engine));
  }
  // A byte of the last section, the completion bounds, which opening hashes
  // (the middle of this small index is the word table, checked as it is read).
  std::string damaged = index;
  damaged[damaged.size() - 1] ^= 0x40;
  const std::pair<const char*, std::string> unsound[] = {
      {"damaged", damaged},
      {"cut short", index.substr(0, index.size() - 8)},
      {"of other word data", index_of(small_word_data("other-words"))},
      {"empty", ""},
  };
  for (const auto& [what, bytes] : unsound) {
    write(folder.path() / kIndexFileName, bytes);
    const Engine engine = load_engine(folder.path());
    EXPECT_FALSE(engine.mapped()) << what;
    EXPECT_TRUE(types_tonle(engine)) << what;
  }
  fs::remove(folder.path() / kFileName);
  write(folder.path() / kIndexFileName, index);
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "an index without its word data";
}

// Word data that carries its own ranking numbers is typed with them, through
// its index or built.
TEST(WordDataFile, RanksWithTheNumbersTheFileCarries) {
  TempDir folder;
  const RankingParams tuned = {.exact_bonus = 1.5f, .start_penalty = 3.0f};
  const std::string data = small_word_data("test-words", tuned);
  write(folder.path() / kFileName, data);
  write(folder.path() / kIndexFileName, index_of(data));
  for (const bool mapped : {true, false}) {
    const Engine engine = load_engine(folder.path());
    EXPECT_EQ(engine.mapped(), mapped);
    EXPECT_EQ(engine.ranking_params(), tuned);
    EXPECT_TRUE(types_tonle(engine));
    fs::remove(folder.path() / kIndexFileName);
  }
}

TEST(WordDataFile, FallsBackToTheSeedListWhenTheFileIsNotSound) {
  TempDir folder;
  const fs::path file = folder.path() / kFileName;
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "missing";

  write(file, "");
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "empty";

  const std::string whole = small_word_data();
  write(file, std::string_view(whole).substr(0, whole.size() - 3));
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "cut short";

  // As a DLL that knows only older versions meets newer word data: the
  // file of a version after this build's, otherwise sound.
  std::string newer = small_word_data("test-words", RankingParams{.start_penalty = 3.0f});
  newer[4] = static_cast<char>(kDataFileVersion + 1);
  write(file, newer);
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "unknown version";

  {
    // A file past the cap, made without writing its bytes.
    write(file, whole);
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxWordDataFileBytes) + 1;
    EXPECT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "too large";
  }

  fs::remove(file);
  fs::create_directory(file);  // there, but not a file that can be read
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "unreadable";
}

}  // namespace
}  // namespace sorla::word_data
