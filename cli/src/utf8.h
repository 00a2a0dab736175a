// Small UTF-8 helpers of the command-line tool.
#pragma once

#include <string>
#include <string_view>

namespace sorla::cli {

std::string encode_utf8(char32_t c);

// Removes the last character of a UTF-8 text (nothing when empty).
void pop_utf8_char(std::string& text);

}  // namespace sorla::cli
