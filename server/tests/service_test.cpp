// The service over a real store, a SQLite file and a PostgreSQL database
// started for the test, served on a local port and asked with an HTTP
// client, as a browser would.
#include "service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "form_token.h"
#include "test_support.h"

namespace sorla::reports {
namespace {

namespace fs = std::filesystem;

const std::string kBan = "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93";

class Service : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sorla_reports_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    url_ = testing::new_store_url(GetParam(), dir_.string());
    if (url_.empty()) GTEST_SKIP() << "PostgreSQL is not installed";
    auto opened = Store::open(url_);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Store>>(opened))
        << std::get<std::string>(opened);
    store_ = std::move(std::get<std::unique_ptr<Store>>(opened));
    serve(ServiceOptions{5, "s3cret", "formkey"});
  }
  void serve(ServiceOptions options) {
    if (server_) {
      server_->stop();
      thread_.join();
    }
    server_ = std::make_unique<ReportServer>();
    add_routes(*server_, *store_, std::move(options));
    server_->set_logger([](const httplib::Request&, const httplib::Response&) {});
    port_ = server_->bind_any("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::yield();
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    store_.reset();
    fs::remove_all(dir_);
  }
  httplib::Client client() const { return httplib::Client("127.0.0.1", port_); }
  static httplib::Params form(std::string typed, std::string meant, std::string note) {
    return testing::form(std::move(typed), std::move(meant), std::move(note), "formkey");
  }

  fs::path dir_;
  std::string url_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<ReportServer> server_;
  int port_ = 0;
  std::thread thread_;
};

TEST_P(Service, TheLinkShowsItsKeysAndAPostIsStored) {
  // The link the text service builds for "sa-ek b'n" offering បាន.
  auto page = client().Get(
      "/report?typed=sa-ek%20b%27n&offered=%E1%9E%94%E1%9E%B6%E1%9E%93"
      "&platform=windows&app=0.1.0&data=seed");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("sa-ek b&#39;n"), std::string::npos);
  EXPECT_NE(page->body.find(kBan), std::string::npos);

  auto posted = client().Post("/report", form("ban", "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x99", ""));
  ASSERT_TRUE(posted);
  EXPECT_EQ(posted->status, 200);
  EXPECT_EQ(store_->count(), 1);
  EXPECT_EQ(client().Get("/healthz")->status, 200);
}

TEST_P(Service, ACrossSitePostWithoutTheTokenIsRefused) {
  httplib::Params forged = form("ban", "", "");
  forged.erase("token");
  EXPECT_EQ(client().Post("/report", forged)->status, 403);
  forged.emplace("token", FormTokens("other key").make("ban", std::time(nullptr)));
  EXPECT_EQ(client().Post("/report", forged)->status, 403);
  EXPECT_EQ(store_->count(), 0);
  // The page hands out the token its form posts back.
  const auto page = client().Get("/report?typed=ban&offered=&platform=windows&app=0.1.0&data=seed");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find(FormTokens("formkey").make("ban", std::time(nullptr))),
            std::string::npos);
}

TEST_P(Service, HostileInputIsRefusedOrEscaped) {
  for (const auto& bad :
       {form("<script>", "", ""), form("ban", "<b>", ""), form("ban", "", std::string(501, 'n')),
        form("ban", "", "\xC0\xAF"), form("ban", "", std::string("a\0b", 3))}) {
    const auto res = client().Post("/report", bad);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
  }
  EXPECT_EQ(store_->count(), 0);
  const auto page = client().Get("/report?typed=%3Cscript%3E&offered=&platform=w&app=1&data=s");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 400);
  // The link's tags may hold any printable ASCII; the page echoes them escaped.
  const auto tags = client().Get(
      "/report?typed=ban&offered=&platform=%22%3E%3Cscript%3E&app=%27onload=x&data=%3C/b%3E");
  ASSERT_TRUE(tags);
  EXPECT_EQ(tags->status, 200);
  for (const char* raw : {"\"><script>", "'onload", "</b>"}) {
    EXPECT_EQ(tags->body.find(raw), std::string::npos) << raw;
  }
  EXPECT_NE(tags->body.find("&quot;&gt;&lt;script&gt;"), std::string::npos);
}

TEST_P(Service, MaintainersSeeReportsAndExportBehindTheirToken) {
  const std::string bay = "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x99";
  ASSERT_EQ(client().Post("/report", form("bay", bay, "<i>"))->status, 200);
  ASSERT_EQ(client().Post("/report", form("Bai", bay, ""))->status, 200);
  ASSERT_EQ(client().Post("/report", form("<x", "", ""))->status, 400);
  EXPECT_EQ(client().Post("/report", form("bai", "", ""))->status, 200);
  EXPECT_EQ(client().Post("/report", form("bai", "", ""))->status, 200);
  EXPECT_EQ(client().Post("/report", form("bai", "", ""))->status, 429);  // 5 a minute here

  EXPECT_EQ(client().Get("/admin/export.txt")->status, 401);
  EXPECT_EQ(client().Get("/admin/reports", {{"Authorization", "Bearer wrong!"}})->status, 401);
  const httplib::Headers admin{{"Authorization", "Bearer s3cret"}};
  const auto exported = client().Get("/admin/export.txt", admin);
  ASSERT_TRUE(exported);
  EXPECT_EQ(exported->status, 200);
  EXPECT_NE(exported->body.find(bay + "\tbai bay\n"), std::string::npos) << exported->body;
  const auto reports = client().Get("/admin/reports", admin);
  ASSERT_TRUE(reports);
  EXPECT_NE(reports->body.find("<td>bai</td><td>2</td>"), std::string::npos);
}

TEST_P(Service, BehindAProxyTheLimitKeysOnTheAddressTheProxyForwarded) {
  ServiceOptions options{2, "", "formkey"};
  options.behind_proxy = true;
  serve(options);
  const auto post = [&](const char* forwarded) {
    return client().Post("/report", {{"X-Forwarded-For", forwarded}}, form("ban", "", ""))->status;
  };
  // The proxy appends the address it saw; what comes before is the sender's
  // own claim, and counts for nothing.
  EXPECT_EQ(post("1.1.1.1, 203.0.113.5"), 200);
  EXPECT_EQ(post("2.2.2.2, 203.0.113.5"), 200);
  EXPECT_EQ(post("203.0.113.5"), 429);
  EXPECT_EQ(post("203.0.113.9"), 200);
}

// 50 clients, each on a kept-alive connection as a browser's, post 20
// reports each with the limit off as for load: each is stored exactly once.
TEST_P(Service, ParallelClientsAreEachStoredOnce) {
  constexpr int kClients = 50, kEach = 20;
  serve(ServiceOptions{0, "", "formkey"});
  std::vector<std::thread> clients;
  std::atomic<int> ok{0};
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      auto cli = client();
      cli.set_keep_alive(true);
      for (int i = 0; i < kEach; ++i) {
        const std::string typed = testing::typed_for(c * kEach + i);
        if (auto res = cli.Post("/report", form(typed, "", "")); res && res->status == 200) ++ok;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(ok.load(), kClients * kEach);
  const auto rows = store_->by_typed();
  EXPECT_EQ(rows.size(), static_cast<std::size_t>(kClients * kEach));
  for (const auto& row : rows) EXPECT_EQ(row.reports, 1) << row.typed;
}

INSTANTIATE_TEST_SUITE_P(Stores, Service, ::testing::Values("sqlite", "postgres"));

}  // namespace
}  // namespace sorla::reports
