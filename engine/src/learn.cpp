#include "sorla/learn.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <nlohmann/json.hpp>

#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {
namespace {

using Json = nlohmann::json;

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

// A JSON integer written without sign, fraction or exponent that fits in
// 64 bits; anything else (negative, fractional, larger) is not one.
std::optional<std::uint64_t> unsigned_value(const Json& v) {
  if (!v.is_number_unsigned()) return std::nullopt;
  return v.get<std::uint64_t>();
}

const Json* member(const Json& object, const char* name) {
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

struct ImportedPick {
  PickKey key;
  std::uint32_t count = 0;
};

// One element of `picks`, or nothing when it is not an acceptable pick.
std::optional<ImportedPick> read_pick(const Json& pick) {
  if (!pick.is_object()) return std::nullopt;
  const Json* typed = member(pick, "typed");
  const Json* picked = member(pick, "picked");
  const Json* count = member(pick, "count");
  const Json* previous = member(pick, "previous");
  if (typed == nullptr || !typed->is_string()) return std::nullopt;
  if (picked == nullptr || !picked->is_string()) return std::nullopt;
  if (count == nullptr) return std::nullopt;
  const auto n = unsigned_value(*count);
  if (!n || *n == 0 || *n > kMaxCount) return std::nullopt;
  if (previous != nullptr && !previous->is_string() && !previous->is_null()) return std::nullopt;

  ImportedPick out;
  out.key.typed = letters(typed->get_ref<const std::string&>());
  out.key.picked = picked->get_ref<const std::string&>();
  if (out.key.typed.empty() || out.key.picked.empty()) return std::nullopt;
  if (previous != nullptr && previous->is_string() &&
      !previous->get_ref<const std::string&>().empty()) {
    out.key.previous = previous->get_ref<const std::string&>();
  }
  out.count = static_cast<std::uint32_t>(*n);
  return out;
}

}  // namespace

void LearnedStore::record(std::string_view typed, std::string_view picked,
                          const std::optional<std::string>& previous) {
  PickKey key{letters(typed), std::string(picked), previous};
  if (key.typed.empty() || key.picked.empty()) return;
  auto it = entries_.try_emplace(std::move(key), 0).first;
  // An imported count can already be at the maximum; it stays there.
  it->second = saturating_add(it->second, 1);
  evict(&it->first);
}

void LearnedStore::unrecord(std::string_view typed, std::string_view picked,
                            const std::optional<std::string>& previous) {
  const auto it = entries_.find(PickKey{letters(typed), std::string(picked), previous});
  if (it == entries_.end()) return;
  if (it->second <= 1) {
    entries_.erase(it);
  } else {
    --it->second;
  }
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
  // The parser builds the tree without recursion, so deep nesting is safe; a
  // repeated member keeps its last value.
  const Json doc = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
  if (!doc.is_object()) return invalid;

  const Json* format = member(doc, "format");
  if (format == nullptr || !format->is_string() ||
      format->get_ref<const std::string&>() != kFormat) {
    return invalid;
  }

  const Json* version_member = member(doc, "version");
  if (version_member == nullptr) return invalid;
  const auto version = unsigned_value(*version_member);
  if (!version) return invalid;
  if (*version != 1) {
    return ImportError{ImportError::Kind::UnsupportedVersion,
                       static_cast<std::uint32_t>(std::min<std::uint64_t>(*version, kMaxCount))};
  }

  LearnedStore store;
  if (const Json* picks = member(doc, "picks")) {
    if (!picks->is_array()) return invalid;
    for (const Json& element : *picks) {
      auto pick = read_pick(element);
      if (!pick) return invalid;
      auto& count = store.entries_.try_emplace(std::move(pick->key), 0).first->second;
      count = saturating_add(count, pick->count);
    }
  }
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
