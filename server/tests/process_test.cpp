// The built sorla-reports program under load from parallel clients, stopped
// by SIGKILL or SIGTERM midway: every report it acknowledged is in the store
// afterwards, and SIGTERM ends it cleanly once the requests in flight are
// answered.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
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

#include "store.h"
#include "test_support.h"

extern char** environ;

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

  // Starts the program and waits until it answers.
  pid_t start(int port) {
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    std::vector<std::string> args = {SORLA_REPORTS_EXE, "--listen", listen, "--db", url_,
                                     "--rate-limit",    "0"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"SORLA_FORM_SECRET=formkey"};
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ / "log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    pid_t pid = 0;
    const int rc =
        posix_spawn(&pid, SORLA_REPORTS_EXE, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return 0;
    httplib::Client probe("127.0.0.1", port);
    for (int i = 0; i < 500; ++i) {
      if (auto res = probe.Get("/healthz"); res && res->status == 200) return pid;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return 0;
  }

  fs::path dir_;
  std::string url_;
};

TEST_P(Process, AcknowledgedReportsOutliveTheStop) {
  const int signal = std::get<1>(GetParam());
  const int port = testing::free_port();
  const pid_t pid = start(port);
  ASSERT_GT(pid, 0) << "sorla-reports did not start";

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
        } else {
          ++refused;
        }
      }
    });
  }
  while (acknowledged < 300) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ::kill(pid, signal);
  stopped = true;
  int status = 0;
  ::waitpid(pid, &status, 0);
  for (auto& t : clients) t.join();

  if (signal == SIGTERM) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(refused.load(), 0);  // every answer was a stored report
  auto opened = Store::open(url_);
  ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Store>>(opened));
  std::set<std::string> in_store;
  for (const auto& row : std::get<std::unique_ptr<Store>>(opened)->by_typed()) {
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
