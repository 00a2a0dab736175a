// Self-registration: the COM class, the TSF profile for Khmer and the TSF
// categories; and their removal.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tsf_decls.h"

namespace sorla::dll {

// The profile's icon is the DLL's first icon resource: the taskbar's input
// indicator loads the branding icon from the DLL by the index registered
// with the profile ("Input Method Editor (IME) requirements": store the IME
// icons in a DLL or EXE, not in a standalone .ico file).
inline constexpr ULONG kIconIndex = 0;

// The keyboard layout under the profile: the US layout as the Khmer input
// language's (input locale identifier: layout 0x0409 in the high word, the
// profile's language in the low word). Without a substitute the keys Sorla
// lets through (English mode, digits and punctuation between words, number
// and password fields) are translated by the language's default layout,
// for Khmer the Khmer script one, while the service maps keys as on a US
// keyboard. RegisterProfile's hklsubstitute and TF_INPUTPROCESSORPROFILE's
// hklSubstitute: "the keyboard layout handle of the substitute for this
// text service".
HKL substitute_layout();

// Registers the Khmer profile through `mgr`, icon and substitute included:
// RegisterProfile, or, where it is not implemented (Wine), the older
// ITfInputProcessorProfiles calls.
HRESULT register_profile(ITfInputProcessorProfileMgr& mgr, const std::wstring& dll_path);

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
// While the other bitness's DLL is registered it removes only this one's
// class: the profile, categories and TIP key are shared by both. The TSF
// steps report only whether their manager could be created; what they
// remove is not checked.
struct UnregistrationSteps {
  std::function<bool()> other_bitness_registered;
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

// DllRegisterServer and DllUnregisterServer for the DLL `module`.
HRESULT register_server(HMODULE module);
HRESULT unregister_server(HMODULE module);

}  // namespace sorla::dll
