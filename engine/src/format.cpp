#include "sorla/format.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "bulk_hash.h"
#include "sorla/text.h"

namespace sorla {
namespace {

constexpr char kCutShort[] = "the data file is cut short";
constexpr char kNotUtf8[] = "a string in the data file is not UTF-8";

// A forward cursor over the buffer; every read checks its bounds first in a
// form that cannot overflow.
class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}

  std::optional<std::uint32_t> uint(std::size_t width) {
    if (bytes_.size() - pos_ < width) return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < width; ++k) v |= std::uint32_t{bytes_[pos_ + k]} << (8 * k);
    pos_ += width;
    return v;
  }

  // The next `len` bytes without the UTF-8 check; nullopt when cut short.
  std::optional<std::string_view> raw(std::size_t len) {
    if (bytes_.size() - pos_ < len) return std::nullopt;
    const std::string_view s(reinterpret_cast<const char*>(bytes_.data() + pos_), len);
    pos_ += len;
    return s;
  }

  // On failure `error` holds the message.
  std::optional<std::string_view> string(std::size_t len, const char*& error) {
    const auto s = raw(len);
    if (!s) {
      error = kCutShort;
      return std::nullopt;
    }
    if (!is_valid_utf8(*s)) {
      error = kNotUtf8;
      return std::nullopt;
    }
    return s;
  }

  bool at_end() const { return pos_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_;
};

// A spelling is checked for UTF-8 before the Latin rule. Bytes all below
// 0x80 pass both, the common case, decided in one pass.
const char* spelling_error(std::string_view s) {
  if (!s.empty() && is_ascii(s)) return nullptr;
  if (!is_valid_utf8(s)) return kNotUtf8;
  return "the data file has a spelling that isn't Latin letters";
}

bool has_magic(std::span<const std::uint8_t> bytes) {
  return bytes.size() > 3 && bytes[0] == 'S' && bytes[1] == 'R' && bytes[2] == 'L' &&
         bytes[3] == 'A';
}

// From version 3, the content hash: at kAtContentHash, over every byte
// after it.
constexpr unsigned kFirstHashedVersion = 3;
constexpr std::size_t kAtContentHash = 6, kAfterContentHash = kAtContentHash + 8;

unsigned version_of(std::span<const std::uint8_t> bytes) {
  return bytes[4] | (unsigned{bytes[5]} << 8);
}

std::uint64_t stored_content_hash(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0;
  for (std::size_t k = 0; k < 8; ++k) hash |= std::uint64_t{bytes[kAtContentHash + k]} << (8 * k);
  return hash;
}

// The head of a binary file: magic, version, from version 3 the content
// hash (checked against the whole file when `whole` is set), name and, from
// version 2, the ranking numbers, handed to `sink`; the cursor after it.
std::variant<Cursor, ReadError> read_head(std::span<const std::uint8_t> bytes, WordDataSink& sink,
                                          bool whole) {
  const std::size_t size = bytes.size();
  if (size <= 3) return ReadError{kCutShort};
  if (!has_magic(bytes)) return ReadError{"not a Sorla data file"};
  if (size <= 5) return ReadError{kCutShort};
  const unsigned version = version_of(bytes);
  if (version < 1 || version > kDataFileVersion) {
    return ReadError{"unknown data file version " + std::to_string(version)};
  }
  std::size_t at = kAtContentHash;
  if (version >= kFirstHashedVersion) {
    if (size <= kAfterContentHash) return ReadError{kCutShort};
    // Before any other field: a damaged file is said to be damaged, not
    // refused for whatever its damage happens to break.
    if (whole && bulk_hash(bytes.subspan(kAfterContentHash)) != stored_content_hash(bytes)) {
      return ReadError{"the data file is damaged: its content hash does not match"};
    }
    at = kAfterContentHash;
  }
  if (size == at) return ReadError{kCutShort};

  const char* error = nullptr;
  Cursor cur(bytes, at + 1);
  const auto name = cur.string(bytes[at], error);
  if (!name) return ReadError{error};
  sink.data_name(*name);
  if (version == 1) return cur;

  // A count, then each number's float bits in kRankingNumbers order.
  const auto count = cur.uint(1);
  if (!count) return ReadError{kCutShort};
  if (*count != std::size(kRankingNumbers)) {
    return ReadError{"the data file's ranking section is of another size"};
  }
  RankingParams params;
  for (const RankingNumber& n : kRankingNumbers) {
    const auto bits = cur.uint(4);
    if (!bits) return ReadError{kCutShort};
    params.*n.field = std::bit_cast<float>(*bits);
  }
  if (auto refused = ranking_params_error(params)) {
    return ReadError{
        std::string("the data file's ranking numbers are unusable: ").append(*refused)};
  }
  sink.ranking(params);
  return cur;
}

}  // namespace

