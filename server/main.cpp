// sorla-reports [--listen HOST:PORT] [--db sqlite:PATH | --db postgres://...]
// [--rate-limit N] [--behind-proxy]: the report page's service. The maintainers' pages answer the
// bearer token in SORLA_ADMIN_TOKEN, and are off without it; SORLA_FORM_SECRET is the form tokens'
// key that instances share. Stops on SIGTERM or SIGINT after the requests in flight.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <variant>

#include "service.h"
#include "store.h"

namespace {

int usage(const char* why) {
  std::fprintf(stderr,
               "sorla-reports: %s\nusage: sorla-reports [--listen HOST:PORT] "
               "[--db sqlite:PATH | --db postgres://...] [--rate-limit PER_MINUTE] "
               "[--behind-proxy]\n",
               why);
  return 2;
}

// A whole number from 0 to `most`, or -1.
int number(const std::string& text, int most) {
  int n = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() && n >= 0 && n <= most ? n : -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string listen = "127.0.0.1:8080", db = "sqlite:build/reports.sqlite", limit = "20";
  bool behind_proxy = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--behind-proxy") {
      behind_proxy = true;
    } else if ((arg == "--listen" || arg == "--db" || arg == "--rate-limit") && i + 1 < argc) {
      (arg == "--listen" ? listen : arg == "--db" ? db : limit) = argv[++i];
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
  auto opened = sorla::reports::Store::open(db);
  if (const auto* error = std::get_if<std::string>(&opened)) {
    std::fprintf(stderr, "sorla-reports: %s\n", error->c_str());
    return 1;
  }
  auto& store = *std::get<std::unique_ptr<sorla::reports::Store>>(opened);

  // Signals go to one thread that stops the server; the others never see them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  sorla::reports::ServiceOptions options;
  options.rate_limit = number(limit, 1000000);
  options.behind_proxy = behind_proxy;
  if (const char* token = std::getenv("SORLA_ADMIN_TOKEN")) options.admin_token = token;
  // Instances behind one load balancer share it, so any of them takes a form.
  if (const char* secret = std::getenv("SORLA_FORM_SECRET")) options.form_secret = secret;
  sorla::reports::ReportServer server;
  sorla::reports::add_routes(server, store, options);
  if (!server.bind(host, port)) {
    std::fprintf(stderr, "sorla-reports: cannot listen on %s\n", listen.c_str());
    return 1;
  }
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.stop();
  });
  std::fprintf(stderr, "sorla-reports: listening on %s\n", listen.c_str());
  server.listen_after_bind();
  pthread_kill(stopper.native_handle(), SIGTERM);  // wakes it if the server stopped by itself
  stopper.join();
  return 0;
}
