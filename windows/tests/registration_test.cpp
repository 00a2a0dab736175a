#include "dll/registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/module.h"
#include "com/object.h"
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
  const auto alone = [] { return false; };
  EXPECT_EQ(run_unregistration({alone, t.step('c', S_OK), t.step('p', S_OK), t.step('t', S_OK),
                                t.step('k', S_OK)}),
            S_OK);
  EXPECT_EQ(t.ran, "cptk");

  t.ran.clear();
  EXPECT_EQ(run_unregistration({alone, t.step('c', REGDB_E_CLASSNOTREG), t.step('p', E_OUTOFMEMORY),
                                t.step('t', S_OK), t.step('k', E_ACCESSDENIED)}),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(t.ran, "cptk");

  t.ran.clear();
  EXPECT_EQ(run_unregistration({alone, t.step('c', S_OK), t.step('p', S_OK),
                                t.step('t', E_ACCESSDENIED), t.step('k', E_FAIL)}),
            E_ACCESSDENIED);
}

// The 32-bit and 64-bit DLLs share the profile, categories and TIP key: the
// first one unregistered removes only its own class.
TEST(Unregistration, KeepsWhatTheOtherBitnessStillUses) {
  Trace t;
  EXPECT_EQ(run_unregistration({[] { return true; }, t.step('c', S_OK), t.step('p', S_OK),
                                t.step('t', S_OK), t.step('k', S_OK)}),
            S_OK);
  EXPECT_EQ(t.ran, "k");
}

