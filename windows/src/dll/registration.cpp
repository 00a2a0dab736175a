#include "dll/registration.h"

#include "com/com_ptr.h"
#include "com/module.h"
#include "dll/registry.h"
#include "guids.h"
#include "tsf_decls.h"

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
// not implement RegisterProfile.
HRESULT register_profile_legacy(const ComPtr<ITfInputProcessorProfileMgr>& mgr,
                                const std::wstring& icon) {
  ComPtr<ITfInputProcessorProfiles> profiles;
  HRESULT hr = mgr->QueryInterface(__uuidof(ITfInputProcessorProfiles), profiles.put_void());
  if (FAILED(hr)) return hr;
  hr = profiles->Register(ids::kTextService);
  if (FAILED(hr)) return hr;
  hr = profiles->AddLanguageProfile(ids::kTextService, ids::kKhmer, ids::kProfile, kDescription,
                                    kDescriptionChars, icon.c_str(),
                                    static_cast<ULONG>(icon.size()), 0);
  if (FAILED(hr)) return hr;
  return profiles->EnableLanguageProfileByDefault(ids::kTextService, ids::kKhmer, ids::kProfile,
                                                  TRUE);
}

HRESULT register_profile(const std::wstring& icon) {
  ComPtr<ITfInputProcessorProfileMgr> mgr;
  HRESULT hr = create_profile_mgr(mgr);
  if (FAILED(hr)) return hr;
  hr = mgr->RegisterProfile(ids::kTextService, ids::kKhmer, ids::kProfile, kDescription,
                            kDescriptionChars, icon.c_str(), static_cast<ULONG>(icon.size()), 0,
                            nullptr, 0, TRUE, 0);
  if (hr != E_NOTIMPL) return hr;
  return register_profile_legacy(mgr, icon);
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

}  // namespace

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
  for (const auto* step :
       {&steps.categories, &steps.profile, &steps.delete_tip_key, &steps.delete_class_key}) {
    const HRESULT hr = (*step)();
    if (FAILED(hr) && SUCCEEDED(kept)) kept = hr;
  }
  return kept;
}

std::wstring class_key() { return L"SOFTWARE\\Classes\\CLSID\\" + guid_string(ids::kTextService); }

std::wstring tip_key() {
  return L"SOFTWARE\\Microsoft\\CTF\\TIP\\" + guid_string(ids::kTextService);
}

std::wstring icon_path(const std::wstring& dll_path) {
  const std::size_t slash = dll_path.find_last_of(L"\\/");
  const std::size_t keep = slash == std::wstring::npos ? 0 : slash + 1;
  return dll_path.substr(0, keep) + L"sorla.ico";
}

HRESULT register_server(HMODULE module) {
  std::wstring path;
  return run_registration({
      .com_class =
          [&] {
            const HRESULT hr = com::module_path(module, path);
            return FAILED(hr) ? hr : write_com_class(path);
          },
      .profile = [&] { return register_profile(icon_path(path)); },
      .categories = register_categories,
      .unregister = unregister_server,
  });
}

HRESULT unregister_server() {
  return run_unregistration({
      .categories = unregister_categories,
      .profile = unregister_profile,
      .delete_tip_key = [] { return delete_tree(tip_key()); },
      .delete_class_key = [] { return delete_tree(class_key()); },
  });
}

}  // namespace sorla::dll
