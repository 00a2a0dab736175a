// The built sorla-reports program under load from parallel clients, stopped
// by SIGKILL or SIGTERM midway: every report it acknowledged is in the store
// afterwards, and SIGTERM ends it cleanly once the requests in flight are
// answered.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "attack.h"
#include "store.h"
#include "test_support.h"

namespace sorla::reports {
namespace {

namespace fs = std::filesystem;

class Process : public ::testing::TestWithParam<std::tuple<std::string, int>> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sorla_process_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    url_ = testing::new_store_url(std::get<0>(GetParam()), dir_.string());
    if (url_.empty()) GTEST_SKIP() << "PostgreSQL is not installed";
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  std::string url_;
};

TEST_P(Process, AcknowledgedReportsOutliveTheStop) {
  const int signal = std::get<1>(GetParam());
  testing::ServiceProcess service(SORLA_REPORTS_EXE, {"--db", url_, "--rate-limit", "0"},
                                  (dir_ / "log").string());
  ASSERT_TRUE(service.running()) << "sorla-reports did not start";
  const int port = service.port();

  constexpr int kClients = 8;
  std::atomic<int> next{0}, acknowledged{0}, refused{0};
  std::atomic<bool> stopped{false};
  std::mutex lock;
  std::vector<std::string> stored;  // acknowledged with 200
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&] {
      httplib::Client cli("127.0.0.1", port);
      // Until the program is gone: after the stop, a request is refused.
      for (int failures = 0; failures < 3;) {
        const std::string typed = testing::typed_for(next++);
        const auto res = cli.Post("/report", testing::form(typed, "", "", "formkey"));
        if (!res) {
          failures += stopped ? 1 : 0;
          continue;
        }
        if (res->status == 200) {
          ++acknowledged;
          const std::lock_guard hold(lock);
          stored.push_back(typed);
        } else if (res->status == 503 && stopped) {
          ++failures;  // stopping: "please try again"
        } else {
          ++refused;
        }
      }
    });
  }
  while (acknowledged < 300) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stopped = true;
  const int status = service.stop(signal);
  for (auto& t : clients) t.join();

  if (signal == SIGTERM) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(refused.load(), 0);  // every answer was a stored report, or the stop's 503
  auto opened = Store::open(url_);
  ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Store>>(opened));
  std::set<std::string> in_store;
  const auto rows = std::get<std::unique_ptr<Store>>(opened)->by_typed();
  ASSERT_TRUE(std::holds_alternative<std::vector<Store::TypedSummary>>(rows));
  for (const auto& row : std::get<std::vector<Store::TypedSummary>>(rows)) {
    EXPECT_EQ(row.reports, 1) << row.typed;
    in_store.insert(row.typed);
  }
  for (const auto& typed : stored) EXPECT_TRUE(in_store.contains(typed)) << typed;
}

INSTANTIATE_TEST_SUITE_P(StoresAndSignals, Process,
                         ::testing::Combine(::testing::Values("sqlite", "postgres"),
                                            ::testing::Values(SIGKILL, SIGTERM)));

}  // namespace
}  // namespace sorla::reports
