#include "learn_json.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {
namespace {

constexpr std::string_view kFormat = "sorla-learned";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Stored words come from the caller and are not checked when recorded. A byte
// sequence that is not UTF-8 would make the whole file unreadable on the next
// import, so each offending byte is written as U+FFFD instead.
std::string well_formed(std::string_view s) {
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t len = utf8_sequence_length(s.substr(i));
    if (len == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(s.substr(i, len));
      i += len;
    }
  }
  return out;
}

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void write_string(JsonWriter& writer, std::string_view s) {
  if (is_valid_utf8(s)) {
    writer.String(s.data(), static_cast<rapidjson::SizeType>(s.size()));
  } else {
    const std::string fixed = well_formed(s);
    writer.String(fixed.data(), static_cast<rapidjson::SizeType>(fixed.size()));
  }
}

// The value last given to one member: a repeated member keeps its last value.
// Strings are kept only where they are needed once the member is over.
struct MemberValue {
  enum class Kind { Absent, Null, String, Unsigned, Other };
  Kind kind = Kind::Absent;
  std::uint64_t number = 0;  // a JSON integer without sign that fits in 64 bits
};

// The first eight bytes of a letter key as a number that orders like the
// bytes; a letter key holds no NUL byte, so the zero padding puts a shorter
// key first as the byte order does.
std::uint64_t order_prefix(std::string_view typed) {
  std::uint64_t v = 0;
  for (std::size_t k = 0; k < 8; ++k) {
    v = (v << 8) | (k < typed.size() ? static_cast<std::uint8_t>(typed[k]) : 0u);
  }
  return v;
}

// The picks' positions in key order. Sorted as (prefix, position) pairs:
// only runs that share a prefix need their whole keys compared.
std::vector<std::pair<std::uint64_t, std::size_t>> key_order(const Picks& picks) {
  std::vector<std::pair<std::uint64_t, std::size_t>> order(picks.size());
  for (std::size_t i = 0; i < picks.size(); ++i) {
    order[i] = {order_prefix(picks[i].first.typed), i};
  }
  std::sort(order.begin(), order.end());
  for (auto run = order.begin(); run != order.end();) {
    const std::uint64_t prefix = run->first;
    const auto run_end =
        std::find_if(run, order.end(), [&](const auto& o) { return o.first != prefix; });
    if (run_end - run > 1) {
      std::sort(run, run_end, [&](const auto& x, const auto& y) {
        return picks[x.second].first < picks[y.second].first;
      });
    }
    run = run_end;
  }
  return order;
}

// Hands each distinct key of `picks`, moved out, to `add` in key order, with
// the counts of all its picks summed (saturating, so the order of adding does
// not matter).
template <typename Add>
void merge_in_key_order(Picks& picks, Add add) {
  const auto order = key_order(picks);
  for (std::size_t k = 0; k < order.size();) {
    auto& [key, count] = picks[order[k].second];
    std::uint32_t total = count;
    std::size_t next = k + 1;
    // Equal keys share a prefix and stand together.
    for (; next < order.size() && order[next].first == order[k].first &&
           picks[order[next].second].first == key;
         ++next) {
      total = saturating_add(total, picks[order[next].second].second);
    }
    add(std::move(key), total);
    k = next;
  }
}

// Reads the learned-data document as a stream of events, keeping only what
// import needs: the top-level format and version, and the picks of the last
// `picks` member. Everything else, however deep or large, is skipped without
// being stored, so memory follows the picks alone.
class DocumentReader {
 public:
  bool null() { return value({MemberValue::Kind::Null, 0}, {}); }
  bool boolean(bool) { return value(kOther, {}); }
  bool number_other() { return value(kOther, {}); }  // negative or not an integer
  bool number_unsigned(std::uint64_t n) { return value({MemberValue::Kind::Unsigned, n}, {}); }
  bool string(std::string_view s) { return value({MemberValue::Kind::String, 0}, s); }
  bool start_object() { return start(true); }
  bool start_array() { return start(false); }
  bool end_object() { return end(); }
  bool end_array() { return end(); }
  bool key(std::string_view name) {
    if (skipping()) return true;
    if (depth_ == kTop) top_member_ = top_member(name);
    if (depth_ == kPick) pick_slot_ = pick_member(name);
    return true;
  }

  // After a complete read: the picks, not yet merged, or why the document is
  // refused.
  std::variant<Picks, ImportError> result() && {
    const ImportError invalid{ImportError::Kind::Invalid, 0};
    if (format_.kind != MemberValue::Kind::String || !format_matches_) return invalid;
    if (version_.kind != MemberValue::Kind::Unsigned) return invalid;
    if (version_.number != 1) {
      return ImportError{
          ImportError::Kind::UnsupportedVersion,
          static_cast<std::uint32_t>(std::min<std::uint64_t>(version_.number, kMaxCount))};
    }
    if (picks_refused_) return invalid;
    return std::move(picks_);
  }

