// UTF-8 helpers shared by the readers and the engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorla {

bool is_valid_utf8(std::string_view bytes);

// Every byte below 0x80: such text is also valid UTF-8.
bool is_ascii(std::string_view bytes);

// Unicode white space as the seed text and the typed text use it.
bool is_white_space(char32_t c);

// Decodes the scalar value starting at `pos` of a valid UTF-8 text and
// advances `pos` past it.
char32_t next_char(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of a Unicode scalar value.
void append_utf8(std::string& out, char32_t c);

// Trims Unicode white space from both ends of a valid UTF-8 text.
std::string_view trim_white_space(std::string_view text);

}  // namespace sorla
