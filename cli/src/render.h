// Draws the typing demo's screen: the document with the letters being typed,
// the numbered candidate row with the highlight, the mode and the keys.
#pragma once

#include <string>
#include <string_view>

#include "sorla/session.h"

namespace sorla::cli {

struct Screen {
  SessionView view;
  std::string document;  // final text, without the composition
  std::string status;    // one line of news (learned file, warnings); may be empty
};

// The whole screen as ANSI text: cleared and drawn from the top left, with
// the cursor left just after the typed letters.
std::string render_screen(const Screen& screen);

// The candidate row: "1 W  [2 W]  3 W", the highlighted one in brackets
// and wrapped in `mark_on` ... `mark_off`.
std::string candidate_row(const SessionView& view, std::string_view mark_on = "",
                          std::string_view mark_off = "");

}  // namespace sorla::cli
