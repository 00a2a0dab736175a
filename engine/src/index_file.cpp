// Writing and opening the prebuilt index. Opening reads each byte it needs
// once, not the whole index twice: the header, the section table, the word
// data's size and hash (of version 3 word data, only the 8 bytes of its
// header that hold its content hash), a hash over the sections that carry
// scores or what is shown (kHashed), and checks over the tree's arrays:
// every value that a search uses to find another element (child ranges,
// word indexes, offsets into the spelling pool, the pair table's empty
// slots) is checked, so that no keystroke reads outside the index, whatever
// its bytes. The entry ranges, the entries and the word table's slots are
// checked where they are read instead (Matcher::offer_entries,
// WordIndex::find), a compare or two for the few a keystroke reads instead
// of passes over 6.6 MB at every activation; the tree's per-node characters
// are not read at all (a child's character is the bit it stands for in its
// parent).
//
// What a damaged index can do, then. Damage to the section table, the
// word texts, the precomputed ranking terms, the completion bounds (least
// word and best score below each node), the word pairs, the levels, the
// entries (which word and spelling each names), the spelling pool (which
// decides an exact reading's bonus), the data name or the ranking numbers
// changes the hash and is refused before any search: no score, bound or
// shown text is used unchecked. Damage to the rest (the tree's character
// bits and ranges, the entry ranges, the word table's slots) is refused
// when it breaks the checks above; an entry range past the entries opens
// but loses those spellings, and a slot naming no word is passed over, as
// the search passes them over (a table with no empty slot makes each
// lookup walk all of it: slow, bounded, and finding nothing). What passes
// can only make a word findable
// under another path of characters (priced as that path, as word data
// holding such a spelling would be), or not found, or not found by its
// text. It cannot read outside the index, nor change a word's text, its
// ranking term, an exact reading's bonus, a pair's bonus or a completion
// bound's value. Word data written anew since its index was has another
// hash, and the index is refused (damaged word data: below). An index made
// to pass the hash (it is no secret) can rank its own words as it likes, as
// word data written by hand can.
//
// What damaged word data can do. Version 1 and 2 files are hashed whole at
// each opening: any change refuses the index. A version 3 file is known by
// its size and the content hash in its header. Damage to that hash refuses
// the index, and the reader then refuses the file as damaged (seed list).
// Damage elsewhere, with a sound index, changes nothing the engine uses:
// every word, spelling, pair and score comes from the index, checked by the
// index hash, and the ranking numbers read from the file's head must equal
// the index's own or the index is refused. When the index is missing or
// refused, building reads the whole file and checks its content hash first,
// so the damage is refused there.
#include "sorla/index_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <optional>
#include <type_traits>

#include "bulk_hash.h"
#include "child_check.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/text.h"

