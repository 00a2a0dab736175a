// The exports of the DLL. Each one lets nothing but an HRESULT out.
#include <windows.h>

#include "com/boundary.h"
#include "com/module.h"
#include "com/object_count.h"
#include "dll/class_factory.h"
#include "dll/registration.h"
#include "dll/user_keyboard.h"
#include "tsf/window/candidate_window.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Unloaded by FreeLibrary (not process exit): take the candidate window's
  // class with us so a later load can register it again.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) sorla::window::unregister_window_class();
  return TRUE;
}

STDAPI DllCanUnloadNow() { return sorla::com::object_count() > 0 ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return sorla::dll::get_class_object(&clsid, &iid, out);
}

STDAPI DllRegisterServer() {
  return sorla::com::guarded([] { return sorla::dll::register_server(sorla::com::own_module()); });
}

STDAPI DllUnregisterServer() {
  return sorla::com::guarded(
      [] { return sorla::dll::unregister_server(sorla::com::own_module()); });
}

// regsvr32 /n /i:<command>: the Sorla keyboard in a user's language list
// (dll/user_keyboard.h), for setup and for Active Setup at sign-in.
STDAPI DllInstall(BOOL install, PCWSTR command) {
  return sorla::com::guarded([&] {
    if (command == nullptr) return E_INVALIDARG;
    return sorla::dll::dll_install(install != FALSE, command,
                                   sorla::dll::windows_user_system(sorla::com::own_module()));
  });
}