 private:
  // Any value that is neither null, a string nor an unsigned integer.
  static constexpr MemberValue kOther{MemberValue::Kind::Other, 0};
  // Depths of the containers that matter: the document, `picks`, one pick.
  static constexpr std::size_t kTop = 1, kPicks = 2, kPick = 3;
  // Merging is put off until this many picks are held, then the limit doubles
  // from what is left: a document that repeats one pick stays small.
  static constexpr std::size_t kFirstMerge = 1 << 16;

  enum class TopMember { Other, Format, Version, Picks };
  enum class PickMember { Other, Typed, Picked, Count, Previous };

  struct PickValues {
    MemberValue typed, picked, count, previous;
    std::string typed_letters, picked_text, previous_text;
  };

  static TopMember top_member(std::string_view name) {
    if (name == "format") return TopMember::Format;
    if (name == "version") return TopMember::Version;
    if (name == "picks") return TopMember::Picks;
    return TopMember::Other;
  }

  static PickMember pick_member(std::string_view name) {
    if (name == "typed") return PickMember::Typed;
    if (name == "picked") return PickMember::Picked;
    if (name == "count") return PickMember::Count;
    if (name == "previous") return PickMember::Previous;
    return PickMember::Other;  // ignored
  }

  bool skipping() const { return skip_from_ != 0 && depth_ >= skip_from_; }

  // `text` is the value of a string and empty otherwise.
  bool value(MemberValue v, std::string_view text) {
    if (skipping()) return true;
    switch (depth_) {
      case 0:
        return false;  // the document is not an object
      case kTop:
        top_value(v, text);
        break;
      case kPicks:
        refuse_picks();  // a pick that is not an object
        break;
      default:
        pick_value(v, text);
        break;
    }
    return true;
  }

  void top_value(MemberValue v, std::string_view text) {
    switch (top_member_) {
      case TopMember::Format:
        format_ = v;
        format_matches_ = text == kFormat;
        break;
      case TopMember::Version:
        version_ = v;
        break;
      case TopMember::Picks:
        refuse_picks();  // present, but not an array
        break;
      case TopMember::Other:
        break;
    }
  }

  // A value in one pick; only its own members count, not those of objects
  // nested in it (they are skipped before reaching here).
  void pick_value(MemberValue v, std::string_view text) {
    switch (pick_slot_) {
      case PickMember::Typed:
        pick_.typed = v;
        pick_.typed_letters = letters(text);
        break;
      case PickMember::Picked:
        pick_.picked = v;
        pick_.picked_text.assign(text);
        break;
      case PickMember::Count:
        pick_.count = v;
        break;
      case PickMember::Previous:
        pick_.previous = v;
        pick_.previous_text.assign(text);
        break;
      case PickMember::Other:
        break;
    }
  }

