#include "report_link/open_report.h"

#include <windows.h>
// Windows headers must come first.
#include <shellapi.h>

#include "text/wide.h"

namespace sorla::report {

void open_url(const std::string& url) {
  const std::wstring wide = to_wide(url);
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace sorla::report
