// sorla_server_bench [OUT.json]: the report service under 16 concurrent
// local clients, each on a kept-alive connection: requests a second and
// latency percentiles of GET /report and POST /report, on a SQLite file and
// on a PostgreSQL database of its own (skipped when PostgreSQL is not
// installed). Prints a table and writes OUT.json (default
// bench/results/server-latest.json).
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "harness.h"
#include "service.h"
#include "store.h"
#include "test_support.h"

namespace {

using namespace sorla;
using namespace sorla::bench;
namespace testkit = sorla::reports::testing;

constexpr int kClients = 16;
constexpr int kGetsEach = 400, kPostsEach = 150;

const char* kLink =
    "/report?typed=sa-ek%20b%27n&offered=%E1%9E%94%E1%9E%B6%E1%9E%93&platform=windows"
    "&app=0.1.0&data=seed";

struct Run {
  double per_second = 0, p50_us = 0, p99_us = 0;
  int failed = 0;
};

// Every client sends `each` requests made by `send`; a run of all of them.
template <typename Send>
Run measure(int port, int each, Send send) {
  std::vector<std::vector<double>> latencies(kClients);
  std::atomic<int> failed{0};
  std::vector<std::thread> clients;
  const auto start = Clock::now();
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);  // as browsers do
      for (int i = 0; i < each; ++i) {
        const auto sent = Clock::now();
        const auto res = send(client, c * each + i);
        latencies[c].push_back(micros_since(sent));
        if (!res || res->status != 200) ++failed;
      }
    });
  }
  for (auto& t : clients) t.join();
  const double seconds = micros_since(start) / 1e6;
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  return Run{static_cast<double>(all.size()) / seconds, percentile(all, 0.5), percentile(all, 0.99),
             failed.load()};
}

Json bench_store(const std::string& kind, const std::string& url) {
  auto opened = reports::Store::open(url);
  if (auto* error = std::get_if<std::string>(&opened)) {
    std::fprintf(stderr, "%s: %s\n", kind.c_str(), error->c_str());
    return {};
  }
  auto& store = *std::get<std::unique_ptr<reports::Store>>(opened);
  reports::HttpServer server;
  reports::add_routes(server, store, reports::ServiceOptions{0, "", "bench-key"});
  server.set_log([](const std::string&) {});
  const int port = server.start("127.0.0.1", 0);

  const Run get = measure(port, kGetsEach, [](httplib::Client& c, int) { return c.Get(kLink); });
  const Run post = measure(port, kPostsEach, [](httplib::Client& c, int n) {
    return c.Post("/report", testkit::form(testkit::typed_for(n), "", "", "bench-key"));
  });
  server.stop();

  for (const auto& [what, run] : {std::pair{"GET /report", get}, std::pair{"POST /report", post}}) {
    std::printf("%-10s %-13s %10.0f %10.0f %10.0f %7d\n", kind.c_str(), what, run.per_second,
                run.p50_us, run.p99_us, run.failed);
  }
  const auto json = [](const Run& r) {
    return Json()
        .num("requests_per_second", r.per_second)
        .num("p50_us", r.p50_us)
        .num("p99_us", r.p99_us)
        .num("failed", r.failed);
  };
  return Json().obj("get_report", json(get)).obj("post_report", json(post));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string out = argc > 1 ? argv[1] : "bench/results/server-latest.json";
  const auto dir = std::filesystem::temp_directory_path() / "sorla-server-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::printf("%s, %d clients\n%-10s %-13s %10s %10s %10s %7s\n", machine_name().c_str(), kClients,
              "store", "request", "per second", "p50 us", "p99 us", "failed");
  Json root;
  root.str("machine", machine_name()).num("clients", kClients);
  root.obj("sqlite", bench_store("sqlite", "sqlite:" + (dir / "reports.sqlite").string()));
  if (const std::string url = testkit::new_store_url("postgres", dir.string()); !url.empty()) {
    root.obj("postgres", bench_store("postgres", url));
  } else {
    std::printf("postgres: not installed, skipped\n");
  }
  std::filesystem::remove_all(dir);
  std::ofstream(out) << root.text() << '\n';
  std::printf("wrote %s\n", out.c_str());
  return 0;
}
