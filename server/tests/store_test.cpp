// The store's migrations on a real SQLite file and a PostgreSQL database:
// reopening keeps what is stored, and a schema newer than this program's is
// refused rather than written to.
#include "store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "test_support.h"

namespace sorla::reports {
namespace {

namespace fs = std::filesystem;

class StoreOn : public ::testing::TestWithParam<std::string> {};

TEST_P(StoreOn, ReopeningKeepsReportsAndANewerSchemaIsRefused) {
  const fs::path dir = fs::temp_directory_path() / ("sorla_store_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string url = testing::new_store_url(GetParam(), dir.string());
  if (url.empty()) GTEST_SKIP() << "PostgreSQL is not installed";
  const Report report{{"ban", "", "windows", "0.1.0", "seed"}, "", ""};
  for (int open = 0; open < 2; ++open) {
    auto opened = Store::open(url);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Store>>(opened))
        << std::get<std::string>(opened);
    auto& store = *std::get<std::unique_ptr<Store>>(opened);
    EXPECT_EQ(store.count(), open);
    EXPECT_EQ(std::get<Store::Added>(store.add(report, "token" + std::to_string(open))),
              Store::Added::Stored);
  }
  auto db = std::move(std::get<std::unique_ptr<Database>>(connect(url)));
  ASSERT_TRUE(db->run("INSERT INTO schema_version (version) VALUES (99)"));
  const auto newer = Store::open(url);
  ASSERT_TRUE(std::holds_alternative<std::string>(newer));
  EXPECT_NE(std::get<std::string>(newer).find("newer"), std::string::npos);
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreOn, ::testing::Values("sqlite", "postgres"));

}  // namespace
}  // namespace sorla::reports
