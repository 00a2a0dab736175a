// One connection to the database that keeps the reports, as the store uses
// it: statements with text parameters ($1, $2, ...) that give rows of text.
// SQLite and PostgreSQL each have their own, behind this one interface.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorla::reports {

using Row = std::vector<std::string>;  // NULL reads as ""

class Database {
 public:
  virtual ~Database() = default;
  // The statement's rows, or nullopt when it failed (why: error()).
  virtual std::optional<std::vector<Row>> run(std::string_view sql,
                                              std::span<const std::string> params = {}) = 0;
  virtual std::string error() const = 0;
  // Opens the transaction that migrates, holding off every other
  // connection that would migrate at the same time.
  virtual std::string_view begin_migration() const = 0;
  // The column type of a key that numbers rows by itself.
  virtual std::string_view row_key() const = 0;
  // A statement that checks the database's pages at start-up and answers
  // "ok"; empty where the database keeps its own pages whole.
  virtual std::string_view integrity_check() const = 0;
};

// A connection for "sqlite:PATH" or "postgres://..." / "postgresql://...",
// or why there is none.
std::variant<std::unique_ptr<Database>, std::string> connect(const std::string& url);

}  // namespace sorla::reports
