// sorla_server_bench [OUT.json]: the report service under 16 concurrent
// local clients, each on a kept-alive connection: requests a second and
// latency percentiles of GET /report and POST /report, on a SQLite file and
// on a PostgreSQL database of its own (skipped when PostgreSQL is not
// installed). Then the built sorla-reports under attack: 300 clients
// trickling a request's head and 500 idle connections, from one address,
// from many, behind a proxy, and with connections short, while other
// clients are timed; and the memory it takes from clients sending
// compressed or oversize bodies and floods of headers. Prints tables and
// writes OUT.json (default bench/results/server-latest.json).
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "attack.h"
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

// The attacks' full sizes.
constexpr int kTricklers = 300, kIdle = 500;
constexpr auto kTrickleEvery = std::chrono::seconds(3);
constexpr auto kAttackRun = std::chrono::seconds(20);
constexpr int kTimedClients = 4;

struct Crowd {
  const char* name;
  std::vector<std::string> service_args;
  std::vector<std::string> from;
  bool forwarded;
};

// New connections, as new browsers would open them, asking for the page,
// posting a report and checking health in turn, while the crowd attacks.
Json attack_run(const Crowd& crowd, const std::string& dir) {
  std::vector<std::string> args = {"--db", "sqlite:" + dir + "/" + crowd.name + ".sqlite",
                                   "--rate-limit", "0"};
  args.insert(args.end(), crowd.service_args.begin(), crowd.service_args.end());
  testkit::ServiceProcess service(SORLA_REPORTS_EXE, args, dir + "/" + crowd.name + ".log");
  if (!service.running()) {
    std::fprintf(stderr, "%s: sorla-reports did not start\n", crowd.name);
    return {};
  }
  testkit::AttackPlan plan;
  plan.port = service.port();
  plan.tricklers = kTricklers;
  plan.idle = kIdle;
  plan.trickle_every = kTrickleEvery;
  plan.from = crowd.from;
  plan.forwarded = crowd.forwarded;
  const long rss_before = service.rss_kib();
  long rss_most = rss_before;
  std::vector<std::vector<double>> latencies(kTimedClients);
  std::atomic<int> failed{0}, open_most{0};
  long tricklers_closed = 0, idle_closed = 0;
  {
    const testkit::Attack attack(plan);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the crowd gathers
    const auto until = Clock::now() + kAttackRun;
    std::vector<std::thread> clients;
    for (int c = 0; c < kTimedClients; ++c) {
      clients.emplace_back([&, c] {
        for (int n = 0; Clock::now() < until; ++n) {
          httplib::Client client("127.0.0.1", service.port());
          client.set_read_timeout(10, 0);
          const auto sent = Clock::now();
          const auto res =
              n % 3 == 0 ? client.Get(kLink)
              : n % 3 == 1
                  ? client.Post("/report", testkit::form(testkit::typed_for(c * 1000000 + n), "",
                                                         "", "formkey"))
                  : client.Get("/healthz");
          latencies[c].push_back(micros_since(sent));
          if (!res || res->status != 200) ++failed;
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
      });
    }
    while (Clock::now() < until) {
      rss_most = std::max(rss_most, service.rss_kib());
      open_most = std::max(open_most.load(), attack.open());
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    for (auto& t : clients) t.join();
    tricklers_closed = attack.tricklers_closed();
    idle_closed = attack.idle_closed();
  }
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  const double p50 = percentile(all, 0.5), p99 = percentile(all, 0.99),
               most = *std::max_element(all.begin(), all.end());
  std::printf("%-22s %8zu %9.1f %9.1f %9.1f %7d %8d %9ld %9ld %8.1f\n", crowd.name, all.size(),
              p50 / 1000, p99 / 1000, most / 1000, failed.load(), open_most.load(),
              tricklers_closed, idle_closed, (rss_most - rss_before) / 1024.0);
  return Json()
      .num("requests", static_cast<double>(all.size()))
      .num("p50_ms", p50 / 1000)
      .num("p99_ms", p99 / 1000)
      .num("max_ms", most / 1000)
      .num("failed", failed.load())
      .num("attack_connections_open_most", open_most.load())
      .num("tricklers_closed", static_cast<double>(tricklers_closed))
      .num("idle_closed", static_cast<double>(idle_closed))
      .num("rss_growth_mib", (rss_most - rss_before) / 1024.0);
}

// Four clients at once for each kind: what the service's memory does.
Json memory_run(const std::string& dir) {
  testkit::ServiceProcess service(SORLA_REPORTS_EXE, {"--db", "sqlite:" + dir + "/memory.sqlite"},
                                  dir + "/memory.log");
  if (!service.running()) return {};
  const long before = service.rss_kib();
  long most = before;
  struct Kind {
    const char* name;
    std::string head;
    std::string filler;
    std::size_t bytes;
  };
  const std::string post =
      "POST /report HTTP/1.1\r\nHost: a\r\nContent-Type: application/x-www-form-urlencoded\r\n";
  const std::vector<Kind> kinds = {
      // A megabyte of gzip that would unpack to a gigabyte.
      {"gzip body", post + "Content-Encoding: gzip\r\nContent-Length: 1048576\r\n\r\n",
       std::string(64 * 1024, '\0'), 1 << 20},
      {"1 GB body", post + "Content-Length: 1073741824\r\n\r\n", std::string(64 * 1024, 'a'),
       std::size_t{1} << 30},
      // Hundreds of megabytes of headers.
      {"header flood", "GET /healthz HTTP/1.1\r\nHost: a\r\n",
       std::string(64 * 1024, 'h') + ": 1\r\n", std::size_t{256} << 20},
  };
  Json out;
  for (const Kind& kind : kinds) {
    std::vector<std::thread> clients;
    std::atomic<int> statuses{0};
    std::atomic<std::size_t> sent_total{0};
    for (int c = 0; c < 4; ++c) {
      clients.emplace_back([&] {
        const int fd = testkit::connect_from("127.0.0.1", service.port());
        std::size_t sent = 0;
        if (testkit::send_all(fd, kind.head)) {
          while (sent < kind.bytes && testkit::send_all(fd, kind.filler))
            sent += kind.filler.size();
        }
        sent_total += sent;
        statuses +=
            testkit::status_of(testkit::read_until_closed(fd, std::chrono::seconds(2))) != 0;
        ::close(fd);
      });
    }
    for (int i = 0; i < 8; ++i) {
      most = std::max(most, service.rss_kib());
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (auto& t : clients) t.join();
    most = std::max(most, service.rss_kib());
    std::printf(
        "%-14s 4 clients, %8.1f MiB sent before the service closed, answered %d, "
        "memory growth so far %6.1f MiB\n",
        kind.name, sent_total / 1048576.0, statuses.load(), (most - before) / 1024.0);
    out.obj(kind.name, Json()
                           .num("mib_sent", sent_total / 1048576.0)
                           .num("answered", statuses.load())
                           .num("rss_growth_mib", (most - before) / 1024.0));
  }
  return out;
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

  testkit::raise_file_limit();
  std::printf(
      "\nunder attack: %d trickling (a byte every %lld s) and %d idle connections, "
      "%d clients timed for %lld s\n%-22s %8s %9s %9s %9s %7s %8s %9s %9s %8s\n",
      kTricklers, static_cast<long long>(kTrickleEvery.count()), kIdle, kTimedClients,
      static_cast<long long>(kAttackRun.count()), "crowd", "requests", "p50 ms", "p99 ms", "max ms",
      "failed", "attackers", "trickle-x", "idle-x", "MiB");
  const std::vector<Crowd> crowds = {
      {"one address", {}, {"127.0.0.2"}, false},
      {"many addresses", {}, testkit::local_addresses(10, 400), false},
      {"behind a proxy", {"--behind-proxy"}, {"127.0.0.1"}, true},
      {"many, 512 connections",
       {"--max-connections", "512"},
       testkit::local_addresses(10, 400),
       false},
  };
  Json attacks;
  for (const Crowd& crowd : crowds) attacks.obj(crowd.name, attack_run(crowd, dir.string()));
  root.obj("attack", attacks);
  std::printf("\nmemory\n");
  root.obj("memory", memory_run(dir.string()));
  std::filesystem::remove_all(dir);
  std::ofstream(out) << root.text() << '\n';
  std::printf("wrote %s\n", out.c_str());
  return 0;
}
