#include "word_data/word_data_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "sorla/format.h"
#include "test_support.h"

namespace sorla::word_data {
namespace {

namespace fs = std::filesystem;
using sorla::testing::TempDir;

const std::string kTonle = "\u1791\u1793\u17D2\u179B\u17C1";  // ទន្លេ

std::string small_word_data() {
  WordList list;
  list.data_name = "test-words";
  list.entries.push_back({kTonle, {"tonle"}, 0});
  const auto bytes = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  return {bytes.begin(), bytes.end()};
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

TEST(WordDataFile, FallsBackToTheSeedListWhenTheFileIsNotSound) {
  TempDir folder;
  const fs::path file = folder.path() / kFileName;
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "missing";

  write(file, "");
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "empty";

  const std::string whole = small_word_data();
  write(file, std::string_view(whole).substr(0, whole.size() - 3));
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "cut short";

  write(file, "SRLA\x02\x00garbage");
  EXPECT_TRUE(types_seed_list(load_engine(folder.path()))) << "unknown version";

  {
    // A file past the cap, made without writing its bytes.
    write(file, whole);
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxFileBytes) + 1;
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
