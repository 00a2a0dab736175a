#include "report_link/open_report.h"

#include <windows.h>
// Windows headers must come first.
#include <shellapi.h>

#include "report_link/report_url.h"
#include "text/wide.h"

namespace sorla::report {

void open_url(const std::string& url) {
  const std::wstring wide = to_wide(url);
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void open_report_page(const SessionView& view, const Engine& engine) {
  const auto url = report_url(report_base(), view, kAppVersion, data_value(engine.data_name()));
  if (url) open_url(*url);
}

}  // namespace sorla::report
