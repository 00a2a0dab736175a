// The built sorla-reports attacked as a client on the internet would: bodies
// compressed or too large, floods of headers, smuggling tricks, slow and
// idle connections from one address and from many, forged log lines, a
// damaged database. Sizes are modest here; `make bench-server` runs the
// same attacks at full size and measures.
#include "attack.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "store.h"
#include "test_support.h"

namespace sorla::reports {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::closed_within;
using testing::connect_from;
using testing::read_until_closed;
using testing::send_all;
using testing::status_of;

class Attacked : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sorla_attack_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    service_.reset();
    fs::remove_all(dir_);
  }
  void start(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--db", "sqlite:" + (dir_ / "reports.sqlite").string()});
    service_ = std::make_unique<testing::ServiceProcess>(SORLA_REPORTS_EXE, args, log_path());
    ASSERT_TRUE(service_->running()) << log();
  }
  std::string log_path() const { return (dir_ / "log").string(); }
  std::string log() const {
    std::stringstream text;
    text << std::ifstream(log_path()).rdbuf();
    return text.str();
  }
  // The answer to `request` sent whole from `from`, read until the server closes.
  std::string ask(const std::string& request, const std::string& from = "127.0.0.1") {
    const int fd = connect_from(from, service_->port());
    EXPECT_GE(fd, 0);
    send_all(fd, request);
    std::string answer = read_until_closed(fd, 3s);
    ::close(fd);
    return answer;
  }
  // Sends `head`, then `filler` over and over up to `most` bytes, reading as
  // it goes: what the server answered before it closed.
  std::string flood(const std::string& head, std::string_view filler, std::size_t most) {
    const int fd = connect_from("127.0.0.1", service_->port());
    EXPECT_GE(fd, 0);
    std::string answer;
    char buffer[4096];
    bool sending = send_all(fd, head);
    for (std::size_t sent = 0; sending && sent < most && answer.empty(); sent += filler.size()) {
      sending = send_all(fd, filler);
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
    }
    answer += read_until_closed(fd, 3s);
    ::close(fd);
    return answer;
  }
  int get_link(httplib::Client& client) {
    const auto res = client.Get("/report?typed=ban&offered=&platform=windows&app=0.1.0&data=seed");
    return res ? res->status : 0;
  }

  fs::path dir_;
  std::unique_ptr<testing::ServiceProcess> service_;
};

std::string post_head(const std::string& extra) {
  return "POST /report HTTP/1.1\r\nHost: 127.0.0.1\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n" +
         extra + "\r\n";
}

TEST_F(Attacked, BodiesAreRefusedFromTheHeadAloneAndPipelinedRequestsAnswered) {
  start();
  const long before = service_->rss_kib();
  // Four clients at once with a megabyte each that is never read.
  const std::string megabyte(1 << 20, 'z');
  std::vector<std::thread> clients;
  std::atomic<int> refused{0};
  for (const char* head :
       {"Content-Encoding: gzip\r\nContent-Length: 1048576\r\n",
        "Content-Encoding: deflate\r\nContent-Length: 1048576\r\n",
        "Content-Length: 1000000000\r\n", "Content-Length: 99999999999999\r\n"}) {
    clients.emplace_back([&, head] {
      const std::string answer = flood(post_head(head), megabyte, 1 << 20);
      refused += status_of(answer) ==
                 (std::string(head).find("Encoding") != std::string::npos ? 415 : 413);
    });
  }
  for (auto& c : clients) c.join();
  EXPECT_EQ(refused.load(), 4) << log();
  EXPECT_LT(service_->rss_kib() - before, 64 * 1024);

  // Two ways to frame one body, or two lengths: refused, never guessed at.
  EXPECT_EQ(status_of(ask(post_head("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n") +
                          "0\r\n\r\n")),
            400);
  EXPECT_EQ(status_of(ask(post_head("Content-Length: 5\r\nContent-Length: 50\r\n") + "a=b&c")),
            400);
  EXPECT_EQ(status_of(ask(post_head("Transfer-Encoding: chunked\r\n") + "3\r\na=b\r\n0\r\n\r\n")),
            411);
  EXPECT_EQ(status_of(ask("POST /report HTTP/1.1\r\nHost: a\r\nContent-Type: text/plain\r\n"
                          "Content-Length: 3\r\n\r\na=b")),
            415);

  // Requests sent one after another without waiting are each answered.
  const std::string two = testing::link_request("ban") + testing::link_request("bay");
  const std::string answers =
      ask(two.substr(0, two.size() - 4) + "\r\nConnection: close\r\n\r\n");  // the 2nd closes
  EXPECT_EQ(status_of(answers), 200);
  EXPECT_NE(answers.find("HTTP/1.1 200", 12), std::string::npos) << answers.substr(0, 200);
}

