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

TEST_F(LearnedFileTest, MissingFileStartsEmptyAndWritesOnlyWhatWasLearned) {
  Engine e = engine();
  LearnedFile file{(dir_ / "learned.json").string(), false, {}};
  EXPECT_EQ(load_learned(e, file).status, LoadStatus::Missing);
  EXPECT_FALSE(save_learned(e, file));
  EXPECT_FALSE(fs::exists(dir_)) << "nothing learned, nothing written";
  e.learn("sabay", "\xE1\x9E\x9F", std::nullopt);
  EXPECT_FALSE(save_learned(e, file));
  EXPECT_EQ(slurp(file.path), e.export_learned());

  Engine again = engine();
  LearnedFile reread{file.path, false, {}};
  EXPECT_EQ(load_learned(again, reread).status, LoadStatus::Loaded);
  EXPECT_EQ(again.export_learned(), e.export_learned());
}

TEST_F(LearnedFileTest, UnreadableFileIsKeptAsideBeforeTheFirstSave) {
  fs::create_directories(dir_);
  const std::string path = (dir_ / "learned.json").string();
  const std::string bad = R"({"format":"sorla-learned","version":2,"picks":[]})";
  std::ofstream(path) << bad;
  std::ofstream(path + ".unreadable") << "older";
  Engine e = engine();
  LearnedFile file{path, false, {}};
  const LoadResult result = load_learned(e, file);
  EXPECT_EQ(result.status, LoadStatus::Failed);
  EXPECT_NE(result.message.find("unsupported learned-data version 2"), std::string::npos);
  EXPECT_EQ(slurp(path), bad) << "loading never touches the file";

  e.learn("sabay", "\xE1\x9E\x9F", std::nullopt);
  std::string note;
  EXPECT_FALSE(save_learned(e, file, &note));
  EXPECT_NE(note.find("learned.json.unreadable.1"), std::string::npos);
  EXPECT_EQ(slurp(path + ".unreadable.1"), bad);
  EXPECT_EQ(slurp(path + ".unreadable"), "older");
  EXPECT_EQ(slurp(path), e.export_learned());
  EXPECT_EQ(names(), (std::vector<std::string>{"learned.json", "learned.json.unreadable",
                                               "learned.json.unreadable.1"}));
}

TEST_F(LearnedFileTest, NotJsonIsReportedAsSuch) {
  fs::create_directories(dir_);
  const std::string path = (dir_ / "learned.json").string();
  std::ofstream(path) << "not json";
  Engine e = engine();
  LearnedFile file{path, false, {}};
  EXPECT_EQ(load_learned(e, file).message, path + ": not a learned-data document");
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
