#include "database.h"

namespace sorla::reports {

std::variant<std::unique_ptr<Database>, std::string> connect_sqlite(const std::string& path);
std::variant<std::unique_ptr<Database>, std::string> connect_postgres(const std::string& url);

std::variant<std::unique_ptr<Database>, std::string> connect(const std::string& url) {
  if (url.rfind("sqlite:", 0) == 0) return connect_sqlite(url.substr(7));
  if (url.rfind("postgres://", 0) == 0 || url.rfind("postgresql://", 0) == 0) {
    return connect_postgres(url);
  }
  return "the store must be sqlite:PATH or postgres://...";
}

}  // namespace sorla::reports