namespace sorla {
namespace {

constexpr char kMagic[4] = {'S', 'I', 'D', 'X'};
// Version 2 records the ranking numbers the index was made with; version 3
// adds the tree's completion bounds; version 4 hashes only the sections
// in kHashed, not everything after the header; version 5 stores an entry
// in 8 bytes instead of 16; version 6 records a version 3 word data file by
// the content hash its header carries (data_hash_of).
constexpr std::uint32_t kVersion = kIndexVersion;

enum Section : std::size_t {
  kWordEnds,
  kWordText,
  kWordSlots,
  kPairSlots,
  kCode,
  kChildBegin,
  kEntryBegin,
  kChildCodes,
  kMinWord,
  kLevelBegin,
  kEntries,
  kLetters,
  kWordTerms,
  kDataName,
  kRanking,
  kBestAt,
  kSectionCount,
};
constexpr std::array<std::size_t, kSectionCount> kElementSize = {4, 1, 4, 8, 1, 4, 4, 4,
                                                                 4, 4, 8, 1, 4, 1, 4, 1};
// What scores and bounds are read from, what is shown, and the small rest:
// the sections the index hash covers, with the section table and the
// header's fields after the hashes. The tree's other arrays and the word
// table are guarded by the layout checks alone (the opening comment says
// what that leaves to damage), so that opening does not read them twice.
constexpr Section kHashed[] = {kWordEnds, kWordText,  kPairSlots, kMinWord, kLevelBegin, kEntries,
                               kLetters,  kWordTerms, kDataName,  kRanking, kBestAt};

// The header's fields, at these offsets.
constexpr std::size_t kAtMagic = 0, kAtVersion = 4, kAtSections = 8, kAtFileSize = 16,
                      kAtDataSize = 24, kAtDataHash = 32, kAtIndexHash = 40, kAtMaxLen = 48,
                      kAtPairCount = 56, kHeaderSize = 64;
constexpr std::size_t kTableSize = kSectionCount * 16;
constexpr std::size_t kDataStart = kHeaderSize + kTableSize;

static_assert(sizeof(MatcherEntry) == 8 && alignof(MatcherEntry) <= kIndexAlignment &&
                  offsetof(MatcherEntry, word) == 0 && offsetof(MatcherEntry, letters) == 4 &&
                  std::has_unique_object_representations_v<MatcherEntry>,
              "the index stores matcher entries as they lie in memory, with no padding");
static_assert(std::endian::native == std::endian::little, "the index is little-endian");

template <typename T>
T load(std::span<const std::uint8_t> bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

template <typename T>
void store(std::vector<std::uint8_t>& out, std::size_t at, T value) {
  std::memcpy(out.data() + at, &value, sizeof value);
}

std::uint64_t hash_of(std::span<const std::uint8_t> bytes) { return bulk_hash(bytes); }

// The word data's hash as the index records it: a version 3 file's own, 8
// bytes of its header (the reader checks them against the rest when it
// builds), so that opening does not read the whole file; the XXH3 of all of
// an older one, which carries none.
std::uint64_t data_hash_of(std::span<const std::uint8_t> word_data) {
  if (const auto own = data_content_hash(word_data)) return *own;
  return hash_of(word_data);
}

class Writer {
 public:
  Writer() : out_(kDataStart, 0) {}

  template <typename T>
  void section(Section s, std::span<const T> items) {
    while (out_.size() % kIndexAlignment != 0) out_.push_back(0);
    store<std::uint64_t>(out_, kHeaderSize + 16 * s, out_.size());
    store<std::uint64_t>(out_, kHeaderSize + 16 * s + 8, items.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(items.data());
    out_.insert(out_.end(), bytes, bytes + items.size_bytes());
  }
  std::vector<std::uint8_t>& bytes() { return out_; }

 private:
  std::vector<std::uint8_t> out_;
};

// The sections of a sound index, as typed views.
struct Sections {
  std::array<std::span<const std::uint8_t>, kSectionCount> raw;
  template <typename T>
  std::span<const T> as(Section s) const {
    return {reinterpret_cast<const T*>(raw[s].data()), raw[s].size() / kElementSize[s]};
  }
};

// The sections as the table places them: nothing when one lies outside the
// index or off the alignment. Needs a whole header and table.
std::optional<Sections> sections_of(std::span<const std::uint8_t> index) {
  Sections s;
  for (std::size_t k = 0; k < kSectionCount; ++k) {
    const auto offset = load<std::uint64_t>(index, kHeaderSize + 16 * k);
    const auto count = load<std::uint64_t>(index, kHeaderSize + 16 * k + 8);
    if (offset < kDataStart || offset > index.size() || offset % kIndexAlignment != 0 ||
        count > (index.size() - offset) / kElementSize[k]) {
      return std::nullopt;
    }
    s.raw[k] = index.subspan(offset, count * kElementSize[k]);
  }
  return s;
}

// The index hash: XXH3 of the header's fields after the hashes, the section
// table and each kHashed section's own XXH3, so that the sections need not
// lie together.
std::uint64_t hash_of_hashed(std::span<const std::uint8_t> index, const Sections& s) {
  constexpr std::size_t kFields = kHeaderSize - kAtMaxLen;
  std::array<std::uint8_t, kFields + kTableSize + 8 * std::size(kHashed)> all{};
  std::memcpy(all.data(), index.data() + kAtMaxLen, kFields + kTableSize);
  for (std::size_t k = 0; k < std::size(kHashed); ++k) {
    const std::uint64_t h = hash_of(s.raw[kHashed[k]]);
    std::memcpy(all.data() + kFields + kTableSize + 8 * k, &h, 8);
  }
  return hash_of(all);
}

// The checks below run over every element of arrays of millions when an
// application starts typing, so they keep no early exit and no branch per
// element, and stay functions of their own: inlined into the opener, among
// its many ways out, GCC leaves their loops scalar. Counts are below
// kBelowSignBit, so that comparisons can be sign bits ORed.
constexpr std::size_t kBelowSignBit = std::size_t{1} << 31;
static_assert(kMaxIndexFileBytes < kBelowSignBit, "opening refuses larger indexes");

// Every value below 2^31 and none below the one before: then each
// difference, taken modulo 2^32, is below 2^31 too.
[[gnu::noinline]] bool rising(std::span<const std::uint32_t> v) {
  if (v.empty()) return true;
  std::uint32_t bits = v[0];
  for (std::size_t i = 1; i < v.size(); ++i) bits |= v[i] | (v[i] - v[i - 1]);
  return (bits >> 31) == 0;
}

bool power_of_two(std::size_t n) { return n >= 16 && (n & (n - 1)) == 0; }

// What a search relies on in the tree: child and entry ranges rising inside
// their arrays, the children of each level on the next level (so a walk goes
// down and ends), each node with as many children as its character bits
// name (a child is found by counting bits, and its character is the bit it
// stands for: the per-node characters are not read), a NUL at the end of
// the spellings. The entry ranges and entries (5 MB of the shipped index)
// are checked where a search reads them (Matcher::offer_entries), a compare
// or two for the few it reads.
bool sound_tree(const Matcher::Stored& t, std::size_t word_count) {
  const std::size_t n = t.code.size();
  if (n == 0 || t.child_begin.size() != n + 1 || t.entry_begin.size() != n + 1 ||
      t.child_codes.size() != n || t.min_word.size() != n || t.best_at.size() != n ||
      t.level_begin.size() < 3) {
    return false;
  }
  if (t.child_begin[n] != n || t.entry_begin[0] != 0 || t.entry_begin[n] != t.entries.size() ||
      !rising(t.level_begin)) {
    return false;
  }
  // The longest spelling, from the header (outside the hash), sets the
  // columns' margin: it must be the tree's depth, as every build makes it.
  const std::size_t levels = t.level_begin.size();
  if (t.level_begin[0] != 0 || t.level_begin[1] != 1 || t.level_begin[levels - 1] != n ||
      t.level_begin[levels - 2] != n || levels - 3 != t.max_len || t.max_len > 255) {
    return false;
  }
  // With rising child ranges (children_match_bits, below), a level's first
  // node has its least child and its last node the greatest end: two
  // comparisons bound the whole level.
  for (std::size_t d = 0; d + 2 < levels; ++d) {
    if (t.child_begin[t.level_begin[d]] < t.level_begin[d + 1] ||
        t.child_begin[t.level_begin[d + 1]] > t.level_begin[d + 2]) {
      return false;
    }
  }
  // As many children as character bits (child_check.h): with the ranges'
  // ends above, the child ranges rise inside the tree.
  if (!children_match_bits(t.child_codes.data(), t.child_begin.data(), n)) return false;
  if (!t.entries.empty() && (t.letters_pool.empty() || t.letters_pool.back() != '\0')) {
    return false;
  }
  return t.word_terms.size() <= word_count;
}

[[gnu::noinline]] bool sound_words(std::span<const std::uint32_t> ends, std::span<const char> text,
                                   std::span<const std::uint32_t> slots) {
  if (!rising(ends) || (ends.empty() ? !text.empty() : ends.back() != text.size())) return false;
  if (!is_valid_utf8(std::string_view(text.data(), text.size()))) return false;
  // The slots themselves are checked where a lookup reads them
  // (WordIndex::find): a few per keystroke instead of 1 MB here.
  return power_of_two(slots.size());
}

[[gnu::noinline]] bool sound_pairs(std::span<const std::uint64_t> slots, std::uint64_t count,
                                   std::size_t word_count) {
  if (slots.empty() && count == 0) return true;
  if (!power_of_two(slots.size())) return false;
  std::uint64_t used = 0, beyond = 0;
  for (const std::uint64_t key : slots) {
    const bool in_use = key != PairSet::kEmpty;
    used += in_use;
    beyond |= static_cast<std::uint64_t>(
        in_use && ((key >> 32) >= word_count || (key & 0xffffffffu) >= word_count));
  }
  return beyond == 0 && used == count && used < slots.size();
}

// The numbers an engine ranks with, as the index records them: each one's
// float bits in kRankingNumbers order.
std::array<std::uint32_t, std::size(kRankingNumbers)> ranking_record(const RankingParams& params) {
  std::array<std::uint32_t, std::size(kRankingNumbers)> record{};
  for (std::size_t k = 0; k < record.size(); ++k) {
    record[k] = std::bit_cast<std::uint32_t>(params.*kRankingNumbers[k].field);
  }
  return record;
}

}  // namespace

std::vector<std::uint8_t> Engine::index_bytes(std::span<const std::uint8_t> word_data) const {
  Writer w;
  w.section(kWordEnds, words_.ends());
  w.section(kWordText, words_.text());
  w.section(kWordSlots, word_ids_.slots());
  w.section(kPairSlots, pairs_.slots());
  const Matcher::Stored t = matcher_.stored();
  w.section(kCode, t.code);
  w.section(kChildBegin, t.child_begin);
  w.section(kEntryBegin, t.entry_begin);
  w.section(kChildCodes, t.child_codes);
  w.section(kMinWord, t.min_word);
  w.section(kLevelBegin, t.level_begin);
  w.section(kEntries, t.entries);
  w.section(kLetters, t.letters_pool);
  w.section(kWordTerms, t.word_terms);
  const std::string name = data_name_.value_or("");
  w.section(kDataName, std::span<const char>(name.data(), name.size()));
  const auto ranking = ranking_record(matcher_.params());
  w.section(kRanking, std::span<const std::uint32_t>(ranking));
  w.section(kBestAt, t.best_at);

  std::vector<std::uint8_t>& out = w.bytes();
  std::memcpy(out.data() + kAtMagic, kMagic, 4);
  store<std::uint32_t>(out, kAtVersion, kVersion);
  store<std::uint32_t>(out, kAtSections, kSectionCount);
  store<std::uint64_t>(out, kAtFileSize, out.size());
  store<std::uint64_t>(out, kAtDataSize, word_data.size());
  store<std::uint64_t>(out, kAtDataHash, data_hash_of(word_data));
  store<std::uint64_t>(out, kAtMaxLen, t.max_len);
  store<std::uint64_t>(out, kAtPairCount, pairs_.size());
  store<std::uint64_t>(out, kAtIndexHash, hash_of_hashed(out, *sections_of(out)));
  return std::move(out);
}

void reseal_index(std::span<std::uint8_t> index, std::span<const std::uint8_t> word_data) {
  if (index.size() < kDataStart) return;
  const std::uint64_t data_hash = data_hash_of(word_data);
  std::memcpy(index.data() + kAtDataHash, &data_hash, 8);
  if (const auto s = sections_of(index)) {
    const std::uint64_t index_hash = hash_of_hashed(index, *s);
    std::memcpy(index.data() + kAtIndexHash, &index_hash, 8);
  }
}

std::variant<Engine, ReadError> Engine::open_index(std::span<const std::uint8_t> index,
                                                   std::span<const std::uint8_t> word_data,
                                                   std::shared_ptr<const void> keep,
                                                   const std::optional<RankingParams>& wanted) {
  const auto fail = [](std::string message) { return ReadError{std::move(message)}; };
  RankingParams params;
  if (wanted) {
    params = *wanted;
  } else {
    auto own = word_data_ranking(word_data);
    if (auto* error = std::get_if<ReadError>(&own)) return std::move(*error);
    params = std::get<RankingParams>(own);
  }
  if (auto error = ranking_params_error(params)) return fail(std::move(*error));
  if (index.size() < kDataStart) return fail("the index file is cut short");
  if (std::memcmp(index.data(), kMagic, 4) != 0) return fail("not a Sorla index file");
  if (const auto version = load<std::uint32_t>(index, kAtVersion); version != kVersion) {
    return fail("unknown index file version " + std::to_string(version));
  }
  if (load<std::uint32_t>(index, kAtSections) != kSectionCount ||
      load<std::uint64_t>(index, kAtFileSize) != index.size() ||
      index.size() > kMaxIndexFileBytes) {
    return fail("the index file is cut short or too long");
  }
  if (load<std::uint64_t>(index, kAtDataSize) != word_data.size() ||
      load<std::uint64_t>(index, kAtDataHash) != data_hash_of(word_data)) {
    return fail("the index file belongs to other word data");
  }
  if (reinterpret_cast<std::uintptr_t>(index.data()) % kIndexAlignment != 0) {
    return fail("the index file is not aligned in memory");
  }
  // A section table out of place cannot be hashed as it says: damaged too.
  const auto placed = sections_of(index);
  if (!placed || load<std::uint64_t>(index, kAtIndexHash) != hash_of_hashed(index, *placed)) {
    return fail("the index file is damaged");
  }

  const auto unsound = fail("the index file is not laid out as an index");
  const Sections& s = *placed;
  const auto ends = s.as<std::uint32_t>(kWordEnds);
  const auto text = s.as<char>(kWordText);
  const auto word_slots = s.as<std::uint32_t>(kWordSlots);
  const auto pair_slots = s.as<std::uint64_t>(kPairSlots);
  const auto pair_count = load<std::uint64_t>(index, kAtPairCount);
  const Matcher::Stored tree{s.as<std::uint8_t>(kCode),
                             s.as<std::uint32_t>(kChildBegin),
                             s.as<std::uint32_t>(kEntryBegin),
                             s.as<std::uint32_t>(kChildCodes),
                             s.as<std::uint32_t>(kMinWord),
                             s.as<std::uint32_t>(kLevelBegin),
                             s.as<MatcherEntry>(kEntries),
                             s.as<char>(kLetters),
                             s.as<float>(kWordTerms),
                             s.as<std::uint8_t>(kBestAt),
                             load<std::uint64_t>(index, kAtMaxLen)};
  const auto name = s.as<char>(kDataName);
  if (!sound_words(ends, text, word_slots) || !sound_pairs(pair_slots, pair_count, ends.size()) ||
      !sound_tree(tree, ends.size()) || name.size() > 255 ||
      !is_valid_utf8(std::string_view(name.data(), name.size()))) {
    return unsound;
  }
  // The word terms and the matcher's margins depend on the numbers: an
  // index made with others would rank unlike an engine built here.
  const auto ranking = s.as<std::uint32_t>(kRanking);
  const auto expected = ranking_record(params);
  if (!std::equal(ranking.begin(), ranking.end(), expected.begin(), expected.end())) {
    return fail("the index file was made with other ranking numbers");
  }

  Engine engine;
  engine.keep_ = std::move(keep);
  engine.words_ = WordTexts::view_of(ends, text);
  engine.word_ids_ = WordIndex::view_of(word_slots);
  engine.pairs_ = PairSet::view_of(pair_slots, pair_count);
  engine.matcher_ = Matcher::view_of(tree, params, ends.size());
  if (!name.empty()) engine.data_name_ = std::string(name.data(), name.size());
  return engine;
}

}  // namespace sorla
