// What a store has learned since it was loaded, and how that is applied to a
// learned-data file another process may have saved meanwhile.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "sorla/learn.h"

namespace sorla {
namespace {

constexpr std::uint32_t kMax = 4294967295u;
const std::string kW = "\xE1\x9E\x80";  // U+1780

LearnedStore imported(std::string_view json) {
  auto result = LearnedStore::import_json(json);
  if (!std::holds_alternative<LearnedStore>(result)) {
    ADD_FAILURE() << "import failed for " << json;
    return {};
  }
  return std::get<LearnedStore>(std::move(result));
}

// A store holding exactly these picks, as a load from a file gives it.
LearnedStore saved_store(const std::map<PickKey, std::uint32_t>& picks) {
  std::string json = R"({"format":"sorla-learned","version":1,"picks":[)";
  for (const auto& [key, count] : picks) {
    if (json.back() != '[') json += ',';
    json += R"({"typed":")" + key.typed + R"(","picked":")" + key.picked + '"';
    if (key.previous) json += R"(,"previous":")" + *key.previous + '"';
    json += R"(,"count":)" + std::to_string(count) + "}";
  }
  return imported(json + "]}");
}

PickKey key(std::string typed, std::optional<std::string> previous = std::nullopt) {
  return PickKey{std::move(typed), kW, std::move(previous)};
}

// Fixed-width letter keys whose order follows `i`.
std::string letter_key(int i) {
  std::string k(4, 'a');
  for (int p = 3; p >= 0; --p, i /= 26) k[p] = static_cast<char>('a' + i % 26);
  return k;
}

TEST(LearnUnsaved, FollowsRecordAndUnrecord) {
  LearnedStore store = saved_store({{key("sok"), 3}});
  EXPECT_TRUE(store.unsaved().empty());

  store.record("Ba'ng", kW, std::nullopt);
  store.record("bang", kW, std::nullopt);
  store.unrecord("bang", kW, std::nullopt);
  store.record("chea", kW, "p");
  store.unrecord("chea", kW, "p");            // counted and taken back: nothing to save
  store.unrecord("sok", kW, std::nullopt);    // a pick from the file taken back
  store.unrecord("never", kW, std::nullopt);  // unknown: left alone
  store.record("--", kW, std::nullopt);       // no letters: not counted
  EXPECT_EQ(store.unsaved(), (LearnedStore::Unsaved{{key("bang"), 1}, {key("sok"), -1}}));

  // A fresh import has nothing unsaved; equality looks at the picks only.
  const LearnedStore reloaded = imported(store.export_json());
  EXPECT_TRUE(reloaded.unsaved().empty());
  EXPECT_EQ(reloaded, store);
}

TEST(LearnUnsaved, MergeAddsAndTakesBackOntoTheSavedPicks) {
  // Both processes loaded {sok 3, chea 1}; the other one has saved since.
  LearnedStore mine = saved_store({{key("sok"), 3}, {key("chea"), 1}});
  const LearnedStore theirs =
      saved_store({{key("sok"), 5}, {key("chea"), 1}, {key("dara", "p"), 2}});
  mine.record("sok", kW, std::nullopt);
  mine.record("ban", kW, std::nullopt);
  mine.unrecord("chea", kW, std::nullopt);

  const LearnedStore merged = mine.merged_onto(theirs);
  EXPECT_EQ(merged.entries(), (std::map<PickKey, std::uint32_t>{
                                  {key("ban"), 1}, {key("dara", "p"), 2}, {key("sok"), 6}}));
  EXPECT_TRUE(merged.unsaved().empty());
  // The local store is untouched, so a save that fails can merge again.
  EXPECT_EQ(mine.unsaved().size(), 3u);
}

TEST(LearnUnsaved, MergeNeverGoesBelowZeroAndSaturates) {
  LearnedStore mine = saved_store({{key("a"), 2}, {key("b"), kMax}, {key("c"), 1}});
  mine.unrecord("a", kW, std::nullopt);
  mine.unrecord("a", kW, std::nullopt);
  mine.record("b", kW, std::nullopt);  // stays at the maximum here
  mine.record("b", kW, std::nullopt);
  mine.unrecord("c", kW, std::nullopt);

  // Another process took "a" back already and forgot "c"; "b" is near the top.
  const LearnedStore merged = mine.merged_onto(saved_store({{key("a"), 1}, {key("b"), kMax - 1}}));
  EXPECT_EQ(merged.entries(), (std::map<PickKey, std::uint32_t>{{key("b"), kMax}}));
}

