#include "utf8.h"

#include "sorla/text.h"

namespace sorla::cli {

std::string encode_utf8(char32_t c) {
  std::string out;
  append_utf8(out, c);
  return out;
}

void pop_utf8_char(std::string& text) {
  while (!text.empty()) {
    const auto b = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((b & 0xC0) != 0x80) break;  // stop after the lead byte
  }
}

}  // namespace sorla::cli
