#include "sorla/learn.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <nlohmann/json.hpp>

#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {
namespace {

constexpr std::uint32_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
constexpr std::string_view kFormat = "sorla-learned";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::uint32_t saturating_add(std::uint32_t a, std::uint32_t b) {
  return a > kMaxCount - b ? kMaxCount : a + b;
}

// Appends `s` as JSON string content: raw UTF-8, with only the quotation
// mark, the reverse solidus and control characters escaped.
void append_escaped_utf8(std::string& out, std::string_view s) {
  static constexpr std::string_view kShort = "\b\f\n\r\t";
  static constexpr std::string_view kShortName = "bfnrt";
  static constexpr char kHex[] = "0123456789abcdef";
  std::size_t unwritten = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0x20 && b != '"' && b != '\\') continue;
    out.append(s.substr(unwritten, i - unwritten));
    unwritten = i + 1;
    out += '\\';
    if (b >= 0x20) {
      out += s[i];
    } else if (const auto k = kShort.find(s[i]); k != std::string_view::npos) {
      out += kShortName[k];
    } else {
      out += "u00";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  out.append(s.substr(unwritten));
}

// Stored words come from the caller and are not checked when recorded. A byte
// sequence that is not UTF-8 would make the whole file unreadable on the next
// import, so each offending byte is written as U+FFFD instead.
void append_json_string(std::string& out, std::string_view s) {
  out += '"';
  if (is_valid_utf8(s)) {
    append_escaped_utf8(out, s);
  } else {
    std::size_t i = 0;
    while (i < s.size()) {
      std::size_t len = 1;
      // A well-formed character has exactly one valid prefix length.
      while (len <= 4 && (i + len > s.size() || !is_valid_utf8(s.substr(i, len)))) ++len;
      if (len <= 4) {
        append_escaped_utf8(out, s.substr(i, len));
        i += len;
      } else {
        out += kReplacement;
        ++i;
      }
    }
  }
  out += '"';
}

void append_count(std::string& out, std::uint32_t count) {
  char buf[16];
  const auto result = std::to_chars(buf, buf + sizeof buf, count);
  out.append(buf, result.ptr);
}

// The value last given to one member: a repeated member keeps its last value.
struct MemberValue {
  enum class Kind { Absent, Null, String, Unsigned, Other };
  Kind kind = Kind::Absent;
  std::string text;
  std::uint64_t number = 0;  // a JSON integer without sign that fits in 64 bits
};

// Reads the learned-data document as a stream of parser events, keeping only
// what import needs: the top-level format and version, and the picks of the
// last `picks` member merged by key. Everything else, however deep or large,
// is skipped without being stored, so memory follows the picks alone.
class DocumentReader {
 public:
  using Json = nlohmann::json;

