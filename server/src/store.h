// The reports, kept in a SQLite file or a PostgreSQL database: the same
// schema, migrations and queries for both. A few connections are shared by
// the service's threads; each call borrows one.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "database.h"
#include "report.h"

namespace sorla::reports {

class Store {
 public:
  // The store at `url` ("sqlite:PATH", made if missing, or "postgres://...")
  // brought up to the current schema; or why it cannot be opened.
  static std::variant<std::unique_ptr<Store>, std::string> open(const std::string& url);

  // Only open() makes one.
  class Key {
    friend class Store;
    Key() = default;
  };
  Store(Key, std::vector<std::unique_ptr<Database>> pool) : idle_(std::move(pool)) {}

  // Stores one checked report; false when the write failed.
  bool add(const Report& report);
  // How many reports are stored; -1 when the store cannot be read.
  long long count();

  // Reports grouped by what was typed, most reported first.
  struct TypedSummary {
    std::string typed;
    long long reports = 0, words_meant = 0;
    std::string first, last;  // UTC, ISO 8601
  };
  std::vector<TypedSummary> by_typed();

  // Each Khmer word users meant, with how often each spelling was reported
  // for it (letters folded to lower case).
  struct Spelling {
    std::string word, typed;
    long long reports = 0;
  };
  std::vector<Spelling> meant_words();

 private:
  class Borrowed;

  std::mutex lock_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<Database>> idle_;
};

}  // namespace sorla::reports
