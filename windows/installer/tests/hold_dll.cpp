// hold_dll DLL MARKER: loads DLL as an application that types with Sorla
// would, writes MARKER once it holds it, and keeps it loaded until MARKER is
// deleted (two minutes at most). Lets the installer test upgrade over a DLL
// in use.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  HMODULE dll = LoadLibraryW(argv[1]);
  if (dll == nullptr) {
    std::fprintf(stderr, "hold_dll: cannot load the DLL (error %lu)\n", GetLastError());
    return 1;
  }
  HANDLE marker = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(marker);
  for (int waited = 0; waited < 120000 && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES;
       waited += 50) {
    Sleep(50);
  }
  FreeLibrary(dll);
  return 0;
}
