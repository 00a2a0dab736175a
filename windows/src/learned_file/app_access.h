// The learned file and Store apps. Microsoft's IME requirements let an input
// method reach read-only dictionaries in its install folder from inside an
// AppContainer, and ask it to share user data between apps in other ways
// than by opening the user's files to them ("IME must work in app
// container"; "if you try to circumvent app container security rules, your
// IME may be treated as malware"). So inside an AppContainer the service
// reads and writes no user file: it types with the shipped word data and
// the picks made in that process. Earlier versions let "ALL APPLICATION
// PACKAGES" (S-1-15-2-1) read %APPDATA%\Sorla, and with it every pick the
// user made; that entry is taken out again.
//
// A packaged desktop application (one with package identity, outside an
// AppContainer) runs with its writes under AppData virtualized: "New files
// and folders created under [AppData\Roaming] are redirected to a per-user,
// per-package private location"; a file open looks there first and "if this
// location doesn't exist, the OS will attempt to open the file from the real
// AppData location" (Microsoft Learn, "Understanding how packaged desktop apps
// run on Windows", AppData operations). Its lock file and temporary files
// would be private copies that exclude and reach nobody, so it writes none;
// reading the user's file is sound, so it starts from the user's picks and
// keeps those made in it in the process.
#pragma once

#include <windows.h>

#include <filesystem>

namespace sorla::learned_file {

bool in_app_container();
// Tests stand in their own answer; none puts the token's back.
void set_app_container_query(bool (*query)());

// Whether the process has package identity (GetCurrentPackageFullName
// succeeds); tests stand in their own answer as above.
bool has_package_identity();
void set_package_identity_query(bool (*query)());

// Where a process keeps the picks made in it.
enum class PickStore {
  UserFile,         // a desktop application: the user's learned.json, read and written
  ProcessFromFile,  // a packaged one: the user's file read once, nothing written
  Process,          // an AppContainer: no user file at all
};
PickStore pick_store(bool app_container, bool package_identity);
PickStore pick_store();

// Whether `acl` (may be null) has an entry of its own, not inherited, that
// allows all application packages anything.
bool allows_app_packages(PACL acl);
// `acl` without such entries, every other entry kept in order; freed with
// LocalFree. Null when `acl` is null or the copy cannot be made.
PACL without_app_packages(PACL acl);
// Takes such entries off `folder`'s DACL; the files in it, which inherited
// them, lose them with it. True when none is left.
bool revoke_app_packages(const std::filesystem::path& folder);

}  // namespace sorla::learned_file
