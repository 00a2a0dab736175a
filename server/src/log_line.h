// The service's log: one line per request, method, path and outcome, with
// every byte a client chose made harmless.
#pragma once

#include <string>
#include <string_view>

namespace sorla::reports {

// `text` with every byte outside printable ASCII, and the backslash, written
// as \xNN: no request can end a line or send a terminal control code.
std::string escape_for_log(std::string_view text);

// "METHOD PATH OUTCOME\n", method and path escaped, at most 200 bytes of
// the path kept.
std::string log_line(std::string_view method, std::string_view path, std::string_view outcome);

}  // namespace sorla::reports
