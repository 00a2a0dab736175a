// The key-script notation of `sorla type`: characters stand for their keys,
// braces name the others ({enter}, {ctrl+s}, {toggle}, "{{" for a brace).
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "key_event.h"

namespace sorla::cli {

// The keys of a UTF-8 script, or a message naming what is wrong.
std::variant<std::vector<KeyEvent>, std::string> parse_key_script(std::string_view script);

}  // namespace sorla::cli
