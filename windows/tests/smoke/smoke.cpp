// Types "sabay" (or the letters given) and Space into a document through
// Wine's own TSF (smoke/tsf_host.h), with sorla.dll loaded by COM from its
// registration.
// Exit status 0 when the document holds the Khmer word (សប្បាយ, or the one
// given as hex code points "1791,1793,...") and the DLL's objects are all
// gone after deactivation. With "add" after them, APPDATA is a fresh folder
// and the word is added to the user's words once the service is active, as
// "Add a word…" in another application would: the service must offer it
// first for the letters from the next word on.
#include <windows.h>
// Windows headers must come first.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "guids.h"
#include "learned_file/words_file.h"
#include "smoke/tsf_host.h"

namespace sorla::smoke {
namespace {

using com::ComPtr;

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
  if (!ok) ++failures;
}

void check_hr(HRESULT hr, const char* what) {
  std::printf("%s: %s (0x%08lX)\n", SUCCEEDED(hr) ? "ok" : "FAIL", what,
              static_cast<unsigned long>(hr));
  if (FAILED(hr)) ++failures;
}

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

int run(const std::string& letters, const std::wstring& expected, bool add) {
  BYTE no_keys[256] = {};
  SetKeyboardState(no_keys);

  const auto document = Document::open(check_hr);
  if (!document) return 1;
  ComPtr<ITfTextInputProcessor> service;
  check_hr(CoCreateInstance(ids::kTextService, nullptr, CLSCTX_INPROC_SERVER,
                            __uuidof(ITfTextInputProcessor), service.put_void()),
           "sorla.dll created through its registration");
  if (!service) return 1;
  const HMODULE dll = GetModuleHandleW(L"sorla.dll");
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto can_unload =
      reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  check(can_unload != nullptr, "DllCanUnloadNow found");
  if (!can_unload) return 1;

  const Shim& shim = document->shim();
  check_hr(service->Activate(document->thread_mgr(), document->service_id()), "service activated");
  check(shim.key_sink_advised(), "key-event sink advised");
  check(shim.item_count() == 1, "language-bar button added");

  if (add) {
    check(learned_file::add_user_word(utf8(expected), letters).result ==
              UserWordsEdit::Result::Changed,
          "the word added to the user's words");
  }
  for (const char letter : letters) {
    press(document->keys(), static_cast<WPARAM>(letter - 'a' + 'A'));
  }
  press(document->keys(), VK_SPACE);
  check(document->text() == expected, "the document holds the Khmer word");
  if (document->text() != expected) {
    std::printf("  document: %zu units:", document->text().size());
    for (const wchar_t c : document->text()) std::printf(" %04X", static_cast<unsigned>(c));
    std::printf("\n");
  }

  check_hr(service->Deactivate(), "service deactivated");
  check(!shim.key_sink_advised(), "key-event sink unadvised");
  check(shim.item_count() == 0, "language-bar button removed");
  service.reset();
  check(can_unload() == S_OK, "no object of the DLL is left");
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace sorla::smoke

int main(int argc, char** argv) {
  std::string letters = "sabay";
  std::wstring expected = L"\u179F\u1794\u17D2\u1794\u17B6\u1799";
  const bool add = argc == 4 && std::string(argv[3]) == "add";
  if (argc == 3 || add) {
    letters = argv[1];
    expected.clear();
    for (const char* p = argv[2]; *p;) {
      char* end = nullptr;
      expected += static_cast<wchar_t>(std::strtoul(p, &end, 16));
      p = *end == ',' ? end + 1 : end;
    }
  }
  std::filesystem::path appdata;
  if (add) {
    appdata = std::filesystem::temp_directory_path() /
              (L"sorla-smoke-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(appdata);
    SetEnvironmentVariableW(L"APPDATA", appdata.c_str());
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int result = sorla::smoke::run(letters, expected, add);
  CoUninitialize();
  if (add) {
    std::error_code ec;
    std::filesystem::remove_all(appdata, ec);
  }
  std::printf("%s\n", result == 0 ? "smoke test passed" : "smoke test FAILED");
  return result;
}
