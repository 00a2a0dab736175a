// The service over a real SQLite file, served on a local port and asked
// with an HTTP client, as a browser would.
#include "service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "form_token.h"

namespace sorla::reports {
namespace {

namespace fs = std::filesystem;

const std::string kBan = "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93";

class Service : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sorla_reports_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    auto opened = SqliteStore::open((dir_ / "reports.sqlite").string());
    ASSERT_TRUE(std::holds_alternative<SqliteStore>(opened)) << std::get<std::string>(opened);
    store_.emplace(std::move(std::get<SqliteStore>(opened)));
    add_routes(server_, *store_, ServiceOptions{5, "s3cret", "formkey"});
    server_.set_logger([](const httplib::Request&, const httplib::Response&) {});
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  void TearDown() override {
    server_.stop();
    if (thread_.joinable()) thread_.join();
    store_.reset();
    fs::remove_all(dir_);
  }
  httplib::Client client() const { return httplib::Client("127.0.0.1", port_); }
  // What the confirmation page posts, with the token it carries.
  static httplib::Params form(std::string typed, std::string meant, std::string note) {
    const std::string token = FormTokens("formkey").make(typed, std::time(nullptr));
    return {{"typed", std::move(typed)},
            {"offered", kBan},
            {"platform", "windows"},
            {"app", "0.1.0"},
            {"data", "seed"},
            {"meant", std::move(meant)},
            {"note", std::move(note)},
            {"token", token}};
  }

  fs::path dir_;
  std::optional<SqliteStore> store_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(Service, TheLinkShowsItsKeysAndAPostIsStored) {
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

TEST_F(Service, ACrossSitePostWithoutTheTokenIsRefused) {
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

TEST_F(Service, HostileInputIsRefusedOrEscaped) {
  for (const auto& bad : {form("<script>", "", ""), form("ban", "<b>", ""),
                          form("ban", "", std::string(501, 'n')), form("ban", "", "\xC0\xAF")}) {
    const auto res = client().Post("/report", bad);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
  }
  EXPECT_EQ(store_->count(), 0);
  const auto page = client().Get("/report?typed=%3Cscript%3E&offered=&platform=w&app=1&data=s");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 400);
}

TEST_F(Service, MaintainersSeeReportsAndExportBehindTheirToken) {
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

TEST_F(Service, ParallelClientsAreEachStoredOnce) {
  constexpr int kClients = 8, kEach = 10;
  server_.stop();
  thread_.join();
  // The limit off, as for load: one address, many reports.
  httplib::Server unlimited;
  add_routes(unlimited, *store_, ServiceOptions{0, "", "formkey"});
  unlimited.set_logger([](const httplib::Request&, const httplib::Response&) {});
  port_ = unlimited.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([&] { unlimited.listen_after_bind(); });
  while (!unlimited.is_running()) std::this_thread::yield();
  std::vector<std::thread> clients;
  std::atomic<int> ok{0};
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&] {
      auto cli = client();
      for (int i = 0; i < kEach; ++i) {
        if (auto res = cli.Post("/report", form("ban", "", "")); res && res->status == 200) ++ok;
      }
    });
  }
  for (auto& t : clients) t.join();
  unlimited.stop();
  thread_.join();
  EXPECT_EQ(ok.load(), kClients * kEach);
  EXPECT_EQ(store_->count(), kClients * kEach);
}

}  // namespace
}  // namespace sorla::reports
