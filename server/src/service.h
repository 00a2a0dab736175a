// The HTTP routes of the report service, over one store.
#pragma once

#include <httplib.h>

#include "sqlite_store.h"

namespace sorla::reports {

// GET /report (the confirmation page), POST /report (store, thank), GET
// /healthz; one log line per request, without its query or body.
void add_routes(httplib::Server& server, SqliteStore& store);

}  // namespace sorla::reports
