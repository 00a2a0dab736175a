#include "html.h"

namespace sorla::reports {
namespace {

// One small style for every page: readable Khmer (its vowels and
// subscripts need the line height), a narrow column, fields that fit a phone.
constexpr std::string_view kStyle =
    "body{font-family:'Khmer OS','Noto Sans Khmer',system-ui,sans-serif;line-height:1.7;"
    "max-width:36rem;margin:2rem auto;padding:0 1rem;color:#1b1b1b}"
    "h1{font-size:1.4rem}label{display:block}"
    "input[name=meant],textarea{display:block;width:100%;box-sizing:border-box;font:inherit;"
    "padding:.3rem}textarea{height:5rem}"
    "button{font:inherit;padding:.4rem 1.2rem}table{border-collapse:collapse}"
    "td,th{border:1px solid #ccc;padding:.2rem .5rem;text-align:left}";

std::string page(std::string_view title, const std::string& body) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"km\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>";
  out += escape_html(title);
  out += "</title><style>";
  out += kStyle;
  out += "</style></head><body>";
  out += body;
  out += "</body></html>\n";
  return out;
}

std::string hidden(std::string_view name, std::string_view value) {
  return "<input type=\"hidden\" name=\"" + std::string(name) + "\" value=\"" + escape_html(value) +
         "\">";
}

}  // namespace

std::string escape_html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string report_page(const ReportKeys& keys, std::string_view token) {
  std::string body = "<h1>រាយការណ៍ពាក្យដែលខ្វះ · Report a missing word</h1>";
  body +=
      "<p>អ្នកបានវាយ · You typed: <strong id=\"typed\">" + escape_html(keys.typed) + "</strong></p>";
  body += "<p>Sorla បានផ្ដល់ · Sorla offered: <strong id=\"offered\">" + escape_html(keys.offered) +
          "</strong></p>";
  body += "<form method=\"post\" action=\"/report\">";
  body += hidden("typed", keys.typed) + hidden("offered", keys.offered) +
          hidden("platform", keys.platform) + hidden("app", keys.app) + hidden("data", keys.data) +
          hidden("token", token);
  body +=
      "<p><label>ពាក្យដែលខ្ញុំចង់បាន · The word I meant "
      "<input name=\"meant\" lang=\"km\" maxlength=\"64\"></label></p>"
      "<p><label>កំណត់ចំណាំ · Note "
      "<textarea name=\"note\" maxlength=\"500\"></textarea></label></p>"
      "<p><button type=\"submit\">ផ្ញើ · Send</button></p></form>";
  return page("Sorla", body);
}

std::string thanks_page() {
  return page("Sorla", "<h1>សូមអរគុណ · Thank you</h1><p>Your report helps Sorla learn the word.</p>");
}

std::string admin_page(const std::vector<Store::TypedSummary>& rows) {
  std::string body =
      "<h1>Reports</h1><table><tr><th>typed</th><th>reports</th><th>words meant</th>"
      "<th>first</th><th>last</th></tr>";
  for (const auto& r : rows) {
    body += "<tr><td>" + escape_html(r.typed) + "</td><td>" + std::to_string(r.reports) +
            "</td><td>" + std::to_string(r.words_meant) + "</td><td>" + escape_html(r.first) +
            "</td><td>" + escape_html(r.last) + "</td></tr>";
  }
  body += "</table>";
  return page("Sorla reports", body);
}

std::string error_page(std::string_view message) {
  return page("Sorla", "<h1>មិនអាចរាយការណ៍បាន · This report cannot be made</h1><p>" +
                           escape_html(message) + "</p>");
}

}  // namespace sorla::reports
