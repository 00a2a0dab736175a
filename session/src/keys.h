// Keys as a platform reports them (virtual-key code, the character typed,
// modifiers) read as the session's inputs.
#pragma once

#include <cstdint>
#include <optional>

#include "sorla/session.h"

namespace sorla {

// The character, when it is one a key may type into the document.
std::optional<char32_t> printable(std::optional<char32_t> ch);

// The input a key stands for; none for a key the typing has no use for
// (modifiers alone, shortcuts, function and editing keys). `c` is the key's
// printable character.
std::optional<SessionInput> key_input(std::uint32_t key, std::optional<char32_t> c, Modifiers mods);

}  // namespace sorla
