#include "log_line.h"

namespace sorla::reports {

std::string escape_for_log(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0xF];
    }
  }
  return out;
}

std::string log_line(std::string_view method, std::string_view path, std::string_view outcome) {
  constexpr std::size_t kMostPath = 200;
  std::string line = escape_for_log(method.empty() ? "-" : method);
  line += ' ';
  line += escape_for_log(path.substr(0, kMostPath));
  if (path.size() > kMostPath) line += "...";
  line += ' ';
  line += escape_for_log(outcome);
  line += '\n';
  return line;
}

}  // namespace sorla::reports
