// Word data for the commands: the built-in list or a file, read the way the
// engine reads it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "sorla/engine.h"
#include "sorla/word_list.h"

namespace sorla::cli {

// The engine's reader choice: binary data file for bytes that are not UTF-8
// or start like its magic, seed text (with an empty name) otherwise.
ReadResult read_word_data(std::string_view bytes);

// The shipped word data of this source tree (data/lexicon/words.srla), when
// it is there.
std::optional<std::string> shipped_word_data();

// An engine from FILE, or from the built-in list when no file is named;
// a message ("FILE: reason") when it cannot be built.
std::variant<Engine, std::string> load_engine(const std::optional<std::string>& data_file);

}  // namespace sorla::cli
