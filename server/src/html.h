// The pages of the report service, in Khmer and English. Every value that
// came from a request goes through escape_html.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report.h"
#include "store.h"

namespace sorla::reports {

// Text for HTML content and double-quoted attributes: & < > " ' escaped.
std::string escape_html(std::string_view text);

// The confirmation page for a report: what was typed and offered, the word
// meant, a note, one button; `token` goes back with the form.
std::string report_page(const ReportKeys& keys, std::string_view token);
std::string thanks_page();
// The maintainers' view: reports grouped by what was typed.
std::string admin_page(const std::vector<Store::TypedSummary>& rows);
std::string error_page(std::string_view message);

}  // namespace sorla::reports
