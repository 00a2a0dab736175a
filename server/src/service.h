// The HTTP routes of the report service, over one store.
#pragma once

#include <httplib.h>

#include <string>

#include "sqlite_store.h"

namespace sorla::reports {

struct ServiceOptions {
  int rate_limit = 20;      // reports a minute from one address; 0: none
  std::string admin_token;  // empty: the maintainers' pages are off (404)
  std::string form_secret;  // shared by instances; empty: one of this process's own
};

// GET /report (the confirmation page), POST /report (store, thank), GET
// /healthz, and behind `Authorization: Bearer <admin_token>` GET
// /admin/reports and GET /admin/export.txt. One log line per request,
// without its query or body.
void add_routes(httplib::Server& server, SqliteStore& store, ServiceOptions options = {});

}  // namespace sorla::reports
