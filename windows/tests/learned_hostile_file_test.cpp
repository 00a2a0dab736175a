// Hostile learned.json files met by the load at activation and by the next
// save: each is refused (and kept aside by the save) or cut to the cap, and
// the host goes on with its picks.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "learned_file/file_io.h"
#include "learned_file/learned_file.h"
#include "learned_file/learned_path.h"
#include "sorla/engine.h"
#include "user_files_test.h"

namespace sorla::learned_file {
namespace {

namespace fs = std::filesystem;

const std::string kHead = R"({"format":"sorla-learned","version":1,)";
const std::string kWord = "បាន";

using sorla::testing::seed_engine;

std::string pick(std::string_view typed, std::string_view count) {
  std::string out = R"({"typed":")";
  out.append(typed).append(R"(","picked":")").append(kWord).append(R"(","count":)");
  return out.append(count).append("}");
}

class HostileFileTest : public sorla::testing::UserFilesTest {
 protected:
  fs::path target = folder / "learned.json";

  void put(const std::string& bytes) {
    fs::create_directories(target.parent_path());
    ASSERT_TRUE(write_whole_file(target, bytes));
  }

  // Loads the file as an activation does, then commits one pick and saves.
  // Returns the number of picks the load took from the file.
  std::size_t load_then_save() {
    LearnedFile file;
    load_learned(file, engine);
    const std::size_t loaded = engine.learned().size();
    engine.learn("sok", kWord, std::nullopt);
    EXPECT_EQ(save_learned(file, engine).result, SaveOutcome::Result::Saved);
    return loaded;
  }

  // A refused file is kept aside whole and replaced by a sound one.
  void expect_refused(const std::string& bytes) {
    engine = seed_engine();
    put(bytes);
    EXPECT_EQ(load_then_save(), 0u);
    EXPECT_EQ(fs::file_size(unreadable_path(target)), bytes.size());
    const StoredFile now = read_whole_file(target, kMaxLearnedFileBytes);
    EXPECT_EQ(now.bytes, engine.export_learned());
    EXPECT_EQ(engine.learned().size(), 1u);
  }
};

TEST_F(HostileFileTest, DeeplyNestedArrays) { expect_refused(std::string(32u << 20, '[')); }

TEST_F(HostileFileTest, DeepNestingInAnIgnoredMemberIsSkipped) {
  const std::size_t depth = (1u << 20) - 8;  // the deepest the reader skips
  put(kHead + R"("deep":)" + std::string(depth, '[') + std::string(depth, ']') + R"(,"picks":[)" +
      pick("ban", "3") + "]}");
  EXPECT_EQ(load_then_save(), 1u);
  EXPECT_FALSE(fs::exists(unreadable_path(target)));
  EXPECT_EQ(engine.learned().size(), 2u);
}

TEST_F(HostileFileTest, HugeStrings) {
  expect_refused(kHead + R"("picks":[)" + pick(std::string(32u << 20, 'k'), "1"));  // cut short
  put(kHead + R"("picks":[)" + pick(std::string(8u << 20, 'k'), "1") + "]}");
  EXPECT_EQ(load_then_save(), 1u);
  EXPECT_EQ(engine.learned().size(), 2u);
  EXPECT_GT(fs::file_size(target), 8u << 20);
}

TEST_F(HostileFileTest, InvalidUtf8) {
  std::string bytes = kHead + R"("picks":[)";
  for (int i = 0; i < 100000; ++i) bytes += pick("ban", "1") + ",";
  expect_refused(bytes + pick("ban\xC0\xAF", "1") + "]}");
}

TEST_F(HostileFileTest, NumbersBeyond64Bits) {
  expect_refused(kHead + R"("picks":[)" + pick("ban", "18446744073709551616") + "]}");
  expect_refused(kHead + R"("picks":[)" + pick("ban", std::string(16u << 20, '7')) + "]}");
}

TEST_F(HostileFileTest, MillionPicksAreCutToTheCap) {
  std::string bytes = kHead + R"("picks":[)";
  bytes.reserve(48u << 20);
  for (std::size_t i = 0; i < 1000000; ++i) {
    std::string typed(5, 'a');
    for (std::size_t p = 5, n = i; p-- > 0; n /= 26) typed[p] = static_cast<char>('a' + n % 26);
    if (i != 0) bytes += ',';
    bytes += pick(typed, i % 10 == 0 ? "2" : "1");
  }
  put(bytes + "]}");
  EXPECT_EQ(load_then_save(), LearnedStore::kTarget);
  EXPECT_FALSE(fs::exists(unreadable_path(target)));
  EXPECT_EQ(engine.learned().size(), LearnedStore::kTarget + 1);
}

}  // namespace
}  // namespace sorla::learned_file
