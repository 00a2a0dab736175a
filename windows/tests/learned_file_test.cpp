#include "learned_file/learned_file.h"

#include <gtest/gtest.h>
#include <windows.h>
// Windows headers must come first.
#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "learned_file/app_access.h"
#include "learned_file/learned_path.h"
#include "learned_file/sandbox_storage.h"
#include "learned_file/save_lock.h"
#include "sorla/engine.h"
#include "test_support.h"
#include "user_files_test.h"

namespace sorla::learned_file {
namespace {

namespace fs = std::filesystem;
using Result = SaveOutcome::Result;
using sorla::testing::ScopedEnv;
using sorla::testing::seed_engine;
using sorla::testing::TempDir;

constexpr std::string_view kVersion2 = R"({"format":"sorla-learned","version":2,"picks":[]})";

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class LearnedFileTest : public sorla::testing::UserFilesTest {
 protected:
  fs::path target = folder / "learned.json";
  LearnedFile file;

  void learn_one(std::string_view typed = "ban") { engine.learn(typed, "បាន", std::nullopt); }
  bool unsaved() const { return !engine.learned().unsaved().empty(); }
  // The picks the file holds now.
  LearnedStore saved() {
    auto result = LearnedStore::import_json(read_file(target));
    EXPECT_TRUE(std::holds_alternative<LearnedStore>(result)) << "not importable";
    return std::holds_alternative<LearnedStore>(result) ? std::get<LearnedStore>(result)
                                                        : LearnedStore{};
  }
};

TEST_F(LearnedFileTest, FirstDirtySaveCreatesFolderAndLeavesNoPartial) {
  load_learned(file, engine);  // nothing there yet
  EXPECT_EQ(save_learned(file, engine).result, Result::NotDirty);
  EXPECT_FALSE(fs::exists(folder));

  learn_one();
  EXPECT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_FALSE(unsaved());
  EXPECT_EQ(read_file(target), engine.export_learned());
  // Neither the temporary file nor the lock stays behind.
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});

  // The next activation reads the picks back.
  Engine next = seed_engine();
  LearnedFile next_file;
  load_learned(next_file, next);
  EXPECT_EQ(next.learned(), engine.learned());
  EXPECT_EQ(save_learned(next_file, next).result, Result::NotDirty);
}

TEST_F(LearnedFileTest, UnimportableFileIsKeptAsideAndReplaced) {
  fs::create_directories(folder);
  write_file(target, kVersion2);
  write_file(unreadable_path(target), "an older copy");
  load_learned(file, engine);
  EXPECT_EQ(engine.learned().size(), 0u);

  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  const std::string bytes = read_file(target);
  EXPECT_EQ(bytes, engine.export_learned());
  EXPECT_NE(bytes.find(R"("version":1)"), std::string::npos);
  EXPECT_EQ(read_file(unreadable_path(target)), kVersion2);

  // Kept once: the next save merges with our own file and leaves the copy.
  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_EQ(read_file(unreadable_path(target)), kVersion2);
  EXPECT_EQ(engine.learned().entries().at({"ban", "បាន", std::nullopt}), 2u);
  EXPECT_EQ(names_in(folder),
            (std::vector<std::string>{"learned.json", "learned.json.unreadable"}));

  // A file that turns bad after the load is kept aside by the save that finds it.
  write_file(target, "{\"format\":");
  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_EQ(read_file(unreadable_path(target)), "{\"format\":");
  EXPECT_EQ(saved().entries().at({"ban", "បាន", std::nullopt}), 1u);
}

TEST_F(LearnedFileTest, OversizedFileIsNotReadAndIsKept) {
  fs::create_directories(folder);
  {
    // A file one byte over the limit, made by extending rather than writing.
    HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(kMaxLearnedFileBytes + 1);
    EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
  }
  learn_one();
  load_learned(file, engine);  // not read: the picks stay
  EXPECT_EQ(engine.learned().size(), 1u);

  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_EQ(fs::file_size(unreadable_path(target)), kMaxLearnedFileBytes + 1);
  EXPECT_EQ(read_file(target), engine.export_learned());
}

TEST_F(LearnedFileTest, FailedFolderCreationKeepsPicksDirty) {
  write_file(folder, "a file where the folder belongs");
  learn_one();
  EXPECT_NE(save_learned(file, engine).result, Result::Saved);
  EXPECT_TRUE(unsaved());
}

// A file that is there but cannot be read now is neither merged over nor
// kept aside: the save waits for a later chance.
TEST_F(LearnedFileTest, FileThatCannotBeReadNowIsLeftAlone) {
  fs::create_directories(target);  // a folder where the file belongs
  learn_one();
  EXPECT_EQ(save_learned(file, engine).result, Result::Failed);
  EXPECT_TRUE(unsaved());
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});

  fs::remove(target);
  EXPECT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_FALSE(unsaved());
  EXPECT_EQ(saved().entries().at({"ban", "បាន", std::nullopt}), 1u);
}

