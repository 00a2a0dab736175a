#include "sorla/normalize.h"

#include "sorla/text.h"

namespace sorla {

void append_letters(std::string& out, std::string_view text) {
  // Bytes of multi-byte UTF-8 characters are all >= 0x80, so a byte-wise
  // scan keeps exactly the ASCII letters.
  const std::size_t from = out.size();
  out.resize(from + text.size());
  std::size_t at = from;
  for (char ch : text) {
    if (ch >= 'A' && ch <= 'Z') {
      out[at++] = static_cast<char>(ch + 0x20);
    } else if (ch >= 'a' && ch <= 'z') {
      out[at++] = ch;
    }
  }
  out.resize(at);
}

std::string letters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_letters(out, text);
  return out;
}

std::string fold(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  fold_each(text, [&](char32_t c) { append_utf8(out, c); });
  return out;
}

}  // namespace sorla
