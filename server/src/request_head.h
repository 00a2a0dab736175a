// What the service decides from a request's head alone, before it reads a
// byte of the body: whether its framing and size are acceptable, whether a
// post comes from this site's own page, and which address sent it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorla::reports {

// Header lines or query and form fields in the order received, repeats kept.
using Fields = std::vector<std::pair<std::string, std::string>>;

// The first value of `name` (header names compare without case), or nullopt.
std::optional<std::string_view> first_value(const Fields& fields, std::string_view name);

struct HeadLimits {
  std::size_t header_bytes = 8192;  // names and values of all lines together
  std::size_t header_lines = 64;
  std::size_t body_bytes = 8192;  // the form's limit
};

// A refusal: the status, and a sentence for the page.
struct Refusal {
  int status;
  std::string message;
};

// Refuses, in this order: too many or too large headers (431); a
// Transfer-Encoding (a chunked body beside a Content-Length, 400; alone,
// 411, as a form always states its length); a Content-Encoding other than
// identity (415); Content-Length repeated or not a number (400), or over
// the body limit (413).
std::optional<Refusal> check_framing(const Fields& headers, const HeadLimits& limits);

// A post's Content-Type must be a form's (application/x-www-form-urlencoded).
std::optional<Refusal> check_form_type(const Fields& headers);

// Whether a post comes from a page of this site. A browser that sends
// Sec-Fetch-Site is believed ("same-origin", or "none" for a user's own
// action); otherwise an Origin, when there is one, must name the host the
// request was sent to (X-Forwarded-Host's last entry behind a proxy, else
// Host). Requests with neither are not from a browser's cross-site form.
bool same_site(const Fields& headers, bool behind_proxy);

// Where a request came from: the connection's address, or behind a proxy
// the last entry of the last X-Forwarded-For line, the one the proxy
// appended (every earlier line and entry is the sender's own claim).
std::string sender_address(const Fields& headers, std::string_view peer, bool behind_proxy);

}  // namespace sorla::reports