TEST(Registration, KeyPaths) {
  EXPECT_EQ(guid_string(ids::kTextService), L"{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
  EXPECT_EQ(guid_string(ids::kCatDisplayAttributeProvider),
            L"{046B8C80-1647-40F7-9B21-B93B81AABC1B}");
  EXPECT_EQ(class_key(), L"SOFTWARE\\Classes\\CLSID\\{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
  EXPECT_EQ(tip_key(), L"SOFTWARE\\Microsoft\\CTF\\TIP\\{B4AEB260-69D0-4AEF-8139-D77D12AB9462}");
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

// What registration asks of the profile manager, recorded. Like Wine's, the
// legacy one answers RegisterProfile with E_NOTIMPL.
class FakeProfiles final
    : public com::Object<ITfInputProcessorProfileMgr, ITfInputProcessorProfiles> {
 public:
  explicit FakeProfiles(bool legacy, HRESULT substitute_answer = S_OK)
      : legacy_(legacy), substitute_answer_(substitute_answer) {}

  struct Profile {
    std::wstring icon_file;
    ULONG icon_index = 99;
    HKL substitute = nullptr;
    bool enabled = false;
  };
  Profile profile;
  std::vector<std::string> calls;

  // ITfInputProcessorProfileMgr
  HRESULT STDMETHODCALLTYPE RegisterProfile(REFCLSID clsid, LANGID langid, REFGUID guid,
                                            const WCHAR*, ULONG, const WCHAR* icon,
                                            ULONG icon_chars, ULONG icon_index, HKL substitute,
                                            DWORD, BOOL enabled, DWORD) override {
    calls.push_back("RegisterProfile");
    if (legacy_) return E_NOTIMPL;
    if (!ours(clsid, langid, guid)) return E_INVALIDARG;
    profile = {std::wstring(icon, icon_chars), icon_index, substitute, enabled != FALSE};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ActivateProfile(DWORD, LANGID, REFCLSID, REFGUID, HKL, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeactivateProfile(DWORD, LANGID, REFCLSID, REFGUID, HKL,
                                              DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetProfile(DWORD, LANGID, REFCLSID, REFGUID, HKL,
                                       TF_INPUTPROCESSORPROFILE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumProfiles(LANGID, IEnumTfInputProcessorProfiles**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ReleaseInputProcessor(REFCLSID, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnregisterProfile(REFCLSID, LANGID, REFGUID, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetActiveProfile(REFGUID, TF_INPUTPROCESSORPROFILE*) override {
    return E_NOTIMPL;
  }

  // ITfInputProcessorProfiles
  HRESULT STDMETHODCALLTYPE Register(REFCLSID) override {
    calls.push_back("Register");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unregister(REFCLSID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddLanguageProfile(REFCLSID clsid, LANGID langid, REFGUID guid,
                                               const WCHAR*, ULONG, const WCHAR* icon,
                                               ULONG icon_chars, ULONG icon_index) override {
    calls.push_back("AddLanguageProfile");
    if (!ours(clsid, langid, guid)) return E_INVALIDARG;
    profile.icon_file.assign(icon, icon_chars);
    profile.icon_index = icon_index;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SubstituteKeyboardLayout(REFCLSID clsid, LANGID langid, REFGUID guid,
                                                     HKL layout) override {
    calls.push_back("SubstituteKeyboardLayout");
    if (!ours(clsid, langid, guid)) return E_INVALIDARG;
    if (SUCCEEDED(substitute_answer_)) profile.substitute = layout;
    return substitute_answer_;
  }
  HRESULT STDMETHODCALLTYPE EnableLanguageProfileByDefault(REFCLSID clsid, LANGID langid,
                                                           REFGUID guid, BOOL enable) override {
    calls.push_back("EnableLanguageProfileByDefault");
    if (!ours(clsid, langid, guid)) return E_INVALIDARG;
    profile.enabled = enable != FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveLanguageProfile(REFCLSID, LANGID, REFGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumInputProcessorInfo(IEnumGUID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDefaultLanguageProfile(LANGID, REFGUID, CLSID*, GUID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetDefaultLanguageProfile(LANGID, REFCLSID, REFGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ActivateLanguageProfile(REFCLSID, LANGID, REFGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetActiveLanguageProfile(REFCLSID, LANGID*, GUID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetLanguageProfileDescription(REFCLSID, LANGID, REFGUID,
                                                          BSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCurrentLanguage(LANGID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ChangeCurrentLanguage(LANGID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetLanguageList(LANGID**, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumLanguageProfiles(LANGID, IEnumTfLanguageProfiles**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnableLanguageProfile(REFCLSID, LANGID, REFGUID, BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsEnabledLanguageProfile(REFCLSID, LANGID, REFGUID, BOOL*) override {
    return E_NOTIMPL;
  }

 private:
  static bool ours(REFCLSID clsid, LANGID langid, REFGUID guid) {
    return IsEqualCLSID(clsid, ids::kTextService) && langid == ids::kKhmer &&
           IsEqualGUID(guid, ids::kProfile);
  }
  bool legacy_;
  HRESULT substitute_answer_;
};

constexpr wchar_t kDll[] = L"C:\\Program Files\\Sorla\\sorla.dll";
// The US layout under the Khmer input language.
const HKL kUsUnderKhmer = reinterpret_cast<HKL>(static_cast<ULONG_PTR>(0x04090453));

TEST(ProfileRegistration, RegistersTheUsLayoutAndTheDllsIcon) {
  auto profiles = com::make_object<FakeProfiles>(false);
  ASSERT_EQ(register_profile(*profiles.get(), kDll), S_OK);
  EXPECT_EQ(profiles->calls, std::vector<std::string>{"RegisterProfile"});
  EXPECT_EQ(profiles->profile.substitute, kUsUnderKhmer);
  EXPECT_EQ(profiles->profile.icon_file, kDll);
  EXPECT_EQ(profiles->profile.icon_index, 0u);
  EXPECT_TRUE(profiles->profile.enabled);
}

// Wine's profile manager has neither RegisterProfile nor
// SubstituteKeyboardLayout: registration still succeeds there.
TEST(ProfileRegistration, TheOlderCallsCarryTheSameProfile) {
  auto profiles = com::make_object<FakeProfiles>(true);
  ASSERT_EQ(register_profile(*profiles.get(), kDll), S_OK);
  EXPECT_EQ(profiles->calls, (std::vector<std::string>{
                                 "RegisterProfile", "Register", "AddLanguageProfile",
                                 "SubstituteKeyboardLayout", "EnableLanguageProfileByDefault"}));
  EXPECT_EQ(profiles->profile.substitute, kUsUnderKhmer);
  EXPECT_EQ(profiles->profile.icon_file, kDll);
  EXPECT_EQ(profiles->profile.icon_index, 0u);
  EXPECT_TRUE(profiles->profile.enabled);

  auto wine = com::make_object<FakeProfiles>(true, E_NOTIMPL);
  EXPECT_EQ(register_profile(*wine.get(), kDll), S_OK);
  EXPECT_TRUE(wine->profile.enabled);

  auto failing = com::make_object<FakeProfiles>(true, E_ACCESSDENIED);
  EXPECT_EQ(register_profile(*failing.get(), kDll), E_ACCESSDENIED);
}

}  // namespace
}  // namespace sorla::dll
