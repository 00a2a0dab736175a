#include "sqlite_store.h"

#include <array>
#include <string_view>

namespace sorla::reports {
namespace {

// Applied in order; the database remembers how many it has (user_version).
constexpr std::array<std::string_view, 1> kMigrations = {
    "CREATE TABLE reports ("
    " id INTEGER PRIMARY KEY,"
    " received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')),"
    " typed TEXT NOT NULL, offered TEXT NOT NULL, meant TEXT NOT NULL, note TEXT NOT NULL,"
    " platform TEXT NOT NULL, app TEXT NOT NULL, data TEXT NOT NULL);"
    "CREATE INDEX reports_by_typed ON reports (typed);",
};

struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement prepare(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &s, nullptr);
  return Statement(s);
}

bool bind(sqlite3_stmt* s, int at, std::string_view text) {
  return sqlite3_bind_text(s, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
         SQLITE_OK;
}

std::string migrate(sqlite3* db) {
  const Statement version = prepare(db, "PRAGMA user_version");
  if (!version || sqlite3_step(version.get()) != SQLITE_ROW) return sqlite3_errmsg(db);
  const auto have = static_cast<std::size_t>(sqlite3_column_int(version.get(), 0));
  for (std::size_t m = have; m < kMigrations.size(); ++m) {
    const std::string sql = "BEGIN;" + std::string(kMigrations[m]) +
                            "PRAGMA user_version = " + std::to_string(m + 1) + ";COMMIT;";
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error != nullptr ? error : "migration failed";
      sqlite3_free(error);
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      return message;
    }
  }
  return {};
}

}  // namespace

SqliteStore::SqliteStore(sqlite3* db) : db_(db), lock_(std::make_unique<std::mutex>()) {}

std::variant<SqliteStore, std::string> SqliteStore::open(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &raw,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  SqliteStore store(raw);
  if (rc != SQLITE_OK) return "cannot open " + path + ": " + sqlite3_errstr(rc);
  // Acknowledged reports survive a crash of the service; readers do not
  // block the writer.
  sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
  sqlite3_busy_timeout(raw, 5000);
  if (std::string error = migrate(raw); !error.empty()) return path + ": " + error;
  return store;
}

bool SqliteStore::add(const Report& r) {
  const std::lock_guard guard(*lock_);
  const Statement s = prepare(db_.get(),
                              "INSERT INTO reports (typed, offered, meant, note, platform, app, "
                              "data) VALUES (?, ?, ?, ?, ?, ?, ?)");
  if (!s) return false;
  const std::string_view values[] = {r.keys.typed,    r.keys.offered, r.meant,    r.note,
                                     r.keys.platform, r.keys.app,     r.keys.data};
  for (int i = 0; i < 7; ++i) {
    if (!bind(s.get(), i + 1, values[i])) return false;
  }
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

long long SqliteStore::count() {
  const std::lock_guard guard(*lock_);
  const Statement s = prepare(db_.get(), "SELECT count(*) FROM reports");
  if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return -1;
  return sqlite3_column_int64(s.get(), 0);
}

std::vector<SqliteStore::TypedSummary> SqliteStore::by_typed() {
  const std::lock_guard guard(*lock_);
  std::vector<TypedSummary> rows;
  const Statement s = prepare(db_.get(),
                              "SELECT typed, count(*), count(DISTINCT NULLIF(meant, '')), "
                              "min(received), max(received) FROM reports GROUP BY typed "
                              "ORDER BY count(*) DESC, typed");
  while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
    rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)),
                    sqlite3_column_int64(s.get(), 1), sqlite3_column_int64(s.get(), 2),
                    reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 3)),
                    reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 4))});
  }
  return rows;
}

std::vector<SqliteStore::Spelling> SqliteStore::meant_words() {
  const std::lock_guard guard(*lock_);
  std::vector<Spelling> rows;
  const Statement s = prepare(db_.get(),
                              "SELECT meant, lower(typed), count(*) FROM reports WHERE meant != '' "
                              "GROUP BY meant, lower(typed)");
  while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
    rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)),
                    reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1)),
                    sqlite3_column_int64(s.get(), 2)});
  }
  return rows;
}

}  // namespace sorla::reports
