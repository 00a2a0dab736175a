// The PostgreSQL connection, through libpq: statements with parameters sent
// apart from the SQL (PQexecParams), results read as text.
#include <libpq-fe.h>

#include "database.h"

namespace sorla::reports {
namespace {

struct Finish {
  void operator()(PGconn* c) const { PQfinish(c); }
};
struct Clear {
  void operator()(PGresult* r) const { PQclear(r); }
};

class PostgresDatabase final : public Database {
 public:
  explicit PostgresDatabase(PGconn* conn) : conn_(conn) {}

  std::optional<std::vector<Row>> run(std::string_view sql,
                                      std::span<const std::string> params) override {
    // A connection the database server dropped (a restart, say) is made
    // again before the statement, never after: a statement that failed
    // midway may have been done, and a report must not be stored twice.
    if (PQstatus(conn_.get()) != CONNECTION_OK) PQreset(conn_.get());
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    const std::string statement(sql);
    // Without parameters, a constant of this program: it may hold several
    // statements, which only PQexec runs.
    const std::unique_ptr<PGresult, Clear> result(
        values.empty()
            ? PQexec(conn_.get(), statement.c_str())
            : PQexecParams(conn_.get(), statement.c_str(), static_cast<int>(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) return std::nullopt;
    std::vector<Row> rows(static_cast<std::size_t>(PQntuples(result.get())));
    for (int r = 0; r < PQntuples(result.get()); ++r) {
      for (int c = 0; c < PQnfields(result.get()); ++c) {
        rows[r].emplace_back(PQgetvalue(result.get(), r, c), PQgetlength(result.get(), r, c));
      }
    }
    return rows;
  }
  std::string error() const override {
    std::string message = PQerrorMessage(conn_.get());
    while (!message.empty() && message.back() == '\n') message.pop_back();
    return message;
  }
  // Instances that start together migrate one after another.
  std::string_view begin_migration() const override {
    return "BEGIN; LOCK TABLE schema_version IN EXCLUSIVE MODE";
  }
  std::string_view row_key() const override {
    return "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY";
  }
  std::string_view integrity_check() const override { return {}; }

 private:
  std::unique_ptr<PGconn, Finish> conn_;
};

}  // namespace

std::variant<std::unique_ptr<Database>, std::string> connect_postgres(const std::string& url) {
  PGconn* conn = PQconnectdb(url.c_str());
  const bool connected = PQstatus(conn) == CONNECTION_OK;
  // Notices ("table already there, skipped") are not for the service's log.
  PQsetNoticeProcessor(
      conn, [](void*, const char*) {}, nullptr);
  auto db = std::make_unique<PostgresDatabase>(conn);
  if (connected) {
    // Reports are Khmer text; the connection speaks UTF-8 whatever the
    // server's default. No statement runs past a request's deadline.
    if (db->run("SET client_encoding = 'UTF8'; SET statement_timeout = '10s'", {})) return db;
  }
  return "cannot connect to PostgreSQL: " + db->error();
}

}  // namespace sorla::reports