  bool null() { return value({MemberValue::Kind::Null, {}, 0}); }
  bool boolean(bool) { return value(kOther); }
  bool number_integer(Json::number_integer_t) { return value(kOther); }  // negative
  bool number_unsigned(Json::number_unsigned_t n) {
    return value({MemberValue::Kind::Unsigned, {}, n});
  }
  bool number_float(Json::number_float_t, const std::string&) { return value(kOther); }
  bool string(std::string& s) { return value({MemberValue::Kind::String, std::move(s), 0}); }
  bool binary(Json::binary_t&) { return value(kOther); }
  bool start_object(std::size_t) { return start(true); }
  bool start_array(std::size_t) { return start(false); }
  bool end_object() { return end(); }
  bool end_array() { return end(); }
  bool key(std::string& name) {
    if (skipping()) return true;
    if (depth_ == kTop) top_member_ = name;
    if (depth_ == kPick) pick_slot_ = pick_member(name);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

  // After a complete parse: the picks by key, or why the document is refused.
  std::variant<std::map<PickKey, std::uint32_t>, ImportError> result() && {
    const ImportError invalid{ImportError::Kind::Invalid, 0};
    if (format_.kind != MemberValue::Kind::String || format_.text != kFormat) return invalid;
    if (version_.kind != MemberValue::Kind::Unsigned) return invalid;
    if (version_.number != 1) {
      return ImportError{
          ImportError::Kind::UnsupportedVersion,
          static_cast<std::uint32_t>(std::min<std::uint64_t>(version_.number, kMaxCount))};
    }
    if (picks_refused_) return invalid;
    return std::move(merged_);
  }

 private:
  // Any value that is neither null, a string nor an unsigned integer.
  inline static const MemberValue kOther{MemberValue::Kind::Other, {}, 0};
  // Depths of the containers that matter: the document, `picks`, one pick.
  static constexpr std::size_t kTop = 1, kPicks = 2, kPick = 3;

  struct PickValues {
    MemberValue typed, picked, count, previous;
  };

  MemberValue* pick_member(std::string_view name) {
    if (name == "typed") return &pick_.typed;
    if (name == "picked") return &pick_.picked;
    if (name == "count") return &pick_.count;
    if (name == "previous") return &pick_.previous;
    return nullptr;  // ignored
  }

  bool skipping() const { return skip_from_ != 0 && depth_ >= skip_from_; }

  bool value(MemberValue v) {
    if (skipping()) return true;
    switch (depth_) {
      case 0:
        return false;  // the document is not an object
      case kTop:
        top_value(std::move(v));
        break;
      case kPicks:
        refuse_picks();  // a pick that is not an object
        break;
      default:
        if (pick_slot_ != nullptr) *pick_slot_ = std::move(v);
        break;
    }
    return true;
  }

  void top_value(MemberValue v) {
    if (top_member_ == "format") format_ = std::move(v);
    if (top_member_ == "version") version_ = std::move(v);
    if (top_member_ == "picks") refuse_picks();  // present, but not an array
  }

  bool start(bool object) {
    ++depth_;
    if (skipping()) return true;
    switch (depth_) {
      case kTop:
        return object;  // the document must be an object
      case kPicks:
        if (top_member_ == "picks" && !object) {
          // A repeated `picks` member replaces the earlier one.
          merged_.clear();
          picks_refused_ = false;
          return true;
        }
        top_value(kOther);
        break;
      case kPick:
        if (!object) {
          refuse_picks();
          return true;
        }
        pick_ = PickValues{};
        pick_slot_ = nullptr;
        return true;
      default:
        if (pick_slot_ != nullptr) *pick_slot_ = kOther;
        break;
    }
    skip_from_ = depth_;
    return true;
  }

  bool end() {
    if (skipping()) {
      if (depth_ == skip_from_) skip_from_ = 0;
    } else if (depth_ == kPick) {
      finish_pick();
    }
    --depth_;
    return true;
  }

  // Merges one pick into the picks read so far, or refuses the whole `picks`
  // member when it is not acceptable.
  void finish_pick() {
    using Kind = MemberValue::Kind;
    PickKey key;
    if (pick_.typed.kind == Kind::String) key.typed = letters(pick_.typed.text);
    if (pick_.picked.kind == Kind::String) key.picked = std::move(pick_.picked.text);
    const MemberValue& count = pick_.count;
    const Kind previous = pick_.previous.kind;
    if (key.typed.empty() || key.picked.empty() || count.kind != Kind::Unsigned ||
        count.number == 0 || count.number > kMaxCount ||
        (previous != Kind::Absent && previous != Kind::Null && previous != Kind::String)) {
      refuse_picks();
      return;
    }
    if (previous == Kind::String && !pick_.previous.text.empty()) {
      key.previous = std::move(pick_.previous.text);
    }
    auto& stored = merged_.try_emplace(std::move(key), 0).first->second;
    stored = saturating_add(stored, static_cast<std::uint32_t>(count.number));
  }

  // One bad pick refuses the whole `picks` member: what was read is dropped
  // and the rest of the array, if inside one, is skipped.
  void refuse_picks() {
    merged_.clear();
    picks_refused_ = true;
    if (depth_ >= kPicks) skip_from_ = kPicks;
  }

  std::size_t depth_ = 0;      // containers open
  std::size_t skip_from_ = 0;  // when not 0: events inside containers this deep are skipped
  std::string top_member_;
  MemberValue format_;
  MemberValue version_;
  bool picks_refused_ = false;
  PickValues pick_;
  MemberValue* pick_slot_ = nullptr;
  std::map<PickKey, std::uint32_t> merged_;
};

}  // namespace

void LearnedStore::record(std::string_view typed, std::string_view picked,
                          const std::optional<std::string>& previous) {
  PickKey key{letters(typed), std::string(picked), previous};
  if (key.typed.empty() || key.picked.empty()) return;
  auto it = entries_.try_emplace(std::move(key), 0).first;
  // An imported count can already be at the maximum; it stays there.
  it->second = saturating_add(it->second, 1);
  note_unsaved(it->first, 1);
  evict(&it->first);
}

void LearnedStore::unrecord(std::string_view typed, std::string_view picked,
                            const std::optional<std::string>& previous) {
  const PickKey key{letters(typed), std::string(picked), previous};
  if (const auto it = entries_.find(key); it != entries_.end()) {
    if (it->second <= 1) {
      entries_.erase(it);
    } else {
      --it->second;
    }
    note_unsaved(key, -1);
  } else if (const auto u = unsaved_.find(key); u != unsaved_.end() && u->second > 0) {
    // Counted here and evicted since: the save must not add it after all.
    note_unsaved(key, -1);
  }
}

void LearnedStore::note_unsaved(const PickKey& key, std::int64_t change) {
  const auto it = unsaved_.try_emplace(key, 0).first;
  it->second += change;
  if (it->second == 0) unsaved_.erase(it);
}

LearnedStore LearnedStore::merged_onto(LearnedStore saved) const {
  saved.unsaved_.clear();
  for (const auto& [key, change] : unsaved_) {
    if (change > 0) {
      auto& count = saved.entries_.try_emplace(key, 0).first->second;
      count = saturating_add(count,
                             static_cast<std::uint32_t>(std::min<std::int64_t>(change, kMaxCount)));
      continue;
    }
    const auto it = saved.entries_.find(key);
    if (it == saved.entries_.end()) continue;
    const std::uint64_t back = static_cast<std::uint64_t>(-change);
    if (back >= it->second) {
      saved.entries_.erase(it);
    } else {
      it->second -= static_cast<std::uint32_t>(back);
    }
  }
  saved.evict(nullptr);
  return saved;
}

std::vector<LearnedTally> LearnedStore::tally(std::string_view typed,
                                              const std::optional<std::string>& previous) const {
  std::vector<LearnedTally> rows;
  // (letter key, "", absent) is the smallest key with this letter key.
  const PickKey first{letters(typed), {}, std::nullopt};
  if (first.typed.empty()) return rows;
  for (auto it = entries_.lower_bound(first);
       it != entries_.end() && it->first.typed == first.typed; ++it) {
    const auto& [key, count] = *it;
    if (rows.empty() || rows.back().picked != key.picked) rows.push_back({key.picked, 0, 0});
    LearnedTally& row = rows.back();
    row.total = saturating_add(row.total, count);
    if (previous && key.previous && *previous == *key.previous) {
      row.after_previous = saturating_add(row.after_previous, count);
    }
  }
  return rows;
}

std::string LearnedStore::export_json() const {
  std::string out;
  out.reserve(64 + entries_.size() * 96);
  out += R"({"format":"sorla-learned","version":1,"picks":[)";
  bool first = true;
  for (const auto& [key, count] : entries_) {
    if (!first) out += ',';
    first = false;
    out += R"({"typed":)";
    append_json_string(out, key.typed);
    out += R"(,"picked":)";
    append_json_string(out, key.picked);
    if (key.previous) {
      out += R"(,"previous":)";
      append_json_string(out, *key.previous);
    }
    out += R"(,"count":)";
    append_count(out, count);
    out += '}';
  }
  out += "]}";
  return out;
}

std::variant<LearnedStore, ImportError> LearnedStore::import_json(std::string_view bytes) {
  const ImportError invalid{ImportError::Kind::Invalid, 0};

  // The parser stops at a NUL byte as if the input ended there and skips a
  // byte order mark; neither is JSON, so such bytes are refused up front.
  if (bytes.find('\0') != std::string_view::npos || bytes.starts_with("\xEF\xBB\xBF")) {
    return invalid;
  }
  // The parser keeps one bit per open container and no tree, so deep nesting
  // and large unknown members cost no more than reading them.
  DocumentReader reader;
  if (!nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &reader)) return invalid;
  auto result = std::move(reader).result();
  if (auto* error = std::get_if<ImportError>(&result)) return *error;

  LearnedStore store;
  store.entries_ = std::move(std::get<std::map<PickKey, std::uint32_t>>(result));
  store.evict(nullptr);
  return store;
}

void LearnedStore::evict(const PickKey* protected_key) {
  if (entries_.size() <= kCap) return;
  const auto keep = protected_key ? entries_.find(*protected_key) : entries_.end();

  using Iter = std::map<PickKey, std::uint32_t>::iterator;
  std::vector<Iter> order;
  order.reserve(entries_.size());
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it != keep) order.push_back(it);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](Iter a, Iter b) { return a->second < b->second; });

  const std::size_t excess = entries_.size() - kTarget;
  for (std::size_t i = 0; i < excess; ++i) entries_.erase(order[i]);
}

}  // namespace sorla
