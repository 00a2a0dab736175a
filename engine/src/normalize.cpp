#include "sorla/normalize.h"

namespace sorla {

std::string letters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // Bytes of multi-byte UTF-8 characters are all >= 0x80, so a byte-wise scan
  // keeps exactly the ASCII letters.
  for (char ch : text) {
    if (ch >= 'A' && ch <= 'Z') {
      out.push_back(static_cast<char>(ch + 0x20));
    } else if (ch >= 'a' && ch <= 'z') {
      out.push_back(ch);
    }
  }
  return out;
}

namespace {

// The folding table as one string of consecutive patterns, rows 2 to 8; row 1
// ("chh") and the one-letter rows (j, w) are handled around it.
constexpr std::string_view kDigraphs = "khchphthnhnyng";
constexpr const char* kDigraphOut[] = {"k", "c", "p", "t", "\xC3\xB1", "\xC3\xB1", "\xC5\x8B"};

}  // namespace

std::string fold(std::string_view text) {
  const std::string l = letters(text);
  std::string out;
  out.reserve(l.size());
  std::size_t p = 0;
  const std::size_t n = l.size();
  while (p < n) {
    if (n - p >= 3 && l.compare(p, 3, "chh") == 0) {
      out.push_back('c');
      p += 3;
      continue;
    }
    if (n - p >= 2) {
      bool matched = false;
      for (std::size_t row = 0; row < 7; ++row) {
        if (l[p] == kDigraphs[2 * row] && l[p + 1] == kDigraphs[2 * row + 1]) {
          out += kDigraphOut[row];
          p += 2;
          matched = true;
          break;
        }
      }
      if (matched) continue;
    }
    const char c = l[p];
    out.push_back(c == 'j' ? 'c' : c == 'w' ? 'v' : c);
    ++p;
  }
  return out;
}

}  // namespace sorla
