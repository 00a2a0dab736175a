// The Sorla keyboard in one user's language list. The machine-wide setup
// runs elevated, and on a machine with several users often as an
// administrator who is not the user at the screen; InstallLayoutOrTip
// (input.dll) changes the calling user's list only. So setup asks for the
// keyboard of the user who started it: at once when it runs as that user,
// otherwise at their next sign-in through Active Setup, which runs a
// component's StubPath once in each user's session at sign-in. The step is
// DllInstall, as regsvr32 /n /i:<command> calls it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sorla::dll {

// "0453:{CLSID}{profile}": the Khmer profile as InstallLayoutOrTip names it.
std::wstring keyboard_item();

// HKLM\<this> in the 64-bit view: the Active Setup component.
std::wstring signin_step_key();

// What the steps need of Windows; tests stand in their own.
struct UserSystem {
  std::optional<std::wstring> process_user;  // this process's user, as a SID string
  // InstallLayoutOrTip; empty where input.dll has none (Wine).
  std::function<BOOL(const wchar_t* items, DWORD flags)> install_layout_or_tip;
  // Writes the Active Setup component that runs `stub` at sign-in.
  std::function<HRESULT(const std::wstring& stub)> set_signin_step;
  std::function<HRESULT()> remove_signin_step;
  std::wstring dll_path;
  std::wstring regsvr32;  // the one of this DLL's bitness
};
UserSystem windows_user_system(HMODULE module);

// DllInstall(install, command). `user` is a SID string; without one, this
// process's user.
//   install "add=<user>"      S_OK when the keyboard is in the user's list
//                             now, S_FALSE when it will be at their next
//                             sign-in.
//   install "signin=<user>"   run at each sign-in: adds it for that user
//                             only (S_FALSE for everyone else).
//   uninstall "remove=<user>" forgets the sign-in step and takes the
//                             keyboard, and nothing else, off the list when
//                             this process runs as that user (S_FALSE when
//                             it does not).
// E_NOTIMPL without InstallLayoutOrTip, E_FAIL when it fails, E_INVALIDARG
// for any other command.
HRESULT dll_install(bool install, std::wstring_view command, const UserSystem& system);

}  // namespace sorla::dll
