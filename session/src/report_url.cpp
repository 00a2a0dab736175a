#include "sorla/report_url.h"

namespace sorla::report {
namespace {

bool is_unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string percent_encode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_unreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

std::optional<std::string> report_url(std::string_view base, const SessionView& view,
                                      std::string_view app, std::string_view data) {
  if (view.typed.empty()) return std::nullopt;
  const std::string_view offered = view.selected < view.candidates.size()
                                       ? std::string_view(view.candidates[view.selected])
                                       : std::string_view();
  std::string url(base);
  url += "?typed=";
  url += percent_encode(view.typed);
  url += "&offered=";
  url += percent_encode(offered);
  url += "&platform=windows&app=";
  url += percent_encode(app);
  url += "&data=";
  url += percent_encode(data);
  return url;
}

std::string_view data_value(const std::optional<std::string>& data_name) {
  if (data_name) return *data_name;
  return kSeedDataName;
}

}  // namespace sorla::report