TEST_F(Attacked, HeadersAreBoundedInSizeAndNumber) {
  start();
  const long before = service_->rss_kib();
  std::vector<std::thread> clients;
  std::atomic<int> refused{0};
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&] {
      // Up to 100 000 header lines, as long as the server listens.
      const std::string answer =
          flood("GET /healthz HTTP/1.1\r\nHost: a\r\n", "X-Flood: 1234567\r\n", 100000 * 18);
      refused += status_of(answer) == 431;
    });
  }
  for (auto& c : clients) c.join();
  EXPECT_EQ(refused.load(), 4);
  EXPECT_LT(service_->rss_kib() - before, 64 * 1024);
  // Too many lines though each is short, or one long line.
  std::string many = "GET /healthz HTTP/1.1\r\nHost: a\r\n";
  for (int i = 0; i < 100; ++i) many += "X-" + std::to_string(i) + ": 1\r\n";
  EXPECT_EQ(status_of(ask(many + "\r\n")), 431);
  EXPECT_EQ(status_of(ask("GET /healthz HTTP/1.1\r\nHost: a\r\nX-Long: " + std::string(9000, 'a') +
                          "\r\n\r\n")),
            431);
}

TEST_F(Attacked, ConnectionsFromOneAddressAreLimited) {
  start({"--max-per-address", "8"});
  // Each held connection is answered before the next opens: the two network
  // threads accept in parallel, and which of nine racing connections is
  // refused is the server's choice.
  std::vector<int> held;
  for (int i = 0; i < 8; ++i) {
    held.push_back(connect_from("127.0.0.9", service_->port()));
    send_all(held.back(), testing::link_request("ban"));
    char buffer[256];
    ASSERT_GT(::recv(held.back(), buffer, sizeof buffer, 0), 0);
    // The rest of the page read and dropped, so that a later look at the
    // connection sees its close rather than what is left of the page.
    ASSERT_FALSE(closed_within(held.back(), 100ms));
  }
  const int ninth = connect_from("127.0.0.9", service_->port());
  EXPECT_TRUE(closed_within(ninth, 2s));
  for (const int fd : held) EXPECT_FALSE(closed_within(fd, 0ms));
  // Another address is served meanwhile.
  EXPECT_EQ(status_of(ask(testing::link_request("ban"), "127.0.0.10").substr(0, 12)), 200);
  for (const int fd : held) ::close(fd);
  ::close(ninth);
}

// When connections run short, the ones waiting longest for a request make
// room; newer ones, and new clients, are served.
TEST_F(Attacked, IdleConnectionsMakeRoomForNewClients) {
  start({"--max-connections", "32"});
  const auto began = std::chrono::steady_clock::now();
  std::vector<int> older, newer;
  const auto idle = [&](std::vector<int>& into, int n, int first) {
    for (const auto& from : testing::local_addresses(first, n)) {
      const int fd = connect_from(from, service_->port());
      send_all(fd, testing::link_request("ban"));
      char buffer[16384];
      ::recv(fd, buffer, sizeof buffer, 0);  // the page: then the connection is idle
      into.push_back(fd);
    }
  };
  idle(older, 24, 10);
  idle(newer, 4, 40);
  int answered = 0;
  for (int i = 0; i < 8; ++i) {
    httplib::Client client("127.0.0.1", service_->port());
    answered += get_link(client) == 200;
  }
  EXPECT_EQ(answered, 8);
  int older_closed = 0;
  for (const int fd : older) older_closed += closed_within(fd, 100ms);
  EXPECT_GT(older_closed, 0);
  // Past the deadline for a request every idle connection goes anyway:
  // only when this ran well within it does it tell which went first.
  if (std::chrono::steady_clock::now() - began < 4s) {
    for (const int fd : newer) EXPECT_FALSE(closed_within(fd, 0ms));
  }
  for (const int fd : older) ::close(fd);
  for (const int fd : newer) ::close(fd);
}

struct Crowd {
  const char* name;
  bool many_addresses;
  bool behind_proxy;
};

class UnderAttack : public Attacked, public ::testing::WithParamInterface<Crowd> {};

