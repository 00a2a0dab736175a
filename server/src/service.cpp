#include "service.h"

#include <openssl/crypto.h>

#include <ctime>
#include <memory>

#include "export.h"
#include "form_token.h"
#include "html.h"
#include "rate_limit.h"

namespace sorla::reports {
namespace {

constexpr const char* kText = "text/plain; charset=utf-8";

// Pages that load nothing from anywhere, post only here, and may not be
// framed by another site.
const Fields kPageHeaders = {
    {"Content-Security-Policy",
     "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"}};

Response page(int status, std::string body) {
  return Response{status, "text/html; charset=utf-8", std::move(body), kPageHeaders};
}

Response error(int status, std::string_view message) { return page(status, error_page(message)); }

ReportKeys keys_of(const Request& req) {
  return {req.param("typed"), req.param("offered"), req.param("platform"), req.param("app"),
          req.param("data")};
}

// Compared in time that does not depend on where the strings differ.
bool same_secret(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

// The refusal when the admin pages do not answer this request.
std::optional<Response> not_admitted(const Request& req, const std::string& token) {
  if (token.empty()) return error(404, "There is no such page.");
  const std::string given = req.header("Authorization");
  constexpr std::string_view kBearer = "Bearer ";
  if (given.rfind(kBearer, 0) != 0 || !same_secret(given.substr(kBearer.size()), token)) {
    Response refused = error(401, "This page needs the maintainers' token.");
    refused.headers.emplace_back("WWW-Authenticate", "Bearer");
    return refused;
  }
  return std::nullopt;
}

// A failed read is the maintainers' to know about, never an empty page.
Response store_failed(const StoreError& failure) {
  return failure.busy ? error(503, "The database is busy; please try again.")
                      : error(500, "The reports could not be read: " + failure.message);
}

Route route(std::string method, std::string path, Lane lane,
            std::function<Response(const Request&)> handler) {
  Route r;
  r.method = std::move(method);
  r.path = std::move(path);
  r.lane = lane;
  r.handler = std::move(handler);
  return r;
}

Response post_report(Store& store, RateLimiter& limiter, const FormTokens& tokens,
                     bool behind_proxy, const Request& req) {
  if (!limiter.allow(sender_address(req.headers, req.peer, behind_proxy))) {
    return error(429, "Too many reports from here; please wait a minute.");
  }
  const Report report{keys_of(req), req.param("meant"), req.param("note")};
  if (const auto message = check_report(report)) return error(400, *message);
  // Only a form this service showed (not one another site posts) reports.
  const std::string token = req.param("token");
  if (!tokens.valid(token, report.keys.typed, std::time(nullptr))) {
    return error(403, "This form has expired; please open the report link again.");
  }
  const auto added = store.add(report, token, req.deadline);
  if (const auto* failure = std::get_if<StoreError>(&added)) {
    return failure->busy ? error(503, "The service is busy; please try again.")
                         : error(500, "The report could not be stored; please try again.");
  }
  if (std::get<Store::Added>(added) == Store::Added::TokenUsed) {
    return error(409, "This report was sent already. Thank you!");
  }
  return page(200, thanks_page());
}

}  // namespace

void add_routes(HttpServer& server, Store& store, ServiceOptions options) {
  auto limiter = std::make_shared<RateLimiter>(options.rate_limit);
  auto tokens = std::make_shared<const FormTokens>(options.form_secret);
  const std::string admin = options.admin_token;
  const bool behind_proxy = options.behind_proxy;
  server.set_error_page([](const Refusal& r) { return error(r.status, r.message); });

  server.add(route("GET", "/healthz", Lane::Health, [&store](const Request&) {
    if (const auto failure = store.check(Clock::now() + kHealthDeadline)) {
      return Response{503, kText, "the store does not answer: " + failure->message + "\n", {}};
    }
    return Response{200, kText, "ok\n", {}};
  }));

  server.add(route("GET", "/report", Lane::AtOnce, [tokens](const Request& req) {
    const ReportKeys keys = keys_of(req);
    if (const auto message = check_keys(keys)) return error(400, *message);
    return page(200, report_page(keys, tokens->make(keys.typed, std::time(nullptr))));
  }));

  Route post = route("POST", "/report", Lane::Workers,
                     [&store, limiter, tokens, behind_proxy](const Request& req) {
                       return post_report(store, *limiter, *tokens, behind_proxy, req);
                     });
  post.form = true;
  post.before_body = [behind_proxy](const Fields& headers) -> std::optional<Refusal> {
    if (auto refusal = check_form_type(headers)) return refusal;
    if (!same_site(headers, behind_proxy)) {
      return Refusal{403, "Reports are taken only from this site's own page."};
    }
    return std::nullopt;
  };
  server.add(std::move(post));

  server.add(route("GET", "/admin/reports", Lane::Workers, [&store, admin](const Request& req) {
    if (auto refused = not_admitted(req, admin)) return *refused;
    auto rows = store.by_typed(req.deadline);
    if (const auto* failure = std::get_if<StoreError>(&rows)) return store_failed(*failure);
    return page(200, admin_page(std::get<std::vector<Store::TypedSummary>>(rows)));
  }));
  server.add(route("GET", "/admin/export.txt", Lane::Workers, [&store, admin](const Request& req) {
    if (auto refused = not_admitted(req, admin)) return *refused;
    auto words = store.meant_words(req.deadline);
    if (const auto* failure = std::get_if<StoreError>(&words)) return store_failed(*failure);
    return Response{
        200, kText, seed_export(std::move(std::get<std::vector<Store::Spelling>>(words))), {}};
  }));
}

}  // namespace sorla::reports
