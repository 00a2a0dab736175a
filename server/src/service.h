// The HTTP routes of the report service, over one store.
#pragma once

#include <string>

#include "http_server.h"
#include "store.h"

namespace sorla::reports {

struct ServiceOptions {
  int rate_limit = 20;      // reports a minute from one address; 0: none
  std::string admin_token;  // empty: the maintainers' pages are off (404)
  std::string form_secret;  // shared by instances; empty: one of this process's own
  // Behind a reverse proxy, the address a request came from is the last one
  // the proxy wrote into X-Forwarded-For; the connection's is the proxy's.
  bool behind_proxy = false;
};

// How long /healthz waits for the database before it answers 503.
inline constexpr std::chrono::seconds kHealthDeadline{2};

// GET /report (the confirmation page), POST /report (store, thank), GET
// /healthz (the store answers a read), and behind `Authorization: Bearer
// <admin_token>` GET /admin/reports and GET /admin/export.txt. A post is
// taken only from this site's own page, with a form token good for one
// report.
void add_routes(HttpServer& server, Store& store, ServiceOptions options = {});

}  // namespace sorla::reports
