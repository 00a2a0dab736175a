#include "chars.h"

namespace sorla {

bool is_scalar(char32_t c) { return c < 0x110000 && !(c >= 0xD800 && c <= 0xDFFF); }

bool is_printable(char32_t c) { return is_scalar(c) && c >= 0x20 && !(c >= 0x7F && c <= 0x9F); }

bool is_ascii_letter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

}  // namespace sorla
