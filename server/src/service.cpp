#include "service.h"

#include <cstdio>

#include "html.h"

namespace sorla::reports {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

ReportKeys keys_of(const httplib::Request& req) {
  return {req.get_param_value("typed"), req.get_param_value("offered"),
          req.get_param_value("platform"), req.get_param_value("app"), req.get_param_value("data")};
}

void refuse(httplib::Response& res, const std::string& message) {
  res.status = 400;
  res.set_content(error_page(message), kHtml);
}

}  // namespace

void add_routes(httplib::Server& server, SqliteStore& store) {
  server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok\n", "text/plain");
  });

  server.Get("/report", [](const httplib::Request& req, httplib::Response& res) {
    const ReportKeys keys = keys_of(req);
    if (const auto message = check_keys(keys)) return refuse(res, *message);
    res.set_content(report_page(keys), kHtml);
  });

  server.Post("/report", [&store](const httplib::Request& req, httplib::Response& res) {
    const Report report{keys_of(req), req.get_param_value("meant"), req.get_param_value("note")};
    if (const auto message = check_report(report)) return refuse(res, *message);
    if (!store.add(report)) {
      res.status = 500;
      res.set_content(error_page("The report could not be stored; please try again."), kHtml);
      return;
    }
    res.set_content(thanks_page(), kHtml);
  });

  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    std::fprintf(stderr, "%s %s %d\n", req.method.c_str(), req.path.c_str(), res.status);
  });
}

}  // namespace sorla::reports
