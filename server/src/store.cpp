#include "store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>

namespace sorla::reports {
namespace {

// Applied in order, each in the transaction that records it; a database
// knows how far it has come from schema_version. "{key}" is the row key's
// column type, the one thing the two databases spell differently.
constexpr std::array<std::array<std::string_view, 2>, 2> kMigrations = {{
    {"CREATE TABLE reports (id {key}, received TEXT NOT NULL, typed TEXT NOT NULL,"
     " offered TEXT NOT NULL, meant TEXT NOT NULL, note TEXT NOT NULL,"
     " platform TEXT NOT NULL, app TEXT NOT NULL, data TEXT NOT NULL)",
     "CREATE INDEX reports_by_typed ON reports (typed)"},
    // The form token a report came with: each is good for one report.
    // Reports from before have none (NULLs never conflict).
    {"ALTER TABLE reports ADD COLUMN token TEXT",
     "CREATE UNIQUE INDEX reports_by_token ON reports (token)"},
}};

// Connections for writing and for reading. An SQLite file takes one write
// at a time anyway; its readers go beside the writer (WAL).
struct PoolSizes {
  std::size_t writers, readers;
};
constexpr PoolSizes kSqlite{1, 2};
constexpr PoolSizes kPostgres{8, 2};

std::string with_key(std::string_view sql, std::string_view key) {
  std::string out(sql);
  if (const auto at = out.find("{key}"); at != std::string::npos) out.replace(at, 5, key);
  return out;
}

long long number(const std::string& text) {
  long long n = 0;
  std::from_chars(text.data(), text.data() + text.size(), n);
  return n;
}

std::string now_utc() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string migrate(Database& db) {
  if (!db.run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)") ||
      !db.run(db.begin_migration())) {
    return db.error();
  }
  const auto have = db.run("SELECT count(*) FROM schema_version");
  bool ok = have.has_value();
  const auto done = ok ? static_cast<std::size_t>(number(have->at(0).at(0))) : 0;
  if (done > kMigrations.size()) {
    db.run("ROLLBACK");
    return "the store's schema is newer than this sorla-reports (version " + std::to_string(done) +
           "); run a newer one";
  }
  for (auto m = done; ok && m < kMigrations.size(); ++m) {
    for (const std::string_view statement : kMigrations[m]) {
      ok = ok && db.run(with_key(statement, db.row_key()));
    }
    const std::string version = std::to_string(m + 1);
    ok = ok && db.run("INSERT INTO schema_version (version) VALUES ($1)", std::span(&version, 1));
  }
  if (ok && db.run("COMMIT")) return {};
  std::string message = db.error();
  db.run("ROLLBACK");
  return message;
}

}  // namespace

// A connection taken from a pool for one call, given back when it ends;
// none when no connection came free before the deadline.
class Store::Borrowed {
 public:
  Borrowed(Pool& pool, Clock::time_point deadline) : pool_(pool) {
    std::unique_lock hold(pool.lock);
    if (!pool.returned.wait_until(hold, deadline, [&] { return !pool.idle.empty(); })) return;
    db_ = std::move(pool.idle.back());
    pool.idle.pop_back();
  }
  ~Borrowed() {
    if (!db_) return;
    {
      const std::lock_guard hold(pool_.lock);
      pool_.idle.push_back(std::move(db_));
    }
    pool_.returned.notify_one();
  }
  Borrowed(const Borrowed&) = delete;
  Borrowed& operator=(const Borrowed&) = delete;
  explicit operator bool() const { return db_ != nullptr; }
  Database* operator->() const { return db_.get(); }

 private:
  Pool& pool_;
  std::unique_ptr<Database> db_;
};

Store::Store(Key, std::vector<std::unique_ptr<Database>> writers,
             std::vector<std::unique_ptr<Database>> readers) {
  writers_.idle = std::move(writers);
  readers_.idle = std::move(readers);
}

std::variant<std::vector<Row>, StoreError> Store::rows(Pool& pool, Clock::time_point deadline,
                                                       std::string_view sql,
                                                       std::span<const std::string> params) {
  const Borrowed db(pool, deadline);
  if (!db) return StoreError{true, "the database is busy"};
  auto rows = db->run(sql, params);
  if (!rows) return StoreError{false, db->error()};
  return std::move(*rows);
}

