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
constexpr std::array<std::array<std::string_view, 2>, 1> kMigrations = {{
    {"CREATE TABLE reports (id {key}, received TEXT NOT NULL, typed TEXT NOT NULL,"
     " offered TEXT NOT NULL, meant TEXT NOT NULL, note TEXT NOT NULL,"
     " platform TEXT NOT NULL, app TEXT NOT NULL, data TEXT NOT NULL)",
     "CREATE INDEX reports_by_typed ON reports (typed)"},
}};

// The connections of an SQLite file: its writes take turns anyway.
constexpr std::size_t kSqliteConnections = 1;
constexpr std::size_t kPostgresConnections = 8;

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

// A connection taken from the pool for one call, given back when it ends.
class Store::Borrowed {
 public:
  explicit Borrowed(Store& store) : store_(store) {
    std::unique_lock hold(store.lock_);
    store.returned_.wait(hold, [&] { return !store.idle_.empty(); });
    db_ = std::move(store.idle_.back());
    store.idle_.pop_back();
  }
  ~Borrowed() {
    {
      const std::lock_guard hold(store_.lock_);
      store_.idle_.push_back(std::move(db_));
    }
    store_.returned_.notify_one();
  }
  Borrowed(const Borrowed&) = delete;
  Borrowed& operator=(const Borrowed&) = delete;
  Database* operator->() const { return db_.get(); }

 private:
  Store& store_;
  std::unique_ptr<Database> db_;
};

std::variant<std::unique_ptr<Store>, std::string> Store::open(const std::string& url) {
  const std::size_t size = url.rfind("sqlite:", 0) == 0 ? kSqliteConnections : kPostgresConnections;
  std::vector<std::unique_ptr<Database>> pool;
  for (std::size_t i = 0; i < size; ++i) {
    auto connected = connect(url);
    if (auto* error = std::get_if<std::string>(&connected)) return std::move(*error);
    pool.push_back(std::move(std::get<std::unique_ptr<Database>>(connected)));
  }
  if (std::string error = migrate(*pool.front()); !error.empty()) return error;
  return std::make_unique<Store>(Key(), std::move(pool));
}

bool Store::add(const Report& r) {
  const std::string values[] = {now_utc(), r.keys.typed,    r.keys.offered, r.meant,
                                r.note,    r.keys.platform, r.keys.app,     r.keys.data};
  return Borrowed(*this)
      ->run(
          "INSERT INTO reports (received, typed, offered, meant, note, platform, app, data)"
          " VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
          values)
      .has_value();
}

long long Store::count() {
  const auto rows = Borrowed(*this)->run("SELECT count(*) FROM reports");
  return rows ? number(rows->at(0).at(0)) : -1;
}

std::vector<Store::TypedSummary> Store::by_typed() {
  std::vector<TypedSummary> out;
  const auto rows = Borrowed(*this)->run(
      "SELECT typed, count(*), count(DISTINCT NULLIF(meant, '')), min(received), max(received)"
      " FROM reports GROUP BY typed");
  for (const Row& row : rows.value_or(std::vector<Row>{})) {
    out.push_back({row[0], number(row[1]), number(row[2]), row[3], row[4]});
  }
  // Ordered here, byte by byte: the databases' collations differ.
  std::sort(out.begin(), out.end(), [](const TypedSummary& a, const TypedSummary& b) {
    return a.reports != b.reports ? a.reports > b.reports : a.typed < b.typed;
  });
  return out;
}

std::vector<Store::Spelling> Store::meant_words() {
  std::vector<Spelling> out;
  const auto rows = Borrowed(*this)->run(
      "SELECT meant, lower(typed), count(*) FROM reports WHERE meant != ''"
      " GROUP BY meant, lower(typed)");
  for (const Row& row : rows.value_or(std::vector<Row>{})) {
    out.push_back({row[0], row[1], number(row[2])});
  }
  return out;
}

}  // namespace sorla::reports
