// The concurrency tests start copies of themselves as writers and readers,
// in a fresh APPDATA, and check that nothing but the file is left there.
#pragma once

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

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

// A fresh folder named after `prefix` and this process, made APPDATA for
// this process and the children it starts.
inline std::filesystem::path fresh_appdata(const std::wstring& prefix) {
  const std::filesystem::path appdata =
      std::filesystem::temp_directory_path() / (prefix + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::remove_all(appdata);
  std::filesystem::create_directories(appdata);
  SetEnvironmentVariableW(L"APPDATA", appdata.c_str());
  return appdata;
}

// Runs one reader ("read") and `writers` writers ("write <w> <per_writer>")
// at once; once the writers are done, `stop` is made, which ends the reader.
// How many of them failed; -1 when one could not be started.
inline int run_children(int writers, int per_writer, const std::filesystem::path& stop) {
  Child reader;
  std::vector<Child> children(static_cast<std::size_t>(writers));
  bool started = start(reader, L"read");
  for (int w = 0; w < writers && started; ++w) {
    started = start(children[static_cast<std::size_t>(w)],
                    L"write " + std::to_wstring(w) + L" " + std::to_wstring(per_writer));
  }
  int failures = 0;
  for (Child& child : children) {
    if (child.process) failures += finish(child) != 0;
  }
  { std::ofstream made(stop); }
  if (reader.process) failures += finish(reader) != 0;
  return started ? failures : -1;
}

// How many files besides `kept` are in `folder`, each printed: no lock or
// temporary file may outlive the writers.
inline int left_behind(const std::filesystem::path& folder, const std::filesystem::path& kept) {
  int found = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename() == kept) continue;
    std::printf("left behind: %s\n", entry.path().filename().string().c_str());
    ++found;
  }
  return found;
}

// A driver's end: the failures so far and the files left in APPDATA's
// Sorla folder besides `kept`, then the fresh `appdata` removed; the exit code.
inline int end_driver(const std::filesystem::path& appdata, const std::filesystem::path& kept,
                      int failures) {
  failures += left_behind(appdata / "Sorla", kept);
  std::error_code ec;
  std::filesystem::remove_all(appdata, ec);
  return failures == 0 ? 0 : 1;
}

}  // namespace sorla::testing
