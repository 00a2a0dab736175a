#include "learned_file/app_access.h"

#include <windows.h>
// Windows headers must come first.
#include <aclapi.h>
#include <sddl.h>

#include <memory>

namespace sorla::learned_file {
namespace {

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalPtr = std::unique_ptr<void, LocalFreer>;

bool token_is_app_container() {
  DWORD is_container = 0;
  DWORD size = 0;
  return GetTokenInformation(GetCurrentProcessToken(), TokenIsAppContainer, &is_container,
                             sizeof is_container, &size) &&
         is_container != 0;
}

bool (*g_app_container)() = token_is_app_container;

// Looked up, not imported: Windows 7 has no package identity and no export.
bool process_has_package() {
  using Query = LONG(WINAPI*)(UINT32*, PWSTR);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto query = kernel == nullptr ? nullptr
                                       : reinterpret_cast<Query>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel, "GetCurrentPackageFullName")));
  if (query == nullptr) return false;
  UINT32 length = 0;
  // With no room for the name, a packaged process hears that it needs more.
  return query(&length, nullptr) == ERROR_INSUFFICIENT_BUFFER;
}

bool (*g_package_identity)() = process_has_package;

LocalPtr all_app_packages() {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(L"S-1-15-2-1", &sid)) return nullptr;
  return LocalPtr(sid);
}

// The DACL of `path` and the descriptor that holds it.
struct Dacl {
  PACL acl = nullptr;
  LocalPtr descriptor;
};

Dacl dacl_of(const std::filesystem::path& path) {
  Dacl d;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &d.acl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  d.descriptor.reset(descriptor);
  return d;
}

bool is_app_packages_entry(void* ace, PSID sid) {
  const auto* header = static_cast<const ACE_HEADER*>(ace);
  if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERITED_ACE) != 0) {
    return false;
  }
  return EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, sid) != FALSE;
}

}  // namespace

bool in_app_container() { return g_app_container(); }

void set_app_container_query(bool (*query)()) {
  g_app_container = query != nullptr ? query : token_is_app_container;
}

bool has_package_identity() { return g_package_identity(); }

void set_package_identity_query(bool (*query)()) {
  g_package_identity = query != nullptr ? query : process_has_package;
}

PickStore pick_store(bool app_container, bool package_identity) {
  if (app_container) return PickStore::Process;
  return package_identity ? PickStore::ProcessFromFile : PickStore::UserFile;
}

PickStore pick_store() { return pick_store(in_app_container(), has_package_identity()); }

bool allows_app_packages(PACL acl) {
  const LocalPtr sid = all_app_packages();
  if (!sid || acl == nullptr) return false;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(acl, i, &ace) && is_app_packages_entry(ace, sid.get())) return true;
  }
  return false;
}

PACL without_app_packages(PACL acl) {
  const LocalPtr sid = all_app_packages();
  if (!sid || acl == nullptr) return nullptr;
  auto* copy = static_cast<PACL>(LocalAlloc(LPTR, acl->AclSize));
  if (copy == nullptr) return nullptr;
  LocalPtr owned(copy);
  if (!InitializeAcl(copy, acl->AclSize, acl->AclRevision)) return nullptr;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) return nullptr;
    if (is_app_packages_entry(ace, sid.get())) continue;
    if (!AddAce(copy, acl->AclRevision, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize)) {
      return nullptr;
    }
  }
  return static_cast<PACL>(owned.release());
}

bool revoke_app_packages(const std::filesystem::path& folder) {
  const Dacl d = dacl_of(folder);
  if (!d.descriptor) return false;
  if (!allows_app_packages(d.acl)) return true;
  const LocalPtr revoked(without_app_packages(d.acl));
  if (!revoked) return false;
  // Set on the folder, the change also reaches the files that inherited it.
  return SetNamedSecurityInfoW(const_cast<LPWSTR>(folder.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               static_cast<PACL>(revoked.get()), nullptr) == ERROR_SUCCESS;
}

}  // namespace sorla::learned_file
