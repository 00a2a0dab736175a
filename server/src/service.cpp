#include "service.h"

#include <openssl/crypto.h>
#include <sys/socket.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "export.h"
#include "form_token.h"
#include "html.h"
#include "rate_limit.h"

namespace sorla::reports {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
// Connections served at once. The library gives each open connection a
// thread of its own while it is kept alive; its default of 8 leaves a ninth
// browser waiting until one of them goes quiet.
constexpr std::size_t kWorkers = 64;
// The library listens with a queue of 5: a sixth connection arriving at
// the same moment was reset.
constexpr int kListenQueue = SOMAXCONN;

ReportKeys keys_of(const httplib::Request& req) {
  return {req.get_param_value("typed"), req.get_param_value("offered"),
          req.get_param_value("platform"), req.get_param_value("app"), req.get_param_value("data")};
}

void refuse(httplib::Response& res, const std::string& message) {
  res.status = 400;
  res.set_content(error_page(message), kHtml);
}

// Where a request came from, for the rate limit.
std::string sender(const httplib::Request& req, bool behind_proxy) {
  if (!behind_proxy) return req.remote_addr;
  const std::string forwarded = req.get_header_value("X-Forwarded-For");
  const auto comma = forwarded.rfind(',');
  const std::string last = forwarded.substr(comma == std::string::npos ? 0 : comma + 1);
  const auto first = last.find_first_not_of(' ');
  return first == std::string::npos ? req.remote_addr : last.substr(first);
}

// Compared in time that does not depend on where the strings differ.
bool same_secret(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

// Whether the admin pages answer this request; sets the refusal when not.
bool admitted(const httplib::Request& req, httplib::Response& res, const std::string& token) {
  if (token.empty()) {
    res.status = 404;
    return false;
  }
  const std::string given = req.get_header_value("Authorization");
  constexpr std::string_view kBearer = "Bearer ";
  if (given.rfind(kBearer, 0) != 0 || !same_secret(given.substr(kBearer.size()), token)) {
    res.status = 401;
    res.set_header("WWW-Authenticate", "Bearer");
    return false;
  }
  return true;
}

}  // namespace

ReportServer::ReportServer() {
  // The server owns and deletes the queue it is given.
  new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  // A response goes out in more than one write: without this, its last part
  // waits for the browser's delayed acknowledgement, 40 ms a request.
  set_tcp_nodelay(true);
}

bool ReportServer::bind(const std::string& host, int port) {
  // listen() again on a listening socket sets its queue anew.
  return bind_to_port(host, port) && ::listen(svr_sock_, kListenQueue) == 0;
}

int ReportServer::bind_any(const std::string& host) {
  const int port = bind_to_any_port(host);
  return port > 0 && ::listen(svr_sock_, kListenQueue) == 0 ? port : -1;
}

void add_routes(httplib::Server& server, Store& store, ServiceOptions options) {
  auto limiter = std::make_shared<RateLimiter>(options.rate_limit);
  auto tokens = std::make_shared<const FormTokens>(options.form_secret);
  const std::string token = options.admin_token;
  server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok\n", "text/plain");
  });

  server.Get("/report", [tokens](const httplib::Request& req, httplib::Response& res) {
    const ReportKeys keys = keys_of(req);
    if (const auto message = check_keys(keys)) return refuse(res, *message);
    res.set_content(report_page(keys, tokens->make(keys.typed, std::time(nullptr))), kHtml);
  });

  const bool behind_proxy = options.behind_proxy;
  server.Post("/report", [&store, limiter, tokens, behind_proxy](const httplib::Request& req,
                                                                 httplib::Response& res) {
    if (!limiter->allow(sender(req, behind_proxy))) {
      res.status = 429;
      res.set_content(error_page("Too many reports from here; please wait a minute."), kHtml);
      return;
    }
    const Report report{keys_of(req), req.get_param_value("meant"), req.get_param_value("note")};
    if (const auto message = check_report(report)) return refuse(res, *message);
    // Only a form this service showed (not one another site posts) reports.
    if (!tokens->valid(req.get_param_value("token"), report.keys.typed, std::time(nullptr))) {
      res.status = 403;
      res.set_content(error_page("This form has expired; please open the report link again."),
                      kHtml);
      return;
    }
    if (!store.add(report)) {
      res.status = 500;
      res.set_content(error_page("The report could not be stored; please try again."), kHtml);
      return;
    }
    res.set_content(thanks_page(), kHtml);
  });

  server.Get("/admin/reports",
             [&store, token](const httplib::Request& req, httplib::Response& res) {
               if (admitted(req, res, token)) res.set_content(admin_page(store.by_typed()), kHtml);
             });
  server.Get("/admin/export.txt",
             [&store, token](const httplib::Request& req, httplib::Response& res) {
               if (!admitted(req, res, token)) return;
               res.set_content(seed_export(store.meant_words()), "text/plain; charset=utf-8");
             });

  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    std::fprintf(stderr, "%s %s %d\n", req.method.c_str(), req.path.c_str(), res.status);
  });
}

}  // namespace sorla::reports
