// The learned-file rules on a storage kept in memory: merging with what
// other processes saved, setting unusable files aside, and keeping picks
// unsaved when a save cannot finish.
#include "sorla/learned_sync.h"

#include <gtest/gtest.h>

#include "memory_storage.h"

namespace sorla {
namespace {

const std::string kBan = "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93";  // បាន

Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

std::uint32_t count_on(const MemoryStorage& disk, const std::string& typed) {
  const auto store = std::get<LearnedStore>(LearnedStore::import_json(disk.file.bytes));
  std::uint32_t total = 0;
  for (const auto& [key, count] : store.entries()) total += key.typed == typed ? count : 0;
  return total;
}

TEST(LearnedSync, TwoProcessesKeepEachOthersPicks) {
  MemoryStorage disk;
  Engine a = seed_engine(), b = seed_engine();
  EXPECT_EQ(load_learned(disk, a).result, LoadOutcome::Result::Missing);
  load_learned(disk, b);
  EXPECT_EQ(save_learned(disk, a).result, SaveOutcome::Result::NotDirty);

  a.learn("ban", kBan, std::nullopt);
  b.learn("ban", kBan, std::nullopt);
  b.learn("sok", kBan, std::nullopt);
  EXPECT_EQ(save_learned(disk, a).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(save_learned(disk, b).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(count_on(disk, "ban"), 2u);
  EXPECT_EQ(count_on(disk, "sok"), 1u);
  // Each continues from what the file holds, with nothing left unsaved.
  EXPECT_TRUE(b.learned().unsaved().empty());
  EXPECT_EQ(b.export_learned(), disk.file.bytes);

  // A take-back is applied to the merged count.
  a.unlearn("ban", kBan, std::nullopt);
  EXPECT_EQ(save_learned(disk, a).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(count_on(disk, "ban"), 1u);
  Engine c = seed_engine();
  EXPECT_EQ(load_learned(disk, c).result, LoadOutcome::Result::Loaded);
  EXPECT_EQ(c.learned(), a.learned());
}

TEST(LearnedSync, UnusableFilesAreSetAsideNotDestroyed) {
  const std::string v2 = R"({"format":"sorla-learned","version":2,"picks":[]})";
  for (const std::string& bad : {v2, std::string("{\"format\":"), std::string(100, ' ')}) {
    MemoryStorage disk;
    disk.file = {StoredFile::State::Read, bad, {}};
    Engine engine = seed_engine();
    const LoadOutcome loaded = load_learned(disk, engine);
    EXPECT_EQ(loaded.result, LoadOutcome::Result::Refused);
    engine.learn("ban", kBan, std::nullopt);
    const SaveOutcome saved = save_learned(disk, engine);
    EXPECT_EQ(saved.result, SaveOutcome::Result::Saved);
    EXPECT_EQ(saved.set_aside, "aside-1");
    EXPECT_EQ(disk.aside, std::vector<std::string>{bad});
    EXPECT_EQ(count_on(disk, "ban"), 1u);
  }
}

TEST(LearnedSync, ASaveThatCannotFinishKeepsThePicksForTheNext) {
  MemoryStorage disk;
  Engine engine = seed_engine();
  engine.learn("ban", kBan, std::nullopt);

  disk.locked = true;  // another process is saving
  EXPECT_EQ(save_learned(disk, engine).result, SaveOutcome::Result::Busy);
  disk.locked = false;

  disk.file = {StoredFile::State::Unreadable, {}, "held open"};
  const SaveOutcome unreadable = save_learned(disk, engine);
  EXPECT_EQ(unreadable.result, SaveOutcome::Result::Failed);
  EXPECT_EQ(unreadable.error, "held open");
  EXPECT_TRUE(disk.aside.empty());  // it may be fine later: not set aside

  disk.file = {};
  disk.fail_write = true;
  EXPECT_EQ(save_learned(disk, engine).result, SaveOutcome::Result::Failed);
  EXPECT_FALSE(engine.learned().unsaved().empty());
  EXPECT_FALSE(disk.locked);  // let go on every path

  disk.fail_write = false;
  EXPECT_EQ(save_learned(disk, engine).result, SaveOutcome::Result::Saved);
  EXPECT_TRUE(engine.learned().unsaved().empty());
  EXPECT_EQ(count_on(disk, "ban"), 1u);  // once, however many tries it took
}

TEST(LearnedSync, AClearIsNotUndoneByAnotherSessionsSave) {
  MemoryStorage disk;
  Engine a = seed_engine(), b = seed_engine();
  ClearMark mark_a, mark_b;
  a.learn("ban", kBan, std::nullopt);
  ASSERT_EQ(save_learned(disk, a, false, &mark_a).result, SaveOutcome::Result::Saved);
  load_learned(disk, b, &mark_b);
  b.learn("sok", kBan, std::nullopt);  // not saved before the clear

  EXPECT_EQ(clear_learned(disk, a, mark_a).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(a.learned().size(), 0u);
  EXPECT_EQ(count_on(disk, "ban"), 0u);

  // B's picks, saved and unsaved, predate the clear: dropped, not written.
  EXPECT_EQ(save_learned(disk, b, false, &mark_b).result, SaveOutcome::Result::Cleared);
  EXPECT_EQ(b.learned().size(), 0u);
  EXPECT_EQ(count_on(disk, "sok"), 0u);
  // After it both save as before.
  b.learn("sok", kBan, std::nullopt);
  a.learn("ban", kBan, std::nullopt);
  EXPECT_EQ(save_learned(disk, b, false, &mark_b).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(save_learned(disk, a, false, &mark_a).result, SaveOutcome::Result::Saved);
  EXPECT_EQ(count_on(disk, "sok") + count_on(disk, "ban"), 2u);

  // A session that has not saved since hears of a clear without saving.
  Engine c = seed_engine();
  ClearMark mark_c;
  load_learned(disk, c, &mark_c);
  EXPECT_FALSE(follow_clear(disk, c, mark_c));
  EXPECT_EQ(c.learned().size(), 2u);
  clear_learned(disk, a, mark_a);
  EXPECT_TRUE(follow_clear(disk, c, mark_c));
  EXPECT_EQ(c.learned().size(), 0u);
  EXPECT_EQ(mark_c.seen, 2u);
}

}  // namespace
}  // namespace sorla
