// Character rules of the typing session.
#pragma once

#include "sorla/text.h"  // append_utf8

namespace sorla {

inline constexpr char32_t kKhan = U'\u17D4';  // KHMER SIGN KHAN, the Khmer full stop

// A Unicode scalar value: below 0x110000 and not a UTF-16 surrogate.
bool is_scalar(char32_t c);

// A character a key may type into the document: a scalar value, not a C0 or
// C1 control and not DEL.
bool is_printable(char32_t c);

bool is_ascii_letter(char32_t c);

}  // namespace sorla
