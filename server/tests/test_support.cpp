#include "test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "form_token.h"

namespace sorla::reports::testing {

namespace fs = std::filesystem;

int free_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

PostgresServer* PostgresServer::get() {
  static PostgresServer server;
  static const bool started = server.start();
  return started ? &server : nullptr;
}

bool PostgresServer::start() {
  // The newest PostgreSQL installed.
  std::error_code missing;
  for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", missing)) {
    const auto bin = version.path() / "bin";
    if (fs::exists(bin / "initdb") && bin.string() > bin_) bin_ = bin.string();
  }
  if (bin_.empty()) return false;
  dir_ = (fs::temp_directory_path() / ("sorla_pg_" + std::to_string(::getpid()))).string();
  const std::string data = dir_ + "/data";
  fs::remove_all(dir_);
  fs::create_directories(data);
  fs::permissions(data, fs::perms::owner_all);
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0 ||
        ::chown(data.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      return false;
    }
    as_user_ = "runuser -u nobody -- ";
  }
  port_ = free_port();
  if (run(bin_ + "/initdb -D " + data + " -U sorla -A trust -E UTF8 --no-locale --no-sync > " +
          dir_ + "/initdb.log") != 0) {
    return false;
  }
  started_ = run(bin_ + "/pg_ctl -D " + data + " -l " + dir_ + "/server.log -w -o '-p " +
                 std::to_string(port_) + " -k " + dir_ +
                 " -c listen_addresses=127.0.0.1' start > /dev/null") == 0;
  return started_;
}

int PostgresServer::run(const std::string& command) const {
  return std::system((as_user_ + "sh -c \"" + command + "\"").c_str());
}

PostgresServer::~PostgresServer() {
  if (started_) run(bin_ + "/pg_ctl -D " + dir_ + "/data -m immediate -w stop > /dev/null");
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string PostgresServer::new_database() {
  const std::string name = "reports" + std::to_string(++databases_);
  run(bin_ + "/createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U sorla " + name);
  return "postgres://sorla@127.0.0.1:" + std::to_string(port_) + "/" + name;
}

std::string new_store_url(const std::string& kind, const std::string& dir) {
  if (kind == "sqlite") return "sqlite:" + dir + "/reports.sqlite";
  PostgresServer* server = PostgresServer::get();
  return server != nullptr ? server->new_database() : "";
}

std::string typed_for(int n) {
  std::string out = "q";
  do {
    out += static_cast<char>('a' + n % 26);
    n /= 26;
  } while (n > 0);
  return out;
}

httplib::Params form(std::string typed, std::string meant, std::string note,
                     const std::string& secret) {
  const std::string token = FormTokens(secret).make(typed, std::time(nullptr));
  return {{"typed", std::move(typed)},
          {"offered", "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93"},
          {"platform", "windows"},
          {"app", "0.1.0"},
          {"data", "seed"},
          {"meant", std::move(meant)},
          {"note", std::move(note)},
          {"token", token}};
}

std::string link_request(const std::string& typed) {
  return "GET /report?typed=" + typed +
         "&offered=&platform=windows&app=0.1.0&data=seed HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

std::string form_request(const httplib::Params& fields, const std::string& extra) {
  const std::string body = httplib::detail::params_to_query_str(fields);
  return "POST /report HTTP/1.1\r\nHost: 127.0.0.1\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

}  // namespace sorla::reports::testing
