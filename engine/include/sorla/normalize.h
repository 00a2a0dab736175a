// The two normalizations under which typed and stored spellings are compared.
#pragma once

#include <string>
#include <string_view>

namespace sorla {

// The ASCII letters of `text`, lower-cased; everything else dropped.
std::string letters(std::string_view text);
void append_letters(std::string& out, std::string_view text);

// `letters`, then the digraph folding table (chh kh ch ph th nh ny ng j w).
std::string fold(std::string_view text);

// Calls `emit` with each character of fold(text) in order, building no
// string: the matcher folds every spelling and every typed span this way.
template <typename Emit>
void fold_each(std::string_view text, Emit&& emit) {
  // Bytes of multi-byte UTF-8 characters are all >= 0x80, so a byte-wise
  // scan sees exactly the ASCII letters.
  std::size_t pos = 0;
  auto next_letter = [&]() -> char {
    while (pos < text.size()) {
      const char ch = text[pos++];
      if (ch >= 'A' && ch <= 'Z') return static_cast<char>(ch + 0x20);
      if (ch >= 'a' && ch <= 'z') return ch;
    }
    return '\0';
  };
  // The next three letters, '\0' past the end.
  char l0 = next_letter(), l1 = next_letter(), l2 = next_letter();
  auto advance = [&](int count) {
    for (int i = 0; i < count; ++i) {
      l0 = l1;
      l1 = l2;
      l2 = next_letter();
    }
  };
  // The folding table, rows in order: chh kh ch ph th nh ny ng j w. Rows
  // with different first letters never compete, so the first letter picks.
  while (l0 != '\0') {
    char32_t out = static_cast<char32_t>(l0);
    int used = 1;
    switch (l0) {
      case 'c':
        if (l1 == 'h') used = l2 == 'h' ? 3 : 2;
        break;
      case 'k':
      case 'p':
      case 't':
        if (l1 == 'h') used = 2;
        break;
      case 'n':
        if (l1 == 'h' || l1 == 'y') {
          out = U'\u00F1';
          used = 2;
        } else if (l1 == 'g') {
          out = U'\u014B';
          used = 2;
        }
        break;
      case 'j':
        out = U'c';
        break;
      case 'w':
        out = U'v';
        break;
      default:
        break;
    }
    emit(out);
    advance(used);
  }
}

}  // namespace sorla
