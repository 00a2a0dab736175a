// Self-registration: the COM class, the TSF profile for Khmer and the TSF
// categories; and their removal.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace sorla::dll {

// Registration runs its steps in order and stops at the first failure; the
// whole unregistration then cleans up what was done, and the failing step's
// HRESULT is returned.
struct RegistrationSteps {
  std::function<HRESULT()> com_class;
  std::function<HRESULT()> profile;
  std::function<HRESULT()> categories;
  std::function<HRESULT()> unregister;
};
HRESULT run_registration(const RegistrationSteps& steps);

// Unregistration runs every step and returns the first failure it kept.
// The TSF steps report only whether their manager could be created; what
// they remove is not checked.
struct UnregistrationSteps {
  std::function<HRESULT()> categories;
  std::function<HRESULT()> profile;
  std::function<HRESULT()> delete_tip_key;
  std::function<HRESULT()> delete_class_key;
};
HRESULT run_unregistration(const UnregistrationSteps& steps);

// "SOFTWARE\Classes\CLSID\{...}" of the text service.
std::wstring class_key();
// "SOFTWARE\Microsoft\CTF\TIP\{...}", where TSF keeps the profile.
std::wstring tip_key();
// The DLL's path with its file name replaced by "sorla.ico".
std::wstring icon_path(const std::wstring& dll_path);

// DllRegisterServer and DllUnregisterServer for the DLL `module`.
HRESULT register_server(HMODULE module);
HRESULT unregister_server();

}  // namespace sorla::dll