std::optional<ReadError> read_data_file(std::span<const std::uint8_t> bytes, WordDataSink& sink) {
  const std::size_t size = bytes.size();
  auto head = read_head(bytes, sink, true);
  if (auto* refused = std::get_if<ReadError>(&head)) return std::move(*refused);
  Cursor& cur = std::get<Cursor>(head);
  const char* error = nullptr;

  const auto words = cur.uint(4);
  if (!words) return ReadError{kCutShort};
  if (*words > size / 7) return ReadError{"the word count is larger than the file"};
  sink.word_count(*words);
  for (std::uint32_t i = 0; i < *words; ++i) {
    const auto len = cur.uint(2);
    if (!len) return ReadError{kCutShort};
    const auto word = cur.string(*len, error);
    if (!word) return ReadError{error};
    if (*len == 0) return ReadError{"the data file has an empty word"};
    const auto value = cur.uint(4);
    if (!value) return ReadError{kCutShort};
    const auto count = cur.uint(1);
    if (!count) return ReadError{kCutShort};
    sink.word(*word, *value, *count);
    for (std::uint32_t k = 0; k < *count; ++k) {
      const auto slen = cur.uint(1);
      if (!slen) return ReadError{kCutShort};
      const auto spelling = cur.raw(*slen);
      if (!spelling) return ReadError{kCutShort};
      if (const char* bad = spelling_error(*spelling)) return ReadError{bad};
      sink.spelling(*spelling);
    }
  }

  const auto pairs = cur.uint(4);
  if (!pairs) return ReadError{kCutShort};
  if (*pairs > size / 12) return ReadError{"the pair count is larger than the file"};
  sink.pair_count(*pairs);
  for (std::uint32_t i = 0; i < *pairs; ++i) {
    const auto first = cur.uint(4);
    if (!first) return ReadError{kCutShort};
    const auto second = cur.uint(4);
    if (!second) return ReadError{kCutShort};
    const auto count = cur.uint(4);
    if (!count) return ReadError{kCutShort};
    if (*first >= *words || *second >= *words) {
      return ReadError{"a pair names a word that isn't there"};
    }
    sink.pair(PairEntry{*first, *second, *count});
  }
  if (!cur.at_end()) return ReadError{"the data file has bytes after its end"};
  return std::nullopt;
}

namespace {

// Builds the WordList that read_data_file returns.
class WordListSink final : public WordDataSink {
 public:
  void data_name(std::string_view name) override { list.data_name = name; }
  void ranking(const RankingParams& params) override { list.ranking = params; }
  void word_count(std::size_t count) override { list.entries.reserve(count); }
  void pair_count(std::size_t count) override { list.pairs.reserve(count); }
  void word(std::string_view word, std::uint32_t value, std::size_t spellings) override {
    list.entries.push_back(WordEntry{std::string(word), {}, value});
    list.entries.back().spellings.reserve(spellings);
  }
  void spelling(std::string_view spelling) override {
    list.entries.back().spellings.emplace_back(spelling);
  }
  void pair(const PairEntry& pair) override { list.pairs.push_back(pair); }

  WordList list;
};

}  // namespace

ReadResult read_data_file(std::span<const std::uint8_t> bytes) {
  WordListSink sink;
  if (auto error = read_data_file(bytes, sink)) return std::move(*error);
  return std::move(sink.list);
}

namespace {

// Keeps the ranking numbers of a head and nothing else.
class RankingSink final : public WordDataSink {
 public:
  void data_name(std::string_view) override {}
  void ranking(const RankingParams& params) override { ranking_ = params; }
  void word_count(std::size_t) override {}
  void pair_count(std::size_t) override {}
  void word(std::string_view, std::uint32_t, std::size_t) override {}
  void spelling(std::string_view) override {}
  void pair(const PairEntry&) override {}

