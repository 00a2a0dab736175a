// The missing-word report link: the report page's URL with what was typed
// and offered. The text service opens it from the candidate window's flag;
// `sorla report-url` prints the same link.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sorla/session.h"

namespace sorla::report {

// What `data` carries when the word data has no name (the seed word list).
inline constexpr std::string_view kSeedDataName = "seed";

// Copies A-Z a-z 0-9 - . _ ~ and writes every other UTF-8 byte as %XX.
std::string percent_encode(std::string_view value);

// None when nothing is typed.
std::optional<std::string> report_url(std::string_view base, const SessionView& view,
                                      std::string_view app, std::string_view data);

// The `data` value for an engine's data name.
std::string_view data_value(const std::optional<std::string>& data_name);

}  // namespace sorla::report