// Slow clients trickling a request's head and idle ones holding connections
// open: each is closed at its deadline, and everyone else is answered.
TEST_P(UnderAttack, SlowAndIdleClientsAreClosedAndOthersAnswered) {
  const Crowd crowd = GetParam();
  start(crowd.behind_proxy ? std::vector<std::string>{"--behind-proxy", "--rate-limit", "0"}
                           : std::vector<std::string>{"--rate-limit", "0"});
  testing::AttackPlan plan;
  plan.port = service_->port();
  plan.tricklers = 60;
  plan.idle = 100;
  plan.trickle_every = 500ms;
  // Behind a proxy every connection comes from it (127.0.0.1 here).
  if (crowd.behind_proxy) plan.from = {"127.0.0.1"};
  if (crowd.many_addresses) plan.from = testing::local_addresses(10, 200);
  plan.forwarded = crowd.behind_proxy;
  int asked = 0, answered = 0;
  {
    const testing::Attack attack(plan);
    const auto until = std::chrono::steady_clock::now() + 6s;  // past the 5 s for a head
    for (int n = 0; std::chrono::steady_clock::now() < until; ++n) {
      httplib::Client client("127.0.0.1", service_->port());
      client.set_read_timeout(5, 0);
      const auto res =
          n % 2 == 0
              ? client.Get("/healthz")
              : client.Post("/report", testing::form(testing::typed_for(n), "", "", "formkey"));
      ++asked;
      answered += res && res->status == 200;
      std::this_thread::sleep_for(50ms);
    }
    EXPECT_GE(attack.tricklers_closed(), plan.tricklers) << "every trickler past its deadline";
    EXPECT_GT(attack.idle_closed(), 0);
  }
  EXPECT_EQ(answered, asked) << log().substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(Crowds, UnderAttack,
                         ::testing::Values(Crowd{"OneAddress", false, false},
                                           Crowd{"ManyAddresses", true, false},
                                           Crowd{"BehindAProxy", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Attacked, TheLogHasOneEscapedLinePerRequest) {
  start();
  ask("GET /report%0d%0aGET%20/admin%20200 HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
  ask("GET /x\x1b[31mred\x07 HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
  service_->stop(SIGTERM);
  const std::string text = log();
  for (const char c : text) {
    ASSERT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)) << int(c);
  }
  EXPECT_NE(text.find("GET /report%0d%0aGET%20/admin%20200 404\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\nGET /admin"), std::string::npos);
  EXPECT_NE(text.find("/x\\x1b[31mred\\x07"), std::string::npos) << text;
}

TEST_F(Attacked, HealthAnswersUnderWriteLoad) {
  start({"--rate-limit", "0"});
  std::atomic<bool> stop{false};
  std::vector<std::thread> writers;
  for (int w = 0; w < 16; ++w) {
    writers.emplace_back([&, w] {
      httplib::Client client("127.0.0.1", service_->port());
      for (int n = 0; !stop; ++n) {
        client.Post("/report",
                    testing::form(testing::typed_for(w * 100000 + n), "", "", "formkey"));
      }
    });
  }
  int healthy = 0;
  for (int i = 0; i < 20; ++i) {
    httplib::Client client("127.0.0.1", service_->port());
    const auto res = client.Get("/healthz");
    healthy += res && res->status == 200;
  }
  stop = true;
  for (auto& w : writers) w.join();
  EXPECT_EQ(healthy, 20);
}

// The files may grow only so far (as on a full disk): a report that cannot
// be written is a 500, and the pages that only read go on.
TEST_F(Attacked, AFullDiskRefusesReportsWith500) {
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  const rlimit small{64 * 1024, before.rlim_max};
  // The program inherits the limit, and ignores the signal for going past it.
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  start({"--rate-limit", "0"});
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  httplib::Client client("127.0.0.1", service_->port());
  int status = 200;
  for (int n = 0; n < 500 && status == 200; ++n) {
    const auto res = client.Post(
        "/report", testing::form(testing::typed_for(n), "", std::string(400, 'n'), "formkey"));
    status = res ? res->status : 0;
  }
  EXPECT_EQ(status, 500);
  EXPECT_EQ(get_link(client), 200);
  EXPECT_EQ(client.Get("/healthz")->status, 200);
}

TEST_F(Attacked, ADamagedStoreIsRefusedAtStart) {
  const std::string path = (dir_ / "reports.sqlite").string();
  {
    auto opened = Store::open("sqlite:" + path);
    auto& store = *std::get<std::unique_ptr<Store>>(opened);
    const Report report{{"ban", "", "windows", "0.1.0", "seed"}, "", std::string(400, 'n')};
    for (int i = 0; i < 200; ++i) store.add(report, testing::typed_for(i));
  }
  // Garbage over pages of the reports, as a failing disk leaves them.
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(8 * 4096);
  const std::string garbage(3 * 4096, '\x55');
  file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  file.close();
  service_ = std::make_unique<testing::ServiceProcess>(
      SORLA_REPORTS_EXE, std::vector<std::string>{"--db", "sqlite:" + path}, log_path());
  EXPECT_FALSE(service_->running());
  EXPECT_TRUE(WIFEXITED(service_->early_status()) && WEXITSTATUS(service_->early_status()) == 1);
  EXPECT_NE(log().find("damaged"), std::string::npos) << log();
}

}  // namespace
}  // namespace sorla::reports
