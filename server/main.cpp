// sorla-reports [--listen HOST:PORT] [--db sqlite:PATH | --db postgres://...]
// [--rate-limit N] [--max-connections N] [--max-per-address N]
// [--behind-proxy]: the report page's service. The maintainers' pages answer
// the bearer token in SORLA_ADMIN_TOKEN, and are off without it;
// SORLA_FORM_SECRET is the form tokens' key that instances share. Stops on
// SIGTERM or SIGINT after the requests in flight.
#include <sys/resource.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

#include "service.h"
#include "store.h"

namespace {

int usage(const char* why) {
  std::fprintf(stderr,
               "sorla-reports: %s\nusage: sorla-reports [--listen HOST:PORT] "
               "[--db sqlite:PATH | --db postgres://...] [--rate-limit PER_MINUTE] "
               "[--max-connections N] [--max-per-address N] [--behind-proxy]\n",
               why);
  return 2;
}

// A whole number from 0 to `most`, or -1.
int number(const std::string& text, int most) {
  int n = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() && n >= 0 && n <= most ? n : -1;
}

// Each connection is a descriptor: as many as the system lets this process
// have, with room for the database's and the log's. The connections
// allowed, fewer than asked when the system allows fewer.
std::size_t room_for(std::size_t connections) {
  constexpr rlim_t kOwn = 64;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return connections;
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);
  getrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= connections + kOwn) return connections;
  return files.rlim_cur > kOwn ? files.rlim_cur - kOwn : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Signals go to this thread alone, which stops the server; the server's
  // threads, all started later, never see them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  std::string listen = "127.0.0.1:8080", db = "sqlite:build/reports.sqlite", limit = "20",
              connections = "1024", per_address = "32";
  bool behind_proxy = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--behind-proxy") {
      behind_proxy = true;
    } else if (i + 1 < argc && (arg == "--listen" || arg == "--db" || arg == "--rate-limit" ||
                                arg == "--max-connections" || arg == "--max-per-address")) {
      (arg == "--listen"            ? listen
       : arg == "--db"              ? db
       : arg == "--rate-limit"      ? limit
       : arg == "--max-connections" ? connections
                                    : per_address) = argv[++i];
    } else {
      return usage(("unknown argument " + arg).c_str());
    }
  }
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos) return usage("--listen needs HOST:PORT");
  const std::string host = listen.substr(0, colon);
  const int port = number(listen.substr(colon + 1), 65535);
  if (port < 0) return usage("--listen needs HOST:PORT");
  if (number(limit, 1000000) < 0) return usage("--rate-limit needs a whole number");
  if (number(connections, 1000000) < 16) return usage("--max-connections needs 16 or more");
  if (number(per_address, 1000000) < 1) return usage("--max-per-address needs 1 or more");
  auto opened = sorla::reports::Store::open(db);
  if (const auto* error = std::get_if<std::string>(&opened)) {
    std::fprintf(stderr, "sorla-reports: %s\n", error->c_str());
    return 1;
  }
  auto& store = *std::get<std::unique_ptr<sorla::reports::Store>>(opened);

  sorla::reports::HttpLimits limits;
  limits.connections = room_for(static_cast<std::size_t>(number(connections, 1000000)));
  // Behind a proxy every connection is the proxy's.
  limits.per_address = behind_proxy ? 0 : static_cast<std::size_t>(number(per_address, 1000000));
  sorla::reports::ServiceOptions options;
  options.rate_limit = number(limit, 1000000);
  options.behind_proxy = behind_proxy;
  if (const char* token = std::getenv("SORLA_ADMIN_TOKEN")) options.admin_token = token;
  // Instances behind one load balancer share it, so any of them takes a form.
  if (const char* secret = std::getenv("SORLA_FORM_SECRET")) options.form_secret = secret;
  sorla::reports::HttpServer server(limits);
  sorla::reports::add_routes(server, store, options);
  if (server.start(host, port) < 0) {
    std::fprintf(stderr, "sorla-reports: cannot listen on %s\n", listen.c_str());
    return 1;
  }
  std::fprintf(stderr, "sorla-reports: listening on %s, at most %zu connections\n", listen.c_str(),
               limits.connections);
  int signal = 0;
  sigwait(&stop_signals, &signal);
  server.stop();
  return 0;
}
