#include "dll/user_keyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorla::dll {
namespace {

constexpr wchar_t kMe[] = L"S-1-5-21-1-2-3-1001";
constexpr wchar_t kOther[] = L"S-1-5-21-1-2-3-1002";
constexpr wchar_t kSorla[] =
    L"0453:{B4AEB260-69D0-4AEF-8139-D77D12AB9462}{312E7AB2-1452-405A-817C-96B1E55FA2F5}";

// A process running as kMe, recording every change it asks of Windows.
struct Recorder {
  std::vector<std::pair<std::wstring, DWORD>> list_changes;
  std::vector<std::wstring> stubs;
  int removed_steps = 0;
  BOOL answer = TRUE;

  UserSystem system() {
    UserSystem s;
    s.process_user = kMe;
    s.install_layout_or_tip = [this](const wchar_t* items, DWORD flags) {
      list_changes.emplace_back(items, flags);
      return answer;
    };
    s.set_signin_step = [this](const std::wstring& stub) {
      stubs.push_back(stub);
      return S_OK;
    };
    s.remove_signin_step = [this] {
      ++removed_steps;
      return S_OK;
    };
    s.dll_path = L"C:\\Program Files\\Sorla\\sorla.dll";
    s.regsvr32 = L"C:\\Windows\\System32\\regsvr32.exe";
    return s;
  }
};

TEST(UserKeyboard, AddedForTheUserWhoStartedSetup) {
  Recorder r;
  EXPECT_EQ(dll_install(true, std::wstring(L"add=") + kMe, r.system()), S_OK);
  EXPECT_EQ(dll_install(true, L"add", r.system()), S_OK);
  EXPECT_EQ(r.list_changes,
            (std::vector<std::pair<std::wstring, DWORD>>{{kSorla, 0}, {kSorla, 0}}));
  EXPECT_TRUE(r.stubs.empty());

  // Setup elevated by another account: the user gets it at their next
  // sign-in, and only they do.
  r.list_changes.clear();
  EXPECT_EQ(dll_install(true, std::wstring(L"add=") + kOther, r.system()), S_FALSE);
  EXPECT_TRUE(r.list_changes.empty());
  ASSERT_EQ(r.stubs.size(), 1u);
  EXPECT_EQ(r.stubs[0], std::wstring(L"\"C:\\Windows\\System32\\regsvr32.exe\" /s /n /i:signin=") +
                            kOther + L" \"C:\\Program Files\\Sorla\\sorla.dll\"");
  EXPECT_EQ(dll_install(true, std::wstring(L"signin=") + kOther, r.system()), S_FALSE);
  EXPECT_TRUE(r.list_changes.empty());
  EXPECT_EQ(dll_install(true, std::wstring(L"signin=") + kMe, r.system()), S_OK);
  EXPECT_EQ(r.list_changes, (std::vector<std::pair<std::wstring, DWORD>>{{kSorla, 0}}));
}

// Uninstall takes Sorla, with ILOT_UNINSTALL, off the list of the user who
// runs it and asks nothing else of the list.
TEST(UserKeyboard, RemovedFromTheListItWasAddedTo) {
  Recorder r;
  EXPECT_EQ(dll_install(false, std::wstring(L"remove=") + kMe, r.system()), S_OK);
  EXPECT_EQ(r.list_changes, (std::vector<std::pair<std::wstring, DWORD>>{{kSorla, 1}}));
  EXPECT_EQ(r.removed_steps, 1);
  r.list_changes.clear();
  EXPECT_EQ(dll_install(false, std::wstring(L"remove=") + kOther, r.system()), S_FALSE);
  EXPECT_TRUE(r.list_changes.empty());
  EXPECT_EQ(r.removed_steps, 2);
}

TEST(UserKeyboard, FailuresAreSaid) {
  Recorder r;
  r.answer = FALSE;
  EXPECT_EQ(dll_install(true, L"add", r.system()), E_FAIL);
  UserSystem wine = r.system();
  wine.install_layout_or_tip = nullptr;
  EXPECT_EQ(dll_install(true, L"add", wine), E_NOTIMPL);
  EXPECT_EQ(dll_install(true, L"remove", r.system()), E_INVALIDARG);
  EXPECT_EQ(dll_install(false, L"add", r.system()), E_INVALIDARG);
  EXPECT_EQ(dll_install(true, L"", r.system()), E_INVALIDARG);
}

}  // namespace
}  // namespace sorla::dll
