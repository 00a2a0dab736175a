// A strict, non-recursive JSON reader that hands its handler one event per
// value, key and container. It accepts exactly the documents that
// nlohmann::json's strict SAX parser accepts without comments, except that it
// refuses a NUL byte anywhere and a byte order mark at the start (nlohmann
// would stop reading at the one and skip the other), and its events and their
// values are the ones that parser gives, in the same order. Strings are views, into the
// input where no escape forces a copy, so reading allocates almost nothing.
#pragma once

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/text.h"

namespace sorla::json {

// A handler has these members; a `false` from any of them ends the reading as
// a failure. A string view lives until the next event.
//   bool null();  bool boolean(bool);
//   bool number_unsigned(std::uint64_t);  // an integer without sign that fits 64 bits
//   bool number_other();                  // a negative integer or any other number
//   bool string(std::string_view);  bool key(std::string_view);
//   bool start_object();  bool end_object();  bool start_array();  bool end_array();

namespace detail {

// Numbers that are neither unsigned nor negative 64-bit integers are read as
// doubles; one beyond the range of a double is not accepted. Read as
// nlohmann does: strtod with the locale's decimal point.
inline bool finite_as_double(std::string_view token) {
  std::string buffer(token);
  const std::lconv* conv = std::localeconv();
  const char point = conv != nullptr && conv->decimal_point != nullptr && *conv->decimal_point
                         ? *conv->decimal_point
                         : '.';
  for (char& c : buffer) {
    if (c == '.') c = point;
  }
  return std::isfinite(std::strtod(buffer.c_str(), nullptr));
}

inline int hex_digit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

template <typename Handler>
class Scanner {
 public:
  Scanner(std::string_view text, Handler& handler)
      : p_(reinterpret_cast<const unsigned char*>(text.data())),
        end_(p_ + text.size()),
        h_(handler) {}

  bool run() {
    std::vector<bool> arrays;  // the open containers, true for an array
    while (true) {
      // A value is expected here.
      skip_white_space();
      if (p_ == end_) return false;
      switch (*p_) {
        case '{':
          ++p_;
          if (!h_.start_object()) return false;
          skip_white_space();
          if (p_ != end_ && *p_ == '}') {
            ++p_;
            if (!h_.end_object()) return false;
            break;
          }
          if (!member_name()) return false;
          arrays.push_back(false);
          continue;
        case '[':
          ++p_;
          if (!h_.start_array()) return false;
          skip_white_space();
          if (p_ != end_ && *p_ == ']') {
            ++p_;
            if (!h_.end_array()) return false;
            break;
          }
          arrays.push_back(true);
          continue;
        case '"': {
          std::string_view s;
          if (!string(s) || !h_.string(s)) return false;
          break;
        }
        case 't':
          if (!literal("true") || !h_.boolean(true)) return false;
          break;
        case 'f':
          if (!literal("false") || !h_.boolean(false)) return false;
          break;
        case 'n':
          if (!literal("null") || !h_.null()) return false;
          break;
        default:
          if (!number()) return false;
          break;
      }
      // A value is complete: close containers until one goes on.
      while (true) {
        skip_white_space();
        if (arrays.empty()) return p_ == end_;
        if (p_ == end_) return false;
        const unsigned char c = *p_++;
        if (c == ',') {
          if (!arrays.back()) {
            skip_white_space();
            if (!member_name()) return false;
          }
          break;
        }
        if (c != (arrays.back() ? ']' : '}')) return false;
        if (!(arrays.back() ? h_.end_array() : h_.end_object())) return false;
        arrays.pop_back();
      }
    }
  }

 private:
  void skip_white_space() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }

  // A member's name, its event, and the colon after it.
  bool member_name() {
    if (p_ == end_ || *p_ != '"') return false;
    std::string_view name;
    if (!string(name) || !h_.key(name)) return false;
    skip_white_space();
    if (p_ == end_ || *p_ != ':') return false;
    ++p_;
    return true;
  }