std::variant<std::unique_ptr<Store>, std::string> Store::open(const std::string& url) {
  const PoolSizes sizes = url.rfind("sqlite:", 0) == 0 ? kSqlite : kPostgres;
  std::vector<std::unique_ptr<Database>> connections;
  for (std::size_t i = 0; i < sizes.writers + sizes.readers; ++i) {
    auto connected = connect(url);
    if (auto* error = std::get_if<std::string>(&connected)) return std::move(*error);
    connections.push_back(std::move(std::get<std::unique_ptr<Database>>(connected)));
  }
  Database& first = *connections.front();
  if (std::string error = migrate(first); !error.empty()) return error;
  if (const std::string_view check = first.integrity_check(); !check.empty()) {
    const auto rows = first.run(check);
    if (!rows) return "the store is damaged: " + first.error();
    if (rows->empty() || rows->front().empty() || rows->front().front() != "ok") {
      return "the store is damaged: " + (rows->empty() || rows->front().empty()
                                             ? std::string("no answer")
                                             : rows->front().front());
    }
  }
  std::vector<std::unique_ptr<Database>> readers;
  for (std::size_t i = 0; i < sizes.readers; ++i) {
    readers.push_back(std::move(connections.back()));
    connections.pop_back();
  }
  return std::make_unique<Store>(Key(), std::move(connections), std::move(readers));
}

std::variant<Store::Added, StoreError> Store::add(const Report& r, std::string_view token,
                                                  Clock::time_point deadline) {
  const std::string values[] = {now_utc(),  r.keys.typed, r.keys.offered,
                                r.meant,    r.note,       r.keys.platform,
                                r.keys.app, r.keys.data,  std::string(token)};
  // One statement: the report and its token are stored together or not at all.
  auto got = rows(writers_, deadline,
                  "INSERT INTO reports (received, typed, offered, meant, note, platform, app,"
                  " data, token) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)"
                  " ON CONFLICT (token) DO NOTHING RETURNING id",
                  values);
  if (auto* error = std::get_if<StoreError>(&got)) return std::move(*error);
  return std::get<std::vector<Row>>(got).empty() ? Added::TokenUsed : Added::Stored;
}

std::optional<StoreError> Store::check(Clock::time_point deadline) {
  auto got = rows(readers_, deadline, "SELECT max(id) FROM reports");
  if (auto* error = std::get_if<StoreError>(&got)) return std::move(*error);
  return std::nullopt;
}

long long Store::count() {
  const auto got = rows(readers_, Clock::now() + kDefaultWait, "SELECT count(*) FROM reports");
  const auto* counted = std::get_if<std::vector<Row>>(&got);
  return counted != nullptr ? number(counted->at(0).at(0)) : -1;
}

std::variant<std::vector<Store::TypedSummary>, StoreError> Store::by_typed(
    Clock::time_point deadline) {
  auto got =
      rows(readers_, deadline,
           "SELECT typed, count(*), count(DISTINCT NULLIF(meant, '')), min(received), max(received)"
           " FROM reports GROUP BY typed");
  if (auto* error = std::get_if<StoreError>(&got)) return std::move(*error);
  std::vector<TypedSummary> out;
  for (const Row& row : std::get<std::vector<Row>>(got)) {
    out.push_back({row[0], number(row[1]), number(row[2]), row[3], row[4]});
  }
  // Ordered here, byte by byte: the databases' collations differ.
  std::sort(out.begin(), out.end(), [](const TypedSummary& a, const TypedSummary& b) {
    return a.reports != b.reports ? a.reports > b.reports : a.typed < b.typed;
  });
  return out;
}

std::variant<std::vector<Store::Spelling>, StoreError> Store::meant_words(
    Clock::time_point deadline) {
  auto got = rows(readers_, deadline,
                  "SELECT meant, lower(typed), count(*) FROM reports WHERE meant != ''"
                  " GROUP BY meant, lower(typed)");
  if (auto* error = std::get_if<StoreError>(&got)) return std::move(*error);
  std::vector<Spelling> out;
  for (const Row& row : std::get<std::vector<Row>>(got)) {
    out.push_back({row[0], row[1], number(row[2])});
  }
  return out;
}

}  // namespace sorla::reports
