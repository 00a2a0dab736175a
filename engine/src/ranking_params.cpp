#include "sorla/ranking_params.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "sorla/text.h"

namespace sorla {
namespace {

// "line N: " and the parts; appended one by one, as GCC 12 warns falsely on
// chains of operator+ here.
std::string line_error(std::size_t line, std::initializer_list<std::string_view> parts) {
  std::string message("line ");
  message.append(std::to_string(line)).append(": ");
  for (const std::string_view part : parts) message.append(part);
  return message;
}

// The whole of `text` as one finite float, rounded as the compiler would.
std::optional<float> parse_float(std::string_view text) {
  float value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string format_ranking_params(const RankingParams& params) {
  std::string out;
  for (const RankingNumber& n : kRankingNumbers) {
    // The shortest digits that read back as this very float.
    char digits[32];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), params.*n.field);
    out.append(n.name).append(" = ").append(digits, written.ptr).push_back('\n');
  }
  return out;
}

std::variant<RankingParams, std::string> parse_ranking_params(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  RankingParams params;
  std::size_t seen_on[std::size(kRankingNumbers)] = {};  // line number, 0 while unseen
  for (std::size_t line_no = 1; !text.empty(); ++line_no) {
    const std::size_t end = text.find('\n');
    const std::string_view line = trim_white_space(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.starts_with('#')) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return line_error(line_no, {"has no \"=\""});
    const std::string_view name = trim_white_space(line.substr(0, equals));
    const std::string_view value = trim_white_space(line.substr(equals + 1));
    std::size_t k = 0;
    while (k < std::size(kRankingNumbers) && name != kRankingNumbers[k].name) ++k;
    if (k == std::size(kRankingNumbers)) {
      return line_error(line_no, {"\"", name, "\" is not a ranking number"});
    }
    if (seen_on[k] != 0) {
      return line_error(line_no, {"the ", name, " is given again (first on line ",
                                  std::to_string(seen_on[k]), ")"});
    }
    const auto number = parse_float(value);
    if (!number) return line_error(line_no, {"the ", name, " is not a number"});
    params.*kRankingNumbers[k].field = *number;
    seen_on[k] = line_no;
  }
  for (std::size_t k = 0; k < std::size(kRankingNumbers); ++k) {
    if (seen_on[k] == 0) return std::string("the ").append(kRankingNumbers[k].name) + " is missing";
  }
  if (auto error = ranking_params_error(params)) return std::move(*error);
  return params;
}

}  // namespace sorla