  std::optional<RankingParams> ranking_;
};

}  // namespace

std::variant<std::optional<RankingParams>, ReadError> read_data_ranking(
    std::span<const std::uint8_t> bytes) {
  RankingSink sink;
  auto head = read_head(bytes, sink, false);
  if (auto* refused = std::get_if<ReadError>(&head)) return std::move(*refused);
  return sink.ranking_;
}

std::optional<std::uint64_t> data_content_hash(std::span<const std::uint8_t> bytes) {
  if (bytes.size() <= kAfterContentHash || !has_magic(bytes) ||
      version_of(bytes) < kFirstHashedVersion || version_of(bytes) > kDataFileVersion) {
    return std::nullopt;
  }
  return stored_content_hash(bytes);
}

namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t v, std::size_t width) {
  for (std::size_t k = 0; k < width; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void put(std::vector<std::uint8_t>& out, std::string_view s) {
  out.insert(out.end(), s.begin(), s.end());
}

}  // namespace

// The writer refuses everything the reader would refuse, so that no tool
// reports success for a file its own reader cannot read.
std::variant<std::vector<std::uint8_t>, ReadError> write_data_file(const WordList& list) {
  if (list.data_name.size() > 0xFF) return ReadError{"the data name is longer than 255 bytes"};
  if (!is_valid_utf8(list.data_name)) return ReadError{"the data name is not UTF-8"};
  constexpr std::uint64_t kMaxCount = 0xFFFFFFFFu;
  if (std::max<std::uint64_t>(list.entries.size(), list.pairs.size()) > kMaxCount) {
    return ReadError{"too many records for the data file"};
  }
  if (list.ranking) {
    if (auto refused = ranking_params_error(*list.ranking)) return ReadError{std::move(*refused)};
  }
  std::vector<std::uint8_t> out;
  put(out, "SRLA");
  put(out, list.ranking ? kDataFileVersion : 1, 2);
  if (list.ranking) out.resize(kAfterContentHash);  // the content hash, written last
  put(out, static_cast<std::uint32_t>(list.data_name.size()), 1);
  put(out, list.data_name);
  if (list.ranking) {
    put(out, static_cast<std::uint32_t>(std::size(kRankingNumbers)), 1);
    for (const RankingNumber& n : kRankingNumbers) {
      put(out, std::bit_cast<std::uint32_t>(*list.ranking.*n.field), 4);
    }
  }
  put(out, static_cast<std::uint32_t>(list.entries.size()), 4);
  for (const WordEntry& e : list.entries) {
    if (e.word.empty() || e.word.size() > 0xFFFF) {
      return ReadError{"a word is empty or longer than 65535 bytes"};
    }
    if (!is_valid_utf8(e.word)) return ReadError{"a word is not UTF-8"};
    if (e.spellings.size() > 0xFF) return ReadError{"a word has more than 255 spellings"};
    put(out, static_cast<std::uint32_t>(e.word.size()), 2);
    put(out, e.word);
    put(out, e.value, 4);
    put(out, static_cast<std::uint32_t>(e.spellings.size()), 1);
    for (const std::string& s : e.spellings) {
      if (s.empty() || s.size() > 0xFF) {
        return ReadError{"a spelling is empty or longer than 255 bytes"};
      }
      if (!is_ascii(s)) return ReadError{"the spelling \"" + s + "\" isn't Latin letters"};
      put(out, static_cast<std::uint32_t>(s.size()), 1);
      put(out, s);
    }
  }
  put(out, static_cast<std::uint32_t>(list.pairs.size()), 4);
  for (const PairEntry& p : list.pairs) {
    if (p.first >= list.entries.size() || p.second >= list.entries.size()) {
      return ReadError{"a pair names a word that isn't there"};
    }
    put(out, p.first, 4);
    put(out, p.second, 4);
    put(out, p.count, 4);
  }
  if (list.ranking) {
    const std::uint64_t hash = bulk_hash(std::span(out).subspan(kAfterContentHash));
    for (std::size_t k = 0; k < 8; ++k) {
      out[kAtContentHash + k] = static_cast<std::uint8_t>(hash >> (8 * k));
    }
  }
  return out;
}

}  // namespace sorla
