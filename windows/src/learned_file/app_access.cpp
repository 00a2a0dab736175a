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

bool allows(PACL acl, PSID sid) {
  if (acl == nullptr) return false;
  constexpr BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (EqualSid(&allowed->SidStart, sid) && (header->AceFlags & kInherited) == kInherited) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool in_app_container() { return g_app_container(); }

void set_app_container_query(bool (*query)()) {
  g_app_container = query != nullptr ? query : token_is_app_container;
}

PACL with_app_packages_read(PACL acl) {
  const LocalPtr sid = all_app_packages();
  if (!sid) return nullptr;
  EXPLICIT_ACCESSW entry{};
  entry.grfAccessPermissions = GENERIC_READ | GENERIC_EXECUTE;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = static_cast<LPWSTR>(sid.get());
  PACL granted = nullptr;
  if (SetEntriesInAclW(1, &entry, acl, &granted) != ERROR_SUCCESS) return nullptr;
  return granted;
}

bool allows_app_packages(PACL acl) {
  const LocalPtr sid = all_app_packages();
  return sid && allows(acl, sid.get());
}

bool grant_app_packages_read(const std::filesystem::path& folder) {
  const Dacl d = dacl_of(folder);
  if (!d.descriptor) return false;
  if (allows_app_packages(d.acl)) return true;
  const LocalPtr granted(with_app_packages_read(d.acl));
  if (!granted) return false;
  // Set on the folder, the entry also reaches the files already in it.
  return SetNamedSecurityInfoW(const_cast<LPWSTR>(folder.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               static_cast<PACL>(granted.get()), nullptr) == ERROR_SUCCESS;
}

}  // namespace sorla::learned_file
