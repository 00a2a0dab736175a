// The five exports of the DLL. Each one lets nothing but an HRESULT out.
#include <windows.h>

#include "com/boundary.h"
#include "com/module.h"
#include "com/object_count.h"
#include "dll/class_factory.h"
#include "dll/registration.h"
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
  return sorla::com::guarded([] { return sorla::dll::unregister_server(); });
}
