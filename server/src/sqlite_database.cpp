// The SQLite connection: a file in WAL mode that syncs every commit, so an
// acknowledged report survives a crash of the service.
#include <sqlite3.h>

#include "database.h"

namespace sorla::reports {
namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

class SqliteDatabase final : public Database {
 public:
  explicit SqliteDatabase(sqlite3* db) : db_(db) {}

  std::optional<std::vector<Row>> run(std::string_view sql,
                                      std::span<const std::string> params) override {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK) {
      return std::nullopt;
    }
    const std::unique_ptr<sqlite3_stmt, Finalize> s(raw);
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (sqlite3_bind_text(raw, static_cast<int>(i + 1), params[i].data(),
                            static_cast<int>(params[i].size()), SQLITE_STATIC) != SQLITE_OK) {
        return std::nullopt;
      }
    }
    std::vector<Row> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
      Row& row = rows.emplace_back();
      for (int c = 0; c < sqlite3_column_count(raw); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
        row.emplace_back(text != nullptr ? text : "", sqlite3_column_bytes(raw, c));
      }
    }
    if (rc != SQLITE_DONE) return std::nullopt;
    return rows;
  }
  std::string error() const override { return sqlite3_errmsg(db_.get()); }
  std::string_view begin_migration() const override { return "BEGIN IMMEDIATE"; }
  std::string_view row_key() const override { return "INTEGER PRIMARY KEY"; }
  std::string_view integrity_check() const override { return "PRAGMA quick_check"; }

 private:
  std::unique_ptr<sqlite3, CloseDb> db_;
};

}  // namespace

std::variant<std::unique_ptr<Database>, std::string> connect_sqlite(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  auto db = std::make_unique<SqliteDatabase>(raw);
  if (rc != SQLITE_OK) return "cannot open " + path + ": " + sqlite3_errstr(rc);
  // A write waits this long for another process's; within a request's deadline.
  sqlite3_busy_timeout(raw, 2000);
  // Readers do not block the writer; a commit is on disk when it returns.
  for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
    if (!db->run(pragma, {})) return path + ": " + db->error();
  }
  return db;
}

}  // namespace sorla::reports
