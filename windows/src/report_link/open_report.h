// Opens the report page in the user's default browser.
#pragma once

#include <optional>
#include <string>

#include "sorla/engine.h"
#include "sorla/session.h"

namespace sorla::report {

// Hands the URL to the shell; whether a browser opened is not examined.
void open_url(const std::string& url);

// The report action: builds the link for what is typed and highlighted and
// opens it. Nothing happens while nothing is typed. Reads, never changes,
// the session and the engine.
void open_report_page(const SessionView& view, const Engine& engine);

}  // namespace sorla::report
