#include "request_head.h"

#include <charconv>
#include <cstdint>

namespace sorla::reports {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The text after the last comma of the last line named `name`.
std::optional<std::string_view> last_entry(const Fields& headers, std::string_view name) {
  std::optional<std::string_view> line;
  for (const auto& [key, value] : headers) {
    if (same_text(key, name)) line = value;
  }
  if (!line) return std::nullopt;
  const auto comma = line->rfind(',');
  return trimmed(comma == std::string_view::npos ? *line : line->substr(comma + 1));
}

std::size_t count(const Fields& headers, std::string_view name) {
  std::size_t n = 0;
  for (const auto& field : headers) n += same_text(field.first, name);
  return n;
}

}  // namespace

std::optional<std::string_view> first_value(const Fields& fields, std::string_view name) {
  for (const auto& [key, value] : fields) {
    if (same_text(key, name)) return value;
  }
  return std::nullopt;
}

std::optional<Refusal> check_framing(const Fields& headers, const HeadLimits& limits) {
  std::size_t bytes = 0;
  for (const auto& [name, value] : headers) bytes += name.size() + value.size() + 4;  // ": ", CRLF
  if (headers.size() > limits.header_lines || bytes > limits.header_bytes) {
    return Refusal{431, "The request's headers are too large."};
  }
  const std::size_t lengths = count(headers, "Content-Length");
  if (count(headers, "Transfer-Encoding") > 0) {
    // Two ways of framing one body is how requests are smuggled past a proxy.
    if (lengths > 0) return Refusal{400, "A request may not give both a length and chunks."};
    return Refusal{411, "The request must give its length."};
  }
  for (const auto& [name, value] : headers) {
    if (same_text(name, "Content-Encoding") && !trimmed(value).empty() &&
        !same_text(trimmed(value), "identity")) {
      return Refusal{415, "Compressed requests are not accepted."};
    }
  }
  if (lengths > 1) return Refusal{400, "The request gives its length more than once."};
  if (lengths == 1) {
    const std::string_view text = *first_value(headers, "Content-Length");
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size()) {
      return Refusal{400, "The request's length is not a number."};
    }
    if (error == std::errc::result_out_of_range || length > limits.body_bytes) {
      return Refusal{413, "The request is too large."};
    }
  }
  return std::nullopt;
}

std::optional<Refusal> check_form_type(const Fields& headers) {
  const std::string_view type = first_value(headers, "Content-Type").value_or("");
  const std::string_view form = "application/x-www-form-urlencoded";
  const std::string_view media = trimmed(type.substr(0, type.find(';')));
  if (same_text(media, form)) return std::nullopt;
  return Refusal{415, "Only the report form may be posted."};
}

bool same_site(const Fields& headers, bool behind_proxy) {
  if (const auto site = first_value(headers, "Sec-Fetch-Site")) {
    return same_text(trimmed(*site), "same-origin") || same_text(trimmed(*site), "none");
  }
  const auto origin = first_value(headers, "Origin");
  if (!origin) return true;
  const auto scheme_end = origin->find("://");
  if (scheme_end == std::string_view::npos) return false;  // "null": a sandboxed or local page
  std::optional<std::string_view> host;
  if (behind_proxy) host = last_entry(headers, "X-Forwarded-Host");
  if (!host) host = first_value(headers, "Host");
  return host && !host->empty() &&
         same_text(trimmed(origin->substr(scheme_end + 3)), trimmed(*host));
}

std::string sender_address(const Fields& headers, std::string_view peer, bool behind_proxy) {
  if (behind_proxy) {
    if (const auto forwarded = last_entry(headers, "X-Forwarded-For");
        forwarded && !forwarded->empty()) {
      return std::string(*forwarded);
    }
  }
  return std::string(peer);
}

}  // namespace sorla::reports