TEST_F(LearnedFileTest, FailedMoveKeepsPicksDirtyAndRemovesPartial) {
  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  learn_one();
  {
    // Another program holds the file open without letting it be replaced.
    const HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FileStorage storage(target, file.lock_wait);
    const SaveOutcome failed = sorla::save_learned(storage, engine);
    CloseHandle(h);
    EXPECT_EQ(failed.result, Result::Failed);
    EXPECT_TRUE(unsaved());
    ASSERT_TRUE(storage.partial());
    EXPECT_FALSE(fs::exists(*storage.partial()));
  }
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});
  EXPECT_EQ(saved().entries().at({"ban", "បាន", std::nullopt}), 1u);

  // The failed save left the engine as it was: the pick goes out once.
  EXPECT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_EQ(saved().entries().at({"ban", "បាន", std::nullopt}), 2u);
}

TEST_F(LearnedFileTest, HeldLockKeepsPicksDirtyForTheNextSave) {
  learn_one();
  file.lock_wait = std::chrono::milliseconds(30);
  fs::create_directories(folder);
  {
    // Another process is in the middle of its save.
    const auto held = SaveLock::acquire(lock_path(target), std::chrono::milliseconds(0));
    ASSERT_TRUE(held);
    EXPECT_FALSE(SaveLock::acquire(lock_path(target), std::chrono::milliseconds(0)));
    EXPECT_EQ(save_learned(file, engine, SaveMoment::FocusChange).result, Result::Busy);
    EXPECT_EQ(save_learned(file, engine).result, Result::Busy);
    EXPECT_TRUE(unsaved());
    EXPECT_FALSE(fs::exists(target));
  }
  EXPECT_EQ(save_learned(file, engine).result, Result::Saved);
  EXPECT_EQ(saved().entries().at({"ban", "បាន", std::nullopt}), 1u);
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});
}

// Inside a Store app's sandbox the service neither reads nor writes the
// user's file; the picks made there serve every activation of that process.
TEST_F(LearnedFileTest, StoreAppsKeepTheirPicksInTheProcess) {
  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  const std::string before = read_file(target);

  forget_process_picks();
  set_app_container_query([] { return true; });
  Engine sandboxed = seed_engine();
  load_learned(file, sandboxed);
  EXPECT_TRUE(sandboxed.learned().entries().empty());
  sandboxed.learn("sok", "សុខ", std::nullopt);
  const Result saved = save_learned(file, sandboxed).result;
  Engine next_activation = seed_engine();
  load_learned(file, next_activation);
  set_app_container_query(nullptr);

  EXPECT_EQ(saved, Result::Saved);
  EXPECT_EQ(read_file(target), before);
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});
  EXPECT_EQ(next_activation.learned().entries().at({"sok", "សុខ", std::nullopt}), 1u);
  EXPECT_EQ(next_activation.learned().entries().count({"ban", "បាន", std::nullopt}), 0u);
}

// A packaged application's writes to AppData would land in a private copy:
// it starts from the user's picks and writes nothing, keeping its own picks
// in the process. An AppContainer wins over package identity.
TEST_F(LearnedFileTest, PackagedAppsReadTheUserFileAndWriteNone) {
  EXPECT_EQ(pick_store(false, false), PickStore::UserFile);
  EXPECT_EQ(pick_store(false, true), PickStore::ProcessFromFile);
  EXPECT_EQ(pick_store(true, true), PickStore::Process);
  EXPECT_EQ(pick_store(true, false), PickStore::Process);
  EXPECT_FALSE(has_package_identity());  // Wine's answer, as a desktop process's

  learn_one();
  ASSERT_EQ(save_learned(file, engine).result, Result::Saved);
  const std::string before = read_file(target);

  forget_process_picks();
  set_package_identity_query([] { return true; });
  Engine packaged = seed_engine();
  load_learned(file, packaged);
  const std::size_t loaded = packaged.learned().entries().count({"ban", "បាន", std::nullopt});
  packaged.learn("sok", "សុខ", std::nullopt);
  const Result saved = save_learned(file, packaged, SaveMoment::FocusChange).result;
  Engine next_activation = seed_engine();
  load_learned(file, next_activation);
  set_package_identity_query(nullptr);
  forget_process_picks();

  EXPECT_EQ(loaded, 1u);
  EXPECT_EQ(saved, Result::Saved);
  EXPECT_EQ(read_file(target), before);
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"learned.json"});
  EXPECT_EQ(next_activation.learned().entries().at({"sok", "សុខ", std::nullopt}), 1u);
  EXPECT_EQ(next_activation.learned().entries().at({"ban", "បាន", std::nullopt}), 1u);
}