  bool start(bool object) {
    ++depth_;
    if (skipping()) return true;
    switch (depth_) {
      case kTop:
        return object;  // the document must be an object
      case kPicks:
        if (top_member_ == TopMember::Picks && !object) {
          // A repeated `picks` member replaces the earlier one.
          picks_.clear();
          picks_refused_ = false;
          return true;
        }
        top_value(kOther, {});
        break;
      case kPick:
        if (!object) {
          refuse_picks();
          return true;
        }
        pick_.typed = pick_.picked = pick_.count = pick_.previous = MemberValue{};
        pick_slot_ = PickMember::Other;
        return true;
      default:
        pick_value(kOther, {});
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

  // Adds one pick to those read so far, or refuses the whole `picks` member
  // when it is not acceptable.
  void finish_pick() {
    using Kind = MemberValue::Kind;
    PickKey key;
    if (pick_.typed.kind == Kind::String) key.typed = std::move(pick_.typed_letters);
    if (pick_.picked.kind == Kind::String) key.picked = std::move(pick_.picked_text);
    const MemberValue& count = pick_.count;
    const Kind previous = pick_.previous.kind;
    if (key.typed.empty() || key.picked.empty() || count.kind != Kind::Unsigned ||
        count.number == 0 || count.number > kMaxCount ||
        (previous != Kind::Absent && previous != Kind::Null && previous != Kind::String)) {
      refuse_picks();
      return;
    }
    if (previous == Kind::String && !pick_.previous_text.empty()) {
      key.previous = std::move(pick_.previous_text);
    }
    picks_.emplace_back(std::move(key), static_cast<std::uint32_t>(count.number));
    if (picks_.size() >= next_merge_) {
      Picks merged;
      merge_in_key_order(
          picks_, [&](PickKey&& k, std::uint32_t c) { merged.emplace_back(std::move(k), c); });
      picks_ = std::move(merged);
      next_merge_ = std::max(kFirstMerge, 2 * picks_.size());
    }
  }

  // One bad pick refuses the whole `picks` member: what was read is dropped
  // and the rest of the array, if inside one, is skipped.
  void refuse_picks() {
    picks_.clear();
    picks_refused_ = true;
    if (depth_ >= kPicks) skip_from_ = kPicks;
  }

  std::size_t depth_ = 0;      // containers open
  std::size_t skip_from_ = 0;  // when not 0: events inside containers this deep are skipped
  TopMember top_member_ = TopMember::Other;
  MemberValue format_;
  bool format_matches_ = false;
  MemberValue version_;
  bool picks_refused_ = false;
  PickValues pick_;
  PickMember pick_slot_ = PickMember::Other;
  Picks picks_;
  std::size_t next_merge_ = kFirstMerge;
};

// Read with the locale's decimal point, as strtod wants it; an underflow to
// zero is fine, an overflow is not.
bool finite_as_double(std::string_view token) {
  std::string buffer(token);
  const std::lconv* conv = std::localeconv();
  const char point = conv != nullptr && conv->decimal_point != nullptr && *conv->decimal_point
                         ? *conv->decimal_point
                         : '.';
  std::replace(buffer.begin(), buffer.end(), '.', point);
  return std::isfinite(std::strtod(buffer.c_str(), nullptr));
}

// RapidJSON's events handed to the reader. Its parser keeps a few bytes per
// open container, so nesting is limited: deeper documents are refused rather
// than growing the host's memory with the file (Sorla writes depth 3).
class JsonEvents : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, JsonEvents> {
 public:
  static constexpr std::size_t kMaxDepth = 1 << 20;

  explicit JsonEvents(DocumentReader& reader) : r_(reader) {}

  bool Null() { return r_.null(); }
  bool Bool(bool b) { return r_.boolean(b); }
  // Numbers come as their text: an integer without sign is read to 64 bits
  // (beyond them, as the largest: a version that large is unsupported, a
  // count that large refused); any other number must be a finite double.
  // A number beyond the range of a double (a million digits, 1e400) is
  // refused wherever it stands.
  bool RawNumber(const char* s, rapidjson::SizeType n, bool) {
    const std::string_view text(s, n);
    if (text.find_first_not_of("0123456789") == std::string_view::npos) {
      std::uint64_t v = 0;
      if (std::from_chars(s, s + n, v).ec == std::errc()) return r_.number_unsigned(v);
      return finite_as_double(text) && r_.number_unsigned(UINT64_MAX);
    }
    return finite_as_double(text) && r_.number_other();
  }
  bool String(const char* s, rapidjson::SizeType n, bool) { return r_.string({s, n}); }
  bool Key(const char* s, rapidjson::SizeType n, bool) { return r_.key({s, n}); }
  bool StartObject() { return ++depth_ <= kMaxDepth && r_.start_object(); }
  bool StartArray() { return ++depth_ <= kMaxDepth && r_.start_array(); }
  bool EndObject(rapidjson::SizeType) { return --depth_, r_.end_object(); }
  bool EndArray(rapidjson::SizeType) { return --depth_, r_.end_array(); }

 private:
  DocumentReader& r_;
  std::size_t depth_ = 0;
};

// Strict JSON (RFC 8259), UTF-8 checked, read without recursion. A NUL byte
// and a byte order mark are refused, neither being JSON.
bool read_events(std::string_view bytes, DocumentReader& reader) {
  if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return false;
  constexpr unsigned kFlags = rapidjson::kParseIterativeFlag |
                              rapidjson::kParseValidateEncodingFlag |
                              rapidjson::kParseNumbersAsStringsFlag;
  rapidjson::MemoryStream stream(bytes.data(), bytes.size());
  JsonEvents events(reader);
  rapidjson::Reader parser;
  return !parser.Parse<kFlags>(stream, events).IsError();
}

}  // namespace

std::string write_learned_json(const std::map<PickKey, std::uint32_t>& entries) {
  rapidjson::StringBuffer buffer;
  buffer.Reserve(64 + entries.size() * 96);
  JsonWriter writer(buffer);
  writer.StartObject();
  writer.Key("format");
  writer.String(kFormat.data(), static_cast<rapidjson::SizeType>(kFormat.size()));
  writer.Key("version");
  writer.Uint(1);
  writer.Key("picks");
  writer.StartArray();
  for (const auto& [key, count] : entries) {
    writer.StartObject();
    writer.Key("typed");
    write_string(writer, key.typed);
    writer.Key("picked");
    write_string(writer, key.picked);
    if (key.previous) {
      writer.Key("previous");
      write_string(writer, *key.previous);
    }
    writer.Key("count");
    writer.Uint(count);
    writer.EndObject();
  }
  writer.EndArray();
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::variant<Picks, ImportError> read_learned_json(std::string_view bytes) {
  // No tree is built: large unknown members cost no more than reading them.
  DocumentReader reader;
  if (!read_events(bytes, reader)) return ImportError{ImportError::Kind::Invalid, 0};
  auto result = std::move(reader).result();
  if (auto* error = std::get_if<ImportError>(&result)) return *error;
  Picks& picks = std::get<Picks>(result);
  Picks merged;
  merged.reserve(picks.size());
  merge_in_key_order(picks, [&](PickKey&& key, std::uint32_t count) {
    merged.emplace_back(std::move(key), count);
  });
  return merged;
}

}  // namespace sorla
