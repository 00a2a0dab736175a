// Where this build's report link goes and what it says the app is: both
// fixed when the DLL is built. The link itself is sorla/report_url.h.
#pragma once

#include <string_view>

#include "version.h"

namespace sorla::report {

inline constexpr std::string_view kAppVersion = SORLA_VERSION_STRING;

// The report page configured for this build.
inline constexpr std::string_view report_base() { return SORLA_REPORT_BASE; }

}  // namespace sorla::report