TEST(LearnUnsaved, EvictionKeepsWhatIsStillToBeSaved) {
  LearnedStore mine;
  mine.record(letter_key(0), kW, std::nullopt);  // first in key order, count 1
  for (int i = 1; i <= static_cast<int>(LearnedStore::kCap); ++i) {
    mine.record(letter_key(i), kW, std::nullopt);
  }
  ASSERT_EQ(mine.size(), LearnedStore::kTarget);
  ASSERT_FALSE(mine.entries().contains(key(letter_key(0))));

  // The file knows the evicted pick well: the save still adds this one.
  const LearnedStore saved = saved_store({{key(letter_key(0)), 5}});
  EXPECT_EQ(mine.merged_onto(saved).entries().at(key(letter_key(0))), 6u);

  // Taking back a pick counted here but evicted since leaves the save
  // nothing to add for it, and a second take-back nothing to take away.
  mine.unrecord(letter_key(0), kW, std::nullopt);
  EXPECT_FALSE(mine.unsaved().contains(key(letter_key(0))));
  EXPECT_EQ(mine.merged_onto(saved).size(), LearnedStore::kTarget);  // cut as after an import
  mine.unrecord(letter_key(0), kW, std::nullopt);
  EXPECT_FALSE(mine.unsaved().contains(key(letter_key(0))));
}

// Another process filled the file to the cap with picks counted more than
// once; the pick just made here has count 1, the lowest, and still survives
// the save's cut.
TEST(LearnUnsaved, MergeAtTheCapKeepsThePickJustMade) {
  std::map<PickKey, std::uint32_t> full;
  for (int i = 1; i <= static_cast<int>(LearnedStore::kCap); ++i) full[key(letter_key(i))] = 2;
  LearnedStore mine;
  mine.record(letter_key(0), kW, std::nullopt);
  const LearnedStore merged = mine.merged_onto(saved_store(full));
  EXPECT_EQ(merged.size(), LearnedStore::kTarget);
  EXPECT_EQ(merged.entries().at(key(letter_key(0))), 1u);
}

// Several stores load, learn, take back and save in turns through one shared
// document, each continuing from what it saved: the document ends with exactly
// the sum of what all of them learned. An undo only takes back a pick its own
// store counted, as the typing session's undo does.
TEST(LearnUnsaved, InterleavedSavesLoseNoPick) {
  std::mt19937 rng(8);
  std::string file = LearnedStore().export_json();
  std::vector<LearnedStore> stores(3, imported(file));
  std::vector<std::map<PickKey, std::int64_t>> own(stores.size());
  for (int step = 0; step < 3000; ++step) {
    const std::size_t s = rng() % stores.size();
    LearnedStore& store = stores[s];
    const std::string typed = letter_key(static_cast<int>(rng() % 40));
    const std::optional<std::string> previous =
        rng() % 3 == 0 ? std::optional<std::string>("p") : std::nullopt;
    const PickKey k = key(typed, previous);
    switch (rng() % 8) {
      case 0:  // an undo
        if (own[s][k] > 0) {
          store.unrecord(typed, kW, previous);
          --own[s][k];
        }
        break;
      case 1:  // a save
        store = store.merged_onto(imported(file));
        file = store.export_json();
        break;
      case 2:  // deactivation saves, the next activation loads
        file = store.merged_onto(imported(file)).export_json();
        store = imported(file);
        break;
      default:
        store.record(typed, kW, previous);
        ++own[s][k];
        break;
    }
  }
  for (LearnedStore& store : stores) file = store.merged_onto(imported(file)).export_json();

  std::map<PickKey, std::uint32_t> expected;
  for (const auto& counts : own) {
    for (const auto& [k, n] : counts) {
      if (n != 0) expected[k] += static_cast<std::uint32_t>(n);
    }
  }
  EXPECT_EQ(imported(file).entries(), expected);
}

}  // namespace
}  // namespace sorla
