// The reports, kept in a SQLite file or a PostgreSQL database: the same
// schema, migrations and queries for both. The service's threads share a
// few connections, one pool for writing and one for reading, so a read (the
// health check, the maintainers' pages) never queues behind the writes; no
// call waits for a connection beyond the deadline it is given.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "database.h"
#include "report.h"

namespace sorla::reports {

// Why a call to the store gave nothing: no connection came free before
// the deadline (`busy`), or the database refused or failed the statement.
struct StoreError {
  bool busy = false;
  std::string message;
};

class Store {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kDefaultWait{30};

  // The store at `url` ("sqlite:PATH", made if missing, or "postgres://...")
  // brought up to the current schema and, for SQLite, found whole by its
  // quick_check; or why it cannot be opened.
  static std::variant<std::unique_ptr<Store>, std::string> open(const std::string& url);

  // Only open() makes one.
  class Key {
    friend class Store;
    Key() = default;
  };
  Store(Key, std::vector<std::unique_ptr<Database>> writers,
        std::vector<std::unique_ptr<Database>> readers);

  enum class Added { Stored, TokenUsed };
  // Stores one checked report under its form token, unless a report already
  // came with that token.
  std::variant<Added, StoreError> add(const Report& report, std::string_view token,
                                      Clock::time_point deadline = Clock::now() + kDefaultWait);
  // A cheap read that touches the reports: whether the store answers.
  std::optional<StoreError> check(Clock::time_point deadline = Clock::now() + kDefaultWait);
  // How many reports are stored; -1 when the store cannot be read.
  long long count();

  // Reports grouped by what was typed, most reported first.
  struct TypedSummary {
    std::string typed;
    long long reports = 0, words_meant = 0;
    std::string first, last;  // UTC, ISO 8601
  };
  std::variant<std::vector<TypedSummary>, StoreError> by_typed(
      Clock::time_point deadline = Clock::now() + kDefaultWait);

  // Each Khmer word users meant, with how often each spelling was reported
  // for it (letters folded to lower case).
  struct Spelling {
    std::string word, typed;
    long long reports = 0;
  };
  std::variant<std::vector<Spelling>, StoreError> meant_words(
      Clock::time_point deadline = Clock::now() + kDefaultWait);

 private:
  struct Pool {
    std::mutex lock;
    std::condition_variable returned;
    std::vector<std::unique_ptr<Database>> idle;
  };
  class Borrowed;
  // The rows of `sql` on a connection of `pool`, or why there are none.
  static std::variant<std::vector<Row>, StoreError> rows(Pool& pool, Clock::time_point deadline,
                                                         std::string_view sql,
                                                         std::span<const std::string> params = {});

  Pool writers_, readers_;
};

}  // namespace sorla::reports