  bool literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::string_view(reinterpret_cast<const char*>(p_), word.size()) != word) {
      return false;
    }
    p_ += word.size();
    return true;
  }

  // At the opening quotation mark; leaves `out` viewing the content.
  bool string(std::string_view& out) {
    const unsigned char* start = ++p_;
    // Plain bytes up to the closing mark are viewed where they stand.
    while (true) {
      if (p_ == end_) return false;
      const unsigned char c = *p_;
      if (c == '"') {
        out = view(start, p_);
        ++p_;
        return true;
      }
      if (c == '\\') break;
      if (c >= 0x20 && c < 0x80) {
        ++p_;
      } else if (end_ - p_ >= 8 && two_plain_three_byte_chars(reinterpret_cast<const char*>(p_))) {
        p_ += 6;
      } else if (c >= 0xE1 && c <= 0xEC && end_ - p_ >= 3 && (p_[1] & 0xC0) == 0x80 &&
                 (p_[2] & 0xC0) == 0x80) {
        p_ += 3;  // the common three-byte form, Khmer among it
      } else if (!plain_char()) {
        return false;
      }
    }
    scratch_.assign(reinterpret_cast<const char*>(start), p_ - start);
    while (true) {
      if (p_ == end_) return false;
      const unsigned char c = *p_;
      if (c == '"') {
        out = scratch_;
        ++p_;
        return true;
      }
      if (c == '\\') {
        if (!escape()) return false;
        continue;
      }
      const unsigned char* from = p_;
      if (!plain_char()) return false;
      scratch_.append(reinterpret_cast<const char*>(from), p_ - from);
    }
  }

  // One unescaped character of a string: no control character, valid UTF-8.
  bool plain_char() {
    const unsigned char c = *p_;
    if (c < 0x20) return false;
    if (c < 0x80) {
      ++p_;
      return true;
    }
    const std::size_t len = utf8_sequence_length(view(p_, end_));
    p_ += len;
    return len != 0;
  }

  // At a reverse solidus: appends what the escape stands for.
  bool escape() {
    if (end_ - p_ < 2) return false;
    const unsigned char c = p_[1];
    p_ += 2;
    switch (c) {
      case '"':
      case '\\':
      case '/':
        scratch_ += static_cast<char>(c);
        return true;
      case 'b':
        scratch_ += '\b';
        return true;
      case 'f':
        scratch_ += '\f';
        return true;
      case 'n':
        scratch_ += '\n';
        return true;
      case 'r':
        scratch_ += '\r';
        return true;
      case 't':
        scratch_ += '\t';
        return true;
      case 'u':
        break;
      default:
        return false;
    }
    long code = code_unit();
    if (code < 0) return false;
    if (code >= 0xD800 && code <= 0xDBFF) {
      // A high surrogate must be followed by an escaped low one.
      if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return false;
      p_ += 2;
      const long low = code_unit();
      if (low < 0xDC00 || low > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      return false;
    }
    append_utf8(scratch_, static_cast<char32_t>(code));
    return true;
  }

  // Four hex digits, or -1.
  long code_unit() {
    if (end_ - p_ < 4) return -1;
    long code = 0;
    for (int k = 0; k < 4; ++k) {
      const int d = hex_digit(p_[k]);
      if (d < 0) return -1;
      code = code * 16 + d;
    }
    p_ += 4;
    return code;
  }

  bool number() {
    const unsigned char* start = p_;
    const bool negative = *p_ == '-';
    if (negative) ++p_;
    if (p_ == end_ || !is_digit(*p_)) return false;
    if (*p_ == '0') {
      ++p_;
    } else {
      while (p_ != end_ && is_digit(*p_)) ++p_;
    }
    const unsigned char* digits_end = p_;
    bool integer = true;
    if (p_ != end_ && *p_ == '.') {
      integer = false;
      ++p_;
      if (p_ == end_ || !is_digit(*p_)) return false;
      while (p_ != end_ && is_digit(*p_)) ++p_;
    }
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      integer = false;
      ++p_;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (p_ == end_ || !is_digit(*p_)) return false;
      while (p_ != end_ && is_digit(*p_)) ++p_;
    }
    if (integer) {
      // The magnitude, while it fits 64 bits.
      const unsigned char* d = negative ? start + 1 : start;
      std::uint64_t value = 0;
      bool fits = true;
      for (; d != digits_end && fits; ++d) {
        const unsigned digit = *d - '0';
        fits = value <= (UINT64_MAX - digit) / 10;
        if (fits) value = value * 10 + digit;
      }
      if (fits && !negative) return h_.number_unsigned(value);
      if (fits && value <= std::uint64_t{1} << 63) return h_.number_other();
    }
    if (!finite_as_double(view(start, p_))) return false;
    return h_.number_other();
  }

  static std::string_view view(const unsigned char* from, const unsigned char* to) {
    return {reinterpret_cast<const char*>(from), static_cast<std::size_t>(to - from)};
  }

  const unsigned char* p_;
  const unsigned char* const end_;
  Handler& h_;
  std::string scratch_;  // a string with escapes, decoded
};

}  // namespace detail

// Reads one JSON document that fills the whole of `text` (white space around
// it allowed), passing its events to `handler`; false for text that is not
// such a document or when the handler refuses an event.
template <typename Handler>
bool scan(std::string_view text, Handler& handler) {
  return detail::Scanner<Handler>(text, handler).run();
}

}  // namespace sorla::json
