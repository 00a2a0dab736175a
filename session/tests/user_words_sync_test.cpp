// The words file edited on a storage kept in memory: every edit starts from
// the file as it is then, under the lock, and what cannot be done leaves the
// file as it was.
#include "sorla/user_words_sync.h"

#include <gtest/gtest.h>

#include "memory_storage.h"

namespace sorla {
namespace {

using Edit = UserWordsEdit::Result;
const std::string kSok = "សុខ";
const std::string kDara = "ដារា";

TEST(UserWordsSync, EditsStartFromTheFileAsItIsNow) {
  MemoryStorage disk;
  EXPECT_EQ(add_user_word(disk, kSok, "sok").result, Edit::Changed);
  // Another program's line appears meanwhile; the next edit keeps it.
  disk.file.bytes += "# theirs\n" + kDara + "\tdara\n";
  EXPECT_EQ(add_user_word(disk, kSok, "Sok sokk").result, Edit::Changed);
  EXPECT_EQ(add_user_word(disk, kSok, "sokk").result, Edit::Unchanged);
  EXPECT_EQ(disk.file.bytes, kSok + "\tsok sokk\n# theirs\n" + kDara + "\tdara\n");

  EXPECT_EQ(remove_user_word(disk, kDara).result, Edit::Changed);
  EXPECT_EQ(remove_user_word(disk, kDara).result, Edit::Unchanged);
  EXPECT_EQ(disk.file.bytes, kSok + "\tsok sokk\n# theirs\n");
}

TEST(UserWordsSync, WhatCannotBeDoneLeavesTheFile) {
  MemoryStorage disk;
  disk.file = {StoredFile::State::Read, kSok + "\tsok\n", {}};
  const UserWordsEdit refused = add_user_word(disk, "sok", "sok");
  EXPECT_EQ(refused.result, Edit::Refused);
  EXPECT_EQ(refused.error, "The word must be in Khmer script only.");
  disk.locked = true;
  EXPECT_EQ(add_user_word(disk, kDara, "dara").result, Edit::Busy);
  disk.locked = false;
  disk.fail_write = true;
  EXPECT_EQ(add_user_word(disk, kDara, "dara").error, "disk full");
  disk.fail_write = false;
  disk.file.state = StoredFile::State::Unreadable;
  disk.file.error = "held by another program";
  EXPECT_EQ(remove_user_word(disk, kSok).error, "held by another program");
  EXPECT_EQ(disk.file.bytes, kSok + "\tsok\n");
}

TEST(UserWordsSync, LoadSetsTheEnginesWords) {
  MemoryStorage disk;
  Engine engine = std::get<Engine>(Engine::from_bytes(seed_words()));
  disk.file = {StoredFile::State::Read, kSok + "\tsok\nsok\tsok\n", {}};
  const UserWordsLoad load = load_user_words(disk, engine);
  EXPECT_EQ(load.result, UserWordsLoad::Result::Loaded);
  EXPECT_EQ(load.skipped, std::vector<std::size_t>{2});
  EXPECT_EQ(engine.user_words(), (std::vector<UserWord>{{kSok, {"sok"}}}));
  EXPECT_EQ(engine.suggest("sok", std::nullopt).front().text, kSok);

  // Held by another program a moment: the words stay; gone: they go.
  disk.file = {StoredFile::State::Unreadable, {}, "busy"};
  EXPECT_EQ(load_user_words(disk, engine).result, UserWordsLoad::Result::Unreadable);
  EXPECT_EQ(engine.user_words().size(), 1u);
  disk.file = {};
  EXPECT_EQ(load_user_words(disk, engine).result, UserWordsLoad::Result::Missing);
  EXPECT_TRUE(engine.user_words().empty());
}

}  // namespace
}  // namespace sorla
