// What the service's tests share: free local ports, a PostgreSQL server of
// their own, and the form a confirmation page posts.
#pragma once

#include <httplib.h>

#include <string>

namespace sorla::reports::testing {

// A TCP port on 127.0.0.1 that nothing listens on just now.
int free_port();

// A PostgreSQL server started for this test program (initdb and pg_ctl in a
// temporary folder, on a free local port, as the user nobody when run as
// root, which PostgreSQL refuses), stopped when the program ends. Null when
// PostgreSQL's programs are not installed.
class PostgresServer {
 public:
  static PostgresServer* get();
  // The URL of a new, empty database on it.
  std::string new_database();

  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;
  ~PostgresServer();

 private:
  PostgresServer() = default;
  bool start();
  int run(const std::string& command) const;

  std::string bin_, dir_, as_user_;
  int port_ = 0, databases_ = 0;
  bool started_ = false;
};

// A new store's URL of the kind named ("sqlite" in `dir`, or "postgres"); ""
// when that kind cannot be had here.
std::string new_store_url(const std::string& kind, const std::string& dir);

// Chat-spelling letters that name n: a typed text of its own for each report.
std::string typed_for(int n);

// The fields a confirmation page posts for these values, with a form token
// made with `secret`.
httplib::Params form(std::string typed, std::string meant, std::string note,
                     const std::string& secret);

// Raw requests, for clients that write their own bytes: the link's page for
// `typed`, and a post of `fields` as a form with `extra` header lines (each
// ending in CRLF).
std::string link_request(const std::string& typed);
std::string form_request(const httplib::Params& fields, const std::string& extra = "");

}  // namespace sorla::reports::testing