// Earlier versions let all application packages read the folder; the entry
// is taken out and the user's own ones stay. Wine keeps no DACL on its
// files, so the DACL is checked as built, not read back from a folder.
TEST(AppAccess, TheEarlierGrantIsTakenOut) {
  PSID everyone = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-1-0", &everyone));
  PSID packages = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-15-2-1", &packages));
  EXPLICIT_ACCESSW entries[2]{};
  for (int i = 0; i < 2; ++i) {
    entries[i].grfAccessPermissions = GENERIC_READ;
    entries[i].grfAccessMode = GRANT_ACCESS;
    entries[i].grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    entries[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entries[i].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entries[i].Trustee.ptstrName = static_cast<LPWSTR>(i == 0 ? everyone : packages);
  }
  PACL earlier = nullptr;
  ASSERT_EQ(SetEntriesInAclW(2, entries, nullptr, &earlier), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(allows_app_packages(earlier));

  const PACL revoked = without_app_packages(earlier);
  ASSERT_NE(revoked, nullptr);
  EXPECT_FALSE(allows_app_packages(revoked));
  ASSERT_EQ(revoked->AceCount, 1u);
  void* kept = nullptr;
  ASSERT_TRUE(GetAce(revoked, 0, &kept));
  EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(kept)->SidStart, everyone));
  EXPECT_FALSE(allows_app_packages(nullptr));
  for (void* p : {static_cast<void*>(revoked), static_cast<void*>(earlier), everyone, packages}) {
    LocalFree(p);
  }
}

TEST(LearnedFile, WithoutAppdataNothingIsReadOrWritten) {
  ScopedEnv unset(L"APPDATA", std::nullopt);
  EXPECT_FALSE(learned_path());
  LearnedFile file;
  Engine engine = seed_engine();
  load_learned(file, engine);
  engine.learn("ban", "បាន", std::nullopt);
  EXPECT_EQ(save_learned(file, engine).result, Result::NoPlace);
  EXPECT_EQ(engine.learned().size(), 1u);
}

TEST(LearnedPath, NamesBesideTheTarget) {
  EXPECT_FALSE(learned_path(std::nullopt));
  EXPECT_FALSE(learned_path(std::wstring()));
  EXPECT_EQ(*learned_path(std::wstring(L"C:\\Users\\u\\AppData\\Roaming")),
            fs::path(L"C:\\Users\\u\\AppData\\Roaming\\Sorla\\learned.json"));
  const fs::path target = L"C:\\x\\Sorla\\learned.json";
  EXPECT_EQ(partial_path(target, 4242, 7), fs::path(L"C:\\x\\Sorla\\learned.4242.7.partial"));
  EXPECT_EQ(unreadable_path(target), fs::path(L"C:\\x\\Sorla\\learned.json.unreadable"));
  EXPECT_EQ(lock_path(target), fs::path(L"C:\\x\\Sorla\\learned.json.lock"));
}

// Run by ctest in a process of its own (SORLA_FRESH_PROCESS), so that these
// are the process's first saves.
TEST(LearnedFileFreshProcess, SavesUseSequencedPartialNames) {
  if (std::getenv("SORLA_FRESH_PROCESS") == nullptr) GTEST_SKIP() << "needs a fresh process";
  TempDir appdata;
  ScopedEnv env(L"APPDATA", appdata.path().wstring());
  const fs::path folder = appdata.path() / "Sorla";
  const std::string pid = std::to_string(GetCurrentProcessId());
  Engine engine = seed_engine();
  FileStorage storage(folder / "learned.json", kLockWait);
  // Each save made even with nothing new, as a force flag makes it.
  const auto save = [&] { return sorla::save_learned(storage, engine, true).result; };
  const auto partial = [&] { return storage.partial()->filename().string(); };

  ASSERT_EQ(save(), Result::Saved);
  EXPECT_EQ(partial(), "learned." + pid + ".0.partial");
  ASSERT_EQ(save(), Result::Saved);
  EXPECT_EQ(partial(), "learned." + pid + ".1.partial");

  // A write that fails (the temporary name is taken by a folder) takes its
  // number; the next save takes the next name and succeeds.
  fs::create_directories(folder / ("learned." + pid + ".2.partial"));
  EXPECT_EQ(save(), Result::Failed);
  EXPECT_EQ(save(), Result::Saved);
  EXPECT_EQ(partial(), "learned." + pid + ".3.partial");
}

}  // namespace
}  // namespace sorla::learned_file
