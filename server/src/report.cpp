#include "report.h"

#include "sorla/text.h"

namespace sorla::reports {
namespace {

constexpr std::size_t kMaxTyped = 64;      // letters
constexpr std::size_t kMaxWordBytes = 64;  // of Khmer UTF-8
constexpr std::size_t kMaxNote = 500;      // characters
constexpr std::size_t kMaxTag = 64;        // bytes of platform, app, data

// Chat spelling: letters, apostrophes and hyphens, words parted by single
// spaces ("sa-ek b'n").
bool chat_letters(std::string_view s) {
  if (s.empty() || s.size() > kMaxTyped || s.front() == ' ' || s.back() == ' ') return false;
  char previous = 0;
  for (const char c : s) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '-' ||
                    (c == ' ' && previous != ' ');
    if (!ok) return false;
    previous = c;
  }
  return true;
}

// Khmer letters and signs (U+1780-U+17FF, U+19E0-U+19FF) and the joiners a
// Khmer word may hold.
bool khmer_word(std::string_view s) {
  if (s.size() > kMaxWordBytes || !is_valid_utf8(s)) return false;
  std::size_t pos = 0;
  while (pos < s.size()) {
    const char32_t c = next_char(s, pos);
    const bool ok = (c >= 0x1780 && c <= 0x17FF) || (c >= 0x19E0 && c <= 0x19FF) || c == 0x200B ||
                    c == 0x200C || c == 0x200D;
    if (!ok) return false;
  }
  return true;
}

bool tag(std::string_view s) {
  if (s.size() > kMaxTag) return false;
  for (const char c : s) {
    if (c < 0x21 || c > 0x7E) return false;
  }
  return true;
}

// Text as a form field gives it: no control characters but tab and line
// ends (PostgreSQL cannot store a NUL, and none belongs in a note).
bool plain_text(std::string_view s) {
  for (const char c : s) {
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
        c == 0x7F) {
      return false;
    }
  }
  return true;
}

std::size_t characters(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

std::optional<std::string> check_keys(const ReportKeys& keys) {
  if (!chat_letters(keys.typed)) return "The typed letters are missing or not chat spelling.";
  if (!khmer_word(keys.offered)) return "The offered word is not Khmer text.";
  if (!tag(keys.platform) || !tag(keys.app) || !tag(keys.data)) {
    return "The link's platform, app or data is not valid.";
  }
  return std::nullopt;
}

std::optional<std::string> check_report(const Report& report) {
  if (auto message = check_keys(report.keys)) return message;
  if (!khmer_word(report.meant)) return "The word you meant must be Khmer text (64 bytes at most).";
  if (!is_valid_utf8(report.note) || !plain_text(report.note) ||
      characters(report.note) > kMaxNote) {
    return "The note must be text of 500 characters at most.";
  }
  return std::nullopt;
}

}  // namespace sorla::reports
