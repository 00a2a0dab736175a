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

// The folding table over a string of lower-case letters only, calling
// `emit` with each character of the result in order.
template <typename Emit>
void fold_letters_each(std::string_view l, Emit&& emit) {
  const std::size_t n = l.size();
  auto at = [&](std::size_t i) { return i < n ? l[i] : '\0'; };
  // Rows in order: chh kh ch ph th nh ny ng j w. Rows with different first
  // letters never compete, so the first letter picks.
  for (std::size_t p = 0; p < n;) {
    const char c = l[p];
    // Most letters start no row: copied straight through.
    if (c != 'c' && c != 'k' && c != 'p' && c != 't' && c != 'n' && c != 'j' && c != 'w') {
      emit(static_cast<char32_t>(c));
      ++p;
      continue;
    }
    char32_t out = static_cast<char32_t>(c);
    std::size_t used = 1;
    switch (c) {
      case 'c':
        if (at(p + 1) == 'h') used = at(p + 2) == 'h' ? 3 : 2;
        break;
      case 'k':
      case 'p':
      case 't':
        if (at(p + 1) == 'h') used = 2;
        break;
      case 'n': {
        const char next = at(p + 1);
        if (next == 'h' || next == 'y') {
          out = U'\u00F1';
          used = 2;
        } else if (next == 'g') {
          out = U'\u014B';
          used = 2;
        }
        break;
      }
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
    p += used;
  }
}

// Calls `emit` with each character of fold(text) in order, building no
// string when the text is lower-case letters already (as stored spellings
// and the ranking's spans are): the matcher folds every one this way.
// Whether `text` is its own `letters`: lower-case ASCII letters only.
inline bool is_plain_letters(std::string_view text) {
  bool plain = true;
  for (char ch : text) plain = plain && ch >= 'a' && ch <= 'z';
  return plain;
}

template <typename Emit>
void fold_each(std::string_view text, Emit&& emit) {
  if (is_plain_letters(text)) {
    fold_letters_each(text, emit);
  } else {
    fold_letters_each(letters(text), emit);
  }
}

}  // namespace sorla
