// Reports kept in a SQLite file: one table, created or brought up to date
// by numbered migrations when the store opens; every statement prepared.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "report.h"

namespace sorla::reports {

class SqliteStore {
 public:
  // The store at `path`, made if missing; or why it cannot be opened.
  static std::variant<SqliteStore, std::string> open(const std::string& path);

  // Stores one checked report; false when the write failed.
  bool add(const Report& report);
  // How many reports are stored.
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
  struct Close {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
  };
  explicit SqliteStore(sqlite3* db);

  std::unique_ptr<sqlite3, Close> db_;
  std::unique_ptr<std::mutex> lock_;  // one writer at a time through this connection
};

}  // namespace sorla::reports
