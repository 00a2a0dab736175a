// Reader of the tab-separated seed word list text.
#pragma once

#include <string_view>

#include "sorla/word_list.h"

namespace sorla {

// `text` must be valid UTF-8; `data_name` is stored into the result as given.
ReadResult parse_seed_text(std::string_view text, std::string_view data_name);

}  // namespace sorla
