// The HTTP routes of the report service, over one store.
#pragma once

#include <httplib.h>

#include <string>

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

// The library's server with what a public service needs beyond its
// defaults: a thread for each of 64 connections at once, and a listen queue
// as long as the system allows. Stops on stop() after the requests in flight.
class ReportServer : public httplib::Server {
 public:
  ReportServer();
  bool bind(const std::string& host, int port);
  // Binds a free port; the port, or -1.
  int bind_any(const std::string& host);
};

// GET /report (the confirmation page), POST /report (store, thank), GET
// /healthz, and behind `Authorization: Bearer <admin_token>` GET
// /admin/reports and GET /admin/export.txt. One log line per request,
// without its query or body.
void add_routes(httplib::Server& server, Store& store, ServiceOptions options = {});

}  // namespace sorla::reports
