// The concurrency tests start copies of themselves as writers and readers.
#pragma once

#include <windows.h>

#include <string>

namespace sorla::testing {

struct Child {
  HANDLE process = nullptr;
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (process) CloseHandle(process);
  }
};

// This program again with `args`; false when it could not be started.
inline bool start(Child& child, const std::wstring& args) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  child.process = pi.hProcess;
  return true;
}

// Waits for the child and gives its exit code (1 when it cannot be read).
inline DWORD finish(Child& child) {
  WaitForSingleObject(child.process, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.process, &code);
  return code;
}

}  // namespace sorla::testing
