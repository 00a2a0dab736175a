// What the tests of the user's files start from: APPDATA pointed at a fresh
// scratch folder for each test, and an engine on the seed words.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "sorla/engine.h"
#include "test_support.h"

namespace sorla::testing {

inline Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

class UserFilesTest : public ::testing::Test {
 protected:
  TempDir appdata;
  ScopedEnv env{L"APPDATA", appdata.path().wstring()};
  std::filesystem::path folder = appdata.path() / "Sorla";  // where the files go
  Engine engine = seed_engine();
};

}  // namespace sorla::testing
