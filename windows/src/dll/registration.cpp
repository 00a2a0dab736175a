#include "dll/registration.h"

#include <cwctype>

#include "com/com_ptr.h"
#include "com/module.h"
#include "dll/registry.h"
#include "guids.h"

namespace sorla::dll {
namespace {

using com::ComPtr;

constexpr wchar_t kDescription[] = L"Sorla";
constexpr ULONG kDescriptionChars = 5;

HRESULT write_com_class(const std::wstring& path) {
  const std::wstring key = class_key();
  const std::wstring server = key + L"\\InprocServer32";
  HRESULT hr = set_string_value(key, L"", kDescription);
  if (SUCCEEDED(hr)) hr = set_string_value(server, L"", path);
  if (SUCCEEDED(hr)) hr = set_string_value(server, L"ThreadingModel", L"Apartment");
  return hr;
}

HRESULT create_profile_mgr(ComPtr<ITfInputProcessorProfileMgr>& mgr) {
  return CoCreateInstance(ids::kInputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                          __uuidof(ITfInputProcessorProfileMgr), mgr.put_void());
}

HRESULT create_category_mgr(ComPtr<ITfCategoryMgr>& mgr) {
  return CoCreateInstance(ids::kCategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                          __uuidof(ITfCategoryMgr), mgr.put_void());
}

// The older profile calls, for a TSF (as Wine's) whose profile manager does
// not implement RegisterProfile. Wine answers SubstituteKeyboardLayout with
// E_NOTIMPL too; the profile then simply has no substitute there.
HRESULT register_profile_legacy(ITfInputProcessorProfileMgr& mgr, const std::wstring& dll_path) {
  ComPtr<ITfInputProcessorProfiles> profiles;
  HRESULT hr = mgr.QueryInterface(__uuidof(ITfInputProcessorProfiles), profiles.put_void());
  if (FAILED(hr)) return hr;
  hr = profiles->Register(ids::kTextService);
  if (FAILED(hr)) return hr;
  hr = profiles->AddLanguageProfile(ids::kTextService, ids::kKhmer, ids::kProfile, kDescription,
                                    kDescriptionChars, dll_path.c_str(),
                                    static_cast<ULONG>(dll_path.size()), kIconIndex);
  if (FAILED(hr)) return hr;
  hr = profiles->SubstituteKeyboardLayout(ids::kTextService, ids::kKhmer, ids::kProfile,
                                          substitute_layout());
  if (FAILED(hr) && hr != E_NOTIMPL) return hr;
  return profiles->EnableLanguageProfileByDefault(ids::kTextService, ids::kKhmer, ids::kProfile,
                                                  TRUE);
}

HRESULT register_categories() {
  ComPtr<ITfCategoryMgr> mgr;
  HRESULT hr = create_category_mgr(mgr);
  if (FAILED(hr)) return hr;
  for (const GUID& category : ids::kCategories) {
    hr = mgr->RegisterCategory(ids::kTextService, category, ids::kTextService);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT unregister_categories() {
  ComPtr<ITfCategoryMgr> mgr;
  const HRESULT hr = create_category_mgr(mgr);
  if (FAILED(hr)) return hr;
  for (const GUID& category : ids::kCategories) {
    mgr->UnregisterCategory(ids::kTextService, category, ids::kTextService);
  }
  return S_OK;
}

HRESULT unregister_profile() {
  ComPtr<ITfInputProcessorProfileMgr> mgr;
  const HRESULT hr = create_profile_mgr(mgr);
  if (FAILED(hr)) return hr;
  if (mgr->UnregisterProfile(ids::kTextService, ids::kKhmer, ids::kProfile, 0) == E_NOTIMPL) {
    ComPtr<ITfInputProcessorProfiles> profiles;
    if (SUCCEEDED(mgr->QueryInterface(__uuidof(ITfInputProcessorProfiles), profiles.put_void()))) {
      profiles->Unregister(ids::kTextService);
    }
  }
  return S_OK;
}

bool same_path(std::wstring a, std::wstring b) {
  for (auto* s : {&a, &b}) {
    for (wchar_t& c : *s) c = static_cast<wchar_t>(std::towlower(c));
  }
  return a == b;
}

// The server path the other registry view (the other bitness's DLL) has for
// our class, when that DLL is still there. The TIP key under
// SOFTWARE\Microsoft\CTF is shared by both views ("Registry Keys Affected by
// WOW64"), so while it is, the profile and categories must stay.
bool other_bitness_serves(const std::wstring& own_path) {
  const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const std::optional<std::wstring> server =
      read_string_value(class_key() + L"\\InprocServer32", L"", other);
  // On 32-bit Windows the flag is ignored and this view answers: our own path.
  return server && !server->empty() && !same_path(*server, own_path) &&
         GetFileAttributesW(server->c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

HKL substitute_layout() {
  return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(MAKELONG(ids::kKhmer, 0x0409)));
}

HRESULT register_profile(ITfInputProcessorProfileMgr& mgr, const std::wstring& dll_path) {
  const HRESULT hr =
      mgr.RegisterProfile(ids::kTextService, ids::kKhmer, ids::kProfile, kDescription,
                          kDescriptionChars, dll_path.c_str(), static_cast<ULONG>(dll_path.size()),
                          kIconIndex, substitute_layout(), 0, TRUE, 0);
  if (hr != E_NOTIMPL) return hr;
  return register_profile_legacy(mgr, dll_path);
}

HRESULT run_registration(const RegistrationSteps& steps) {
  for (const auto* step : {&steps.com_class, &steps.profile, &steps.categories}) {
    const HRESULT hr = (*step)();
    if (FAILED(hr)) {
      steps.unregister();
      return hr;
    }
  }
  return S_OK;
}

HRESULT run_unregistration(const UnregistrationSteps& steps) {
  HRESULT kept = S_OK;
  const auto run = [&](const std::function<HRESULT()>& step) {
    const HRESULT hr = step();
    if (FAILED(hr) && SUCCEEDED(kept)) kept = hr;
  };
  if (!steps.other_bitness_registered()) {
    for (const auto* step : {&steps.categories, &steps.profile, &steps.delete_tip_key}) run(*step);
  }
  run(steps.delete_class_key);
  return kept;
}

std::wstring class_key() { return L"SOFTWARE\\Classes\\CLSID\\" + guid_string(ids::kTextService); }

std::wstring tip_key() {
  return L"SOFTWARE\\Microsoft\\CTF\\TIP\\" + guid_string(ids::kTextService);
}

HRESULT register_server(HMODULE module) {
  std::wstring path;
  return run_registration({
      .com_class =
          [&] {
            const HRESULT hr = com::module_path(module, path);
            return FAILED(hr) ? hr : write_com_class(path);
          },
      .profile =
          [&] {
            ComPtr<ITfInputProcessorProfileMgr> mgr;
            const HRESULT hr = create_profile_mgr(mgr);
            return FAILED(hr) ? hr : register_profile(*mgr.get(), path);
          },
      .categories = register_categories,
      .unregister = [module] { return unregister_server(module); },
  });
}

HRESULT unregister_server(HMODULE module) {
  std::wstring path;
  const bool known = SUCCEEDED(com::module_path(module, path));
  return run_unregistration({
      .other_bitness_registered = [&] { return known && other_bitness_serves(path); },
      .categories = unregister_categories,
      .profile = unregister_profile,
      .delete_tip_key = [] { return delete_tree(tip_key()); },
      .delete_class_key = [] { return delete_tree(class_key()); },
  });
}

}  // namespace sorla::dll
