#include "learned_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files.h"

namespace sorla::cli {
namespace {

namespace fs = std::filesystem;

class LearnedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sorla_cli_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static Engine engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
  }

  fs::path dir_;
};

TEST_F(LearnedFileTest, AtomicWriteCreatesTheFolderAndLeavesNoTemporaryFile) {
  const std::string path = (dir_ / "a" / "b.json").string();
  EXPECT_FALSE(write_file_atomically(path, "one"));
  EXPECT_FALSE(write_file_atomically(path, "two"));
  EXPECT_EQ(slurp(path), "two");
  EXPECT_EQ(fs::directory_iterator(dir_ / "a")->path().filename(), "b.json");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "a"), fs::directory_iterator()), 1);
  // A folder in the way of the target: a message, and no temporary file left.
  fs::create_directories(dir_ / "c" / "d.json");
  EXPECT_TRUE(write_file_atomically((dir_ / "c" / "d.json").string(), "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "c"), fs::directory_iterator()), 1);
}

TEST_F(LearnedFileTest, PicksRoundTripThroughTheFile) {
  Engine e = engine();
  PosixStorage storage((dir_ / "sub" / "learned.json").string());
  EXPECT_EQ(load_learned(storage, e).result, LoadOutcome::Result::Missing);
  EXPECT_EQ(save_learned(storage, e).result, SaveOutcome::Result::NotDirty);
  EXPECT_FALSE(fs::exists(dir_)) << "nothing learned, nothing written";
  e.learn("sabay", "\xE1\x9E\x9F", std::nullopt);
  EXPECT_EQ(save_learned(storage, e).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(slurp(storage.path()), e.export_learned());

  Engine again = engine();
  EXPECT_EQ(load_learned(storage, again).result, LoadOutcome::Result::Loaded);
  EXPECT_EQ(again.export_learned(), e.export_learned());
}

TEST_F(LearnedFileTest, UnusableFileIsKeptAsideUnderAFreeName) {
  fs::create_directories(dir_);
  const std::string path = (dir_ / "learned.json").string();
  const std::string bad = R"({"format":"sorla-learned","version":2,"picks":[]})";
  std::ofstream(path) << bad;
  std::ofstream(path + ".unreadable") << "older";
  Engine e = engine();
  PosixStorage storage(path);
  EXPECT_EQ(load_message(path, load_learned(storage, e)),
            path + ": unsupported learned-data version 2");
  EXPECT_EQ(slurp(path), bad) << "loading never touches the file";

  e.learn("sabay", "\xE1\x9E\x9F", std::nullopt);
  const SaveOutcome saved = save_learned(storage, e);
  EXPECT_EQ(saved.set_aside, path + ".unreadable.1");
  EXPECT_EQ(slurp(path + ".unreadable.1"), bad);
  EXPECT_EQ(slurp(path + ".unreadable"), "older");
  EXPECT_EQ(slurp(path), e.export_learned());

  std::ofstream(path) << "not json";
  EXPECT_EQ(load_message(path, load_learned(storage, e)), path + ": not a learned-data document");
}

TEST(LearnedPath, FollowsXdgThenHome) {
  const char* old_xdg = std::getenv("XDG_DATA_HOME");
  const char* old_home = std::getenv("HOME");
  const std::string saved_xdg = old_xdg ? old_xdg : "";
  const std::string saved_home = old_home ? old_home : "";
  ::setenv("XDG_DATA_HOME", "/data", 1);
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(default_learned_path(), "/data/sorla/learned.json");
  ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(default_learned_path(), "/home/u/.local/share/sorla/learned.json");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(default_learned_path(), "/home/u/.local/share/sorla/learned.json");
  ::unsetenv("HOME");
  EXPECT_EQ(default_learned_path(), std::nullopt);
  if (old_xdg) ::setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1);
  if (old_home) ::setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
}  // namespace sorla::cli
