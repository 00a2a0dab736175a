// Opens the report page in the user's default browser.
#pragma once

#include <string>

namespace sorla::report {

// Hands the URL to the shell; whether a browser opened is not examined.
void open_url(const std::string& url);

}  // namespace sorla::report
