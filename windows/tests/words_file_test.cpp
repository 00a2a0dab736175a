// The user's words file on Windows: added through the dialog's call, read
// at activation and again once it changed, and out of an AppContainer's reach.
#include "learned_file/words_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

#include "learned_file/app_access.h"
#include "learned_file/learned_path.h"
#include "user_files_test.h"

namespace sorla::learned_file {
namespace {

namespace fs = std::filesystem;
using Edit = UserWordsEdit::Result;

const std::string kDara = "ដារា";
const std::string kSok = "សុខ";

std::string first(const Engine& engine, std::string_view typed) {
  const auto found = engine.suggest(typed, std::nullopt);
  return found.empty() ? std::string() : found.front().text;
}

class WordsFileTest : public sorla::testing::UserFilesTest {
 protected:
  fs::path target = folder / "words.txt";
  WordsFile file;
};

TEST_F(WordsFileTest, AWordAddedElsewhereIsReadOnceItChanged) {
  EXPECT_EQ(words_path(), target);
  EXPECT_EQ(words_path(std::wstring()), std::nullopt);
  load_user_words(file, engine);  // no file yet
  EXPECT_FALSE(reload_user_words_if_changed(file, engine));

  ASSERT_EQ(add_user_word(kDara, "dara").result, Edit::Changed);
  EXPECT_TRUE(reload_user_words_if_changed(file, engine));
  EXPECT_EQ(first(engine, "dara"), kDara);
  EXPECT_FALSE(reload_user_words_if_changed(file, engine));  // nothing new

  // Replaced by another save (a new file moved in), or edited by hand.
  ASSERT_EQ(add_user_word(kSok, "sokk").result, Edit::Changed);
  EXPECT_TRUE(reload_user_words_if_changed(file, engine));
  EXPECT_EQ(first(engine, "sokk"), kSok);
  { std::ofstream(target, std::ios::app) << kDara << "\tdaraa\n"; }
  EXPECT_TRUE(reload_user_words_if_changed(file, engine));
  EXPECT_EQ(first(engine, "daraa"), kDara);

  EXPECT_EQ(add_user_word("dara", "dara").result, Edit::Refused);
  // No lock or temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
            1);
}

TEST_F(WordsFileTest, AnAppContainerNeitherReadsNorAdds) {
  ASSERT_EQ(add_user_word(kDara, "dara").result, Edit::Changed);
  set_app_container_query([] { return true; });
  load_user_words(file, engine);
  const bool offered = can_add_user_words();
  const UserWordsEdit added = add_user_word(kSok, "sokk");
  set_app_container_query(nullptr);

  EXPECT_TRUE(engine.user_words().empty());
  EXPECT_FALSE(offered);
  EXPECT_EQ(added.result, Edit::Failed);
  EXPECT_TRUE(can_add_user_words());
  load_user_words(file, engine);
  EXPECT_EQ(first(engine, "dara"), kDara);
}

}  // namespace
}  // namespace sorla::learned_file
