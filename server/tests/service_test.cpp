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
  void serve(ServiceOptions options, HttpLimits limits = {}) {
    server_.reset();
    server_ = std::make_unique<HttpServer>(limits);
    add_routes(*server_, *store_, std::move(options));
    server_->set_log([](const std::string&) {});
    port_ = server_->start("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
  }
  void TearDown() override {
    server_.reset();
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
  std::unique_ptr<HttpServer> server_;
  int port_ = 0;
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
  const auto at = page->body.find("name=\"token\" value=\"");
  ASSERT_NE(at, std::string::npos);
  const auto from = at + 20;
  const std::string token = page->body.substr(from, page->body.find('"', from) - from);
  EXPECT_TRUE(FormTokens("formkey").valid(token, "ban", std::time(nullptr))) << token;
}

TEST_P(Service, OnlyThisSitesPageMayPostAndEachFormOnce) {
  const auto post = [&](const httplib::Headers& headers, const httplib::Params& fields) {
    return client().Post("/report", headers, fields)->status;
  };
  const std::string host = "127.0.0.1:" + std::to_string(port_);
  // A page of another site, by what the browser says of it.
  EXPECT_EQ(post({{"Sec-Fetch-Site", "cross-site"}}, form("ban", "", "")), 403);
  EXPECT_EQ(post({{"Sec-Fetch-Site", "same-site"}}, form("ban", "", "")), 403);
  EXPECT_EQ(post({{"Origin", "https://evil.example"}}, form("ban", "", "")), 403);
  EXPECT_EQ(post({{"Origin", "null"}}, form("ban", "", "")), 403);
  EXPECT_EQ(store_->count(), 0);
  EXPECT_EQ(post({{"Origin", "http://" + host}}, form("ban", "", "")), 200);
  // One form, one report: sent again (a double click, a replay), nothing more is stored.
  const httplib::Params once = form("bay", "", "");
  EXPECT_EQ(post({{"Sec-Fetch-Site", "same-origin"}}, once), 200);
  EXPECT_EQ(post({{"Sec-Fetch-Site", "same-origin"}}, once), 409);
  EXPECT_EQ(store_->count(), 2);
}

TEST_P(Service, AFailedReadIsAnErrorNeverAnEmptyPage) {
  ASSERT_EQ(client().Post("/report", form("ban", kBan, ""))->status, 200);
  auto db = std::move(std::get<std::unique_ptr<Database>>(connect(url_)));
  ASSERT_TRUE(db->run("ALTER TABLE reports RENAME TO reports_gone"));
  const httplib::Headers admin{{"Authorization", "Bearer s3cret"}};
  for (const char* path : {"/admin/reports", "/admin/export.txt"}) {
    const auto res = client().Get(path, admin);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 500) << path;
    EXPECT_NE(res->body.find("could not be read"), std::string::npos) << res->body;
  }
  const auto health = client().Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 503);
  EXPECT_NE(health->body.find("reports"), std::string::npos)
      << health->body;  // the database's own words
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
  // A line of the sender's own before the proxy's changes nothing.
  httplib::Headers two_lines{{"X-Forwarded-For", "1.1.1.1"}, {"X-Forwarded-For", "203.0.113.9"}};
  EXPECT_EQ(client().Post("/report", two_lines, form("ban", "", ""))->status, 200);
  two_lines = {{"X-Forwarded-For", "2.2.2.2"}, {"X-Forwarded-For", "203.0.113.9"}};
  EXPECT_EQ(client().Post("/report", two_lines, form("ban", "", ""))->status, 429);
}

// 50 clients, each on a kept-alive connection as a browser's, post 20
// reports each with the limit off as for load: each is stored exactly once.
TEST_P(Service, ParallelClientsAreEachStoredOnce) {
  constexpr int kClients = 50, kEach = 20;
  HttpLimits limits;
  limits.per_address = 0;  // all from 127.0.0.1
  serve(ServiceOptions{0, "", "formkey"}, limits);
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
  const auto rows = std::get<std::vector<Store::TypedSummary>>(store_->by_typed());
  EXPECT_EQ(rows.size(), static_cast<std::size_t>(kClients * kEach));
  for (const auto& row : rows) EXPECT_EQ(row.reports, 1) << row.typed;
}

INSTANTIATE_TEST_SUITE_P(Stores, Service, ::testing::Values("sqlite", "postgres"));

}  // namespace
}  // namespace sorla::reports
