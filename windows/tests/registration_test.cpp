#include "dll/registration.h"

#include <gtest/gtest.h>

#include <string>

#include "com/module.h"
#include "dll/registry.h"
#include "guids.h"

namespace sorla::dll {
namespace {

// Records the order in which steps ran, each answering a fixed HRESULT.
struct Trace {
  std::string ran;
  std::function<HRESULT()> step(char name, HRESULT answer) {
    return [this, name, answer] {
      ran += name;
      return answer;
    };
  }
};

TEST(Registration, StopsAtFirstFailureAndCleansUp) {
  Trace t;
  EXPECT_EQ(run_registration(
                {t.step('c', S_OK), t.step('p', S_OK), t.step('k', S_OK), t.step('u', S_OK)}),
            S_OK);
  EXPECT_EQ(t.ran, "cpk");

  // A profile step that fails leaves nothing behind: unregistration runs.
  t.ran.clear();
  EXPECT_EQ(run_registration({t.step('c', S_OK), t.step('p', E_ACCESSDENIED), t.step('k', S_OK),
                              t.step('u', E_FAIL)}),
            E_ACCESSDENIED);
  EXPECT_EQ(t.ran, "cpu");

  t.ran.clear();
  EXPECT_EQ(run_registration({t.step('c', HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)),
                              t.step('p', S_OK), t.step('k', S_OK), t.step('u', S_OK)}),
            HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(t.ran, "cu");
}

TEST(Unregistration, RunsEveryStepAndKeepsFirstFailure) {
  Trace t;
  EXPECT_EQ(run_unregistration(
                {t.step('c', S_OK), t.step('p', S_OK), t.step('t', S_OK), t.step('k', S_OK)}),
            S_OK);
  EXPECT_EQ(t.ran, "cptk");

  t.ran.clear();
  EXPECT_EQ(run_unregistration({t.step('c', REGDB_E_CLASSNOTREG), t.step('p', E_OUTOFMEMORY),
                                t.step('t', S_OK), t.step('k', E_ACCESSDENIED)}),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(t.ran, "cptk");

  t.ran.clear();
  EXPECT_EQ(run_unregistration({t.step('c', S_OK), t.step('p', S_OK), t.step('t', E_ACCESSDENIED),
                                t.step('k', E_FAIL)}),
            E_ACCESSDENIED);
}

TEST(Registration, KeyPathsAndIcon) {
  EXPECT_EQ(guid_string(ids::kTextService), L"{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
  EXPECT_EQ(guid_string(ids::kCatDisplayAttributeProvider),
            L"{046B8C80-1647-40F7-9B21-B93B81AABC1B}");
  EXPECT_EQ(class_key(), L"SOFTWARE\\Classes\\CLSID\\{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
  EXPECT_EQ(tip_key(), L"SOFTWARE\\Microsoft\\CTF\\TIP\\{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
  EXPECT_EQ(icon_path(L"C:\\Program Files\\Sorla\\x64\\sorla.dll"),
            L"C:\\Program Files\\Sorla\\x64\\sorla.ico");
  EXPECT_EQ(icon_path(L"sorla.dll"), L"sorla.ico");
}

TEST(Registry, LastErrorNeverReadsAsSuccess) {
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(com::hresult_from_last_error(), E_FAIL);
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(com::hresult_from_last_error(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Registry, DeletingAMissingTreeIsNoFailure) {
  EXPECT_EQ(delete_tree(L"SOFTWARE\\Sorla-test-missing-key"), S_OK);
}

}  // namespace
}  // namespace sorla::dll
