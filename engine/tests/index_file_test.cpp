// The prebuilt index opened from untrusted bytes: every refusal has its
// message, and no change of its bytes makes an opened engine read outside
// them (the sanitizer build runs this too).
#include "sorla/index_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "lexgen.h"
#include "sorla/engine.h"
#include "sorla/format.h"

namespace sorla {
namespace {

std::span<const std::uint8_t> seed() { return seed_words(); }

// Index bytes in 8-byte aligned memory, as a mapping gives them.
struct Aligned {
  explicit Aligned(std::span<const std::uint8_t> bytes, std::size_t shift = 0)
      : words((bytes.size() + shift + 7) / 8 + 1), size(bytes.size()), shift(shift) {
    std::memcpy(data(), bytes.data(), bytes.size());
  }
  std::uint8_t* data() { return reinterpret_cast<std::uint8_t*>(words.data()) + shift; }
  std::span<std::uint8_t> span() { return {data(), size}; }
  std::vector<std::uint64_t> words;
  std::size_t size, shift;
};

std::vector<std::uint8_t> seed_index() {
  return std::get<Engine>(Engine::from_bytes(seed())).index_bytes(seed());
}

std::string refusal(std::span<const std::uint8_t> index,
                    std::span<const std::uint8_t> word_data = seed()) {
  auto result = Engine::open_index(index, word_data);
  if (std::holds_alternative<Engine>(result)) return "opened";
  return std::get<ReadError>(result).message;
}

TEST(IndexFile, OpensWhatItWasBuiltFrom) {
  Aligned index(seed_index());
  const Engine engine = std::get<Engine>(Engine::open_index(index.span(), seed()));
  const Engine built = std::get<Engine>(Engine::from_bytes(seed()));
  EXPECT_EQ(engine.words().size(), 93u);
  EXPECT_TRUE(std::equal(engine.words().begin(), engine.words().end(), built.words().begin()));
  EXPECT_EQ(engine.pairs(), built.pairs());
  EXPECT_EQ(engine.word_at_end("xxបាន"), built.word_at_end("xxបាន"));
  EXPECT_FALSE(engine.data_name());

  // A named, empty word data file: its name comes back, and nothing matches.
  const std::uint8_t empty_named[] = {'S', 'R', 'L', 'A', 1, 0, 2, 'k', 'm',
                                      0,   0,   0,   0,   0, 0, 0, 0};
  const Engine none = std::get<Engine>(Engine::from_bytes(empty_named));
  Aligned empty(none.index_bytes(empty_named));
  const Engine opened = std::get<Engine>(Engine::open_index(empty.span(), empty_named));
  EXPECT_EQ(opened.data_name(), std::optional<std::string>("km"));
  EXPECT_TRUE(opened.words().empty());
}

TEST(IndexFile, RefusesWhatIsNotItsOwnSoundIndex) {
  const std::vector<std::uint8_t> good = seed_index();
  EXPECT_EQ(refusal(std::span(good).first(100)), "the index file is cut short");
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_EQ(refusal(Aligned(longer).span()), "the index file is cut short or too long");
  std::vector<std::uint8_t> changed = good;
  changed[0] = 'X';
  EXPECT_EQ(refusal(changed), "not a Sorla index file");
  // An index of another version is refused, older (version 5 knows
  // version 3 word data by the hash of all of it, version 4 stores entries
  // in 16 bytes, version 3 hashes other bytes, version 2 has no completion
  // bounds) or newer, never read with this layout.
  for (const std::uint8_t version : {2, 3, 4, 5, 7}) {
    changed = good;
    changed[4] = version;
    EXPECT_EQ(refusal(changed), "unknown index file version " + std::to_string(version));
  }
  const auto other = lexgen::lexicon_file(50, 7);
  EXPECT_EQ(refusal(Aligned(good).span(), other), "the index file belongs to other word data");
  // What scores, bounds and shown texts are read from is hashed: a damaged
  // byte of it would rank or show silently wrong, and is refused. By the
  // section table: word ends and texts, pair slots, least words, levels,
  // entries, spellings (an exact reading's bonus), word terms, data name,
  // ranking numbers, best scores.
  for (const std::size_t section : {0, 1, 3, 8, 9, 10, 11, 12, 13, 14, 15}) {
    std::uint64_t offset = 0, count = 0;
    std::memcpy(&offset, good.data() + 64 + 16 * section, 8);
    std::memcpy(&count, good.data() + 64 + 16 * section + 8, 8);
    if (count == 0) continue;  // the seed list has no name
    changed = good;
    changed[offset] ^= 1;
    EXPECT_EQ(refusal(Aligned(changed).span()), "the index file is damaged") << section;
  }
  EXPECT_EQ(refusal(Aligned(good, 4).span()), "the index file is not aligned in memory");
  // The header's longest spelling sets the search's margin: hashed, and
  // behind a fresh hash it must still agree with the tree.
  changed = good;
  ++changed[48];
  EXPECT_EQ(refusal(Aligned(changed).span()), "the index file is damaged");
  reseal_index(changed, seed());
  EXPECT_EQ(refusal(Aligned(changed).span()), "the index file is not laid out as an index");

  // An index holds word terms of one weight: opened with another, it would
  // rank unlike the engine that wrote it.
  RankingParams heavier;
  heavier.word_term_weight = -0.9f;
  const auto tuned = std::get<Engine>(Engine::from_bytes(seed(), heavier)).index_bytes(seed());
  EXPECT_EQ(refusal(Aligned(tuned).span()), "the index file was made with other ranking numbers");
  EXPECT_TRUE(std::holds_alternative<ReadError>(
      Engine::open_index(Aligned(good).span(), seed(), nullptr, heavier)));
}

// Word data carrying tuned numbers ranks with them whether built or mapped;
// an index of that data made with other numbers is refused, and the front
// ends' opening then builds with the data's own.
TEST(IndexFile, RanksWithTheWordDatasOwnNumbersMappedAsBuilt) {
  const RankingParams dear_cut = {.start_penalty = 3.0f};
  WordList list = std::get<WordList>(read_word_data(seed()));
  list.ranking = dear_cut;
  const auto tuned = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  const Engine built = std::get<Engine>(Engine::from_bytes(tuned));
  EXPECT_EQ(built.ranking_params(), dear_cut);
  Aligned index(built.index_bytes(tuned));
  const Engine mapped = std::get<Engine>(Engine::open_index(index.span(), tuned));
  EXPECT_EQ(mapped.ranking_params(), dear_cut);
  const Engine plain = std::get<Engine>(Engine::from_bytes(seed()));
  for (const char* typed : {"tvka", "khnhom tov", "sabaydey", "nhamm bay"}) {
    const auto b = built.suggest(typed, std::nullopt), m = mapped.suggest(typed, std::nullopt);
    ASSERT_EQ(b.size(), m.size()) << typed;
    for (std::size_t k = 0; k < b.size(); ++k) {
      EXPECT_EQ(b[k].text, m[k].text) << typed;
      EXPECT_EQ(b[k].score, m[k].score) << typed;
    }
  }
  EXPECT_NE(built.suggest("tvka", std::nullopt)[0].text,
            plain.suggest("tvka", std::nullopt)[0].text);

  Aligned untuned(std::get<Engine>(Engine::from_bytes(tuned, RankingParams{})).index_bytes(tuned));
  EXPECT_EQ(refusal(untuned.span(), tuned), "the index file was made with other ranking numbers");
  const OpenedWordData opened = open_word_data(tuned, untuned.span());
  EXPECT_FALSE(opened.engine.mapped());
  EXPECT_EQ(opened.engine.ranking_params(), dear_cut);
}

// Version 3 word data is known to its index by the content hash in its
// header: a byte changed after it leaves the index opening (every word and
// score comes from the index) while building from the file refuses it; a
// changed hash refuses both. Version 2 data is still hashed whole.
TEST(IndexFile, KnowsVersion3WordDataByItsOwnHash) {
  WordList list = std::get<WordList>(read_word_data(seed()));
  list.ranking = RankingParams{};
  const auto v3 = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  Aligned index(std::get<Engine>(Engine::from_bytes(v3)).index_bytes(v3));
  std::vector<std::uint8_t> damaged = v3;
  damaged.back() ^= 1;  // the last pair's count
  EXPECT_EQ(std::get<ReadError>(Engine::from_bytes(damaged)).message,
            "the data file is damaged: its content hash does not match");
  EXPECT_EQ(std::get<Engine>(Engine::open_index(index.span(), damaged)).words().size(), 93u);
  damaged = v3;
  damaged[6] ^= 1;
  EXPECT_EQ(refusal(index.span(), damaged), "the index file belongs to other word data");
  EXPECT_TRUE(std::holds_alternative<ReadError>(Engine::from_bytes(damaged)));

  std::vector<std::uint8_t> v2 = v3;
  v2.erase(v2.begin() + 6, v2.begin() + 14);
  v2[4] = 2;
  Aligned v2_index(std::get<Engine>(Engine::from_bytes(v2)).index_bytes(v2));
  EXPECT_EQ(refusal(v2_index.span(), v2), "opened");
  v2.back() ^= 1;
  EXPECT_EQ(refusal(v2_index.span(), v2), "the index file belongs to other word data");
}

// Entry ranges and entries are checked as the search reads them, not on
// opening: a range running past the entries, or an entry naming no word,
// opens and loses its spellings, and nothing else.
TEST(IndexFile, DamagedEntriesLoseTheirWordsOnly) {
  const Engine built = std::get<Engine>(Engine::from_bytes(seed()));
  const std::string lost = built.suggest("sabay", std::nullopt)[0].text;
  std::uint64_t word = 0;
  for (const std::string_view text : built.words()) {
    if (text == lost) break;
    ++word;
  }
  const std::vector<std::uint8_t> good = seed_index();
  // The section table after the 64-byte header: offset and count of each.
  const auto section = [&](std::size_t k) {
    std::uint64_t at = 0;
    std::memcpy(&at, good.data() + 64 + 16 * k, 8);
    return at;
  };
  constexpr std::size_t kEntryBegin = 6, kEntries = 10;
  std::uint64_t count = 0;
  std::memcpy(&count, good.data() + 64 + 16 * kEntries + 8, 8);
  // Each spelling of the word damaged: in one index its node's entry range
  // runs past the entries, in the other the entry names no word.
  Aligned past(good), nameless(good);
  std::size_t damaged = 0;
  for (std::uint64_t entry = 0; entry < count; ++entry) {
    std::uint32_t w = 0;
    std::memcpy(&w, good.data() + section(kEntries) + 8 * entry, 4);
    if (w != word) continue;
    ++damaged;
    const std::uint32_t no_word = 0xfffffff0;
    std::memcpy(nameless.data() + section(kEntries) + 8 * entry, &no_word, 4);
    // The end of the range holding the entry: the first range start past it.
    std::uint32_t end = 1, begin = 0;
    for (; begin <= entry; ++end) {
      std::memcpy(&begin, good.data() + section(kEntryBegin) + 4 * end, 4);
    }
    const std::uint32_t far = 0x7ffffff0;
    std::memcpy(past.data() + section(kEntryBegin) + 4 * (end - 1), &far, 4);
  }
  ASSERT_GT(damaged, 0u);

  const auto answers = [&](Aligned& index, const char* typed) {
    reseal_index(index.span(), seed());
    const Engine engine = std::get<Engine>(Engine::open_index(index.span(), seed()));
    std::vector<std::string> texts;
    for (const Suggestion& s : engine.suggest(typed, std::nullopt)) texts.push_back(s.text);
    return texts;
  };
  for (Aligned* index : {&past, &nameless}) {
    const auto texts = answers(*index, "sabay");
    EXPECT_EQ(std::find(texts.begin(), texts.end(), lost), texts.end());
    EXPECT_EQ(answers(*index, "khnhom")[0], built.suggest("khnhom", std::nullopt)[0].text);
  }
}

// The word table's slots are checked as a lookup reads them: a table whose
// every slot names no word, so with no empty slot either, opens, and its
// lookups end without finding, as for a text not there.
TEST(IndexFile, DamagedWordSlotsLoseLookupsOnly) {
  const Engine built = std::get<Engine>(Engine::from_bytes(seed()));
  ASSERT_TRUE(built.word_at_end("xxបាន"));
  Aligned index(seed_index());
  constexpr std::size_t kWordSlots = 2;
  std::uint64_t at = 0, count = 0;
  std::memcpy(&at, index.data() + 64 + 16 * kWordSlots, 8);
  std::memcpy(&count, index.data() + 64 + 16 * kWordSlots + 8, 8);
  std::memset(index.data() + at, 0xff, 4 * count);
  const Engine engine = std::get<Engine>(Engine::open_index(index.span(), seed()));
  EXPECT_FALSE(engine.word_at_end("xxបាន"));
  EXPECT_EQ(engine.suggest("khnhom", std::string("បាន"))[0].text,
            built.suggest("khnhom", std::nullopt)[0].text);
}

// Bytes changed behind freshly written hashes reach the layout checks: each
// either is refused or opens an engine that answers without reading outside
// the index.
TEST(IndexFile, ChangedBytesNeverLeadOutsideTheIndex) {
  const std::vector<std::uint8_t> good = seed_index();
  lexgen::Rng rng(17);
  std::size_t refused = 0;
  for (int round = 0; round < 3000; ++round) {
    Aligned index(good);
    const std::size_t changes = 1 + rng.below(3);
    for (std::size_t k = 0; k < changes; ++k) {
      // The section table and the tree's arrays are where the danger is.
      const std::size_t at = 40 + rng.below(good.size() - 40);
      index.data()[at] = rng.percent(50) ? static_cast<std::uint8_t>(rng.below(256))
                                         : static_cast<std::uint8_t>(index.data()[at] ^ 0x80);
    }
    reseal_index(index.span(), seed());
    auto result = Engine::open_index(index.span(), seed());
    if (auto* engine = std::get_if<Engine>(&result)) {
      for (const char* typed : {"khnhom", "sabay tov", "nhamm bay", "x"}) {
        EXPECT_LE(engine->suggest(typed, std::string("បាន")).size(), 5u);
      }
    } else {
      ++refused;
    }
  }
  EXPECT_GT(refused, 0u);
}

}  // namespace
}  // namespace sorla
