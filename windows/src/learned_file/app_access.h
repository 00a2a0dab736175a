// The learned file and Store apps. Inside an AppContainer %APPDATA% is the
// package's own folder and the user's file can only be read through its
// ACL: there the service reads the user's picks but never writes (picks made
// there live in memory for that activation). A desktop save lets "ALL
// APPLICATION PACKAGES" (S-1-15-2-1) read the Sorla folder and everything
// in it, so sandboxed applications see the same picks.
#pragma once

#include <windows.h>

#include <filesystem>

namespace sorla::learned_file {

bool in_app_container();
// Tests stand in their own answer; none puts the token's back.
void set_app_container_query(bool (*query)());

// Adds an inheritable read entry for all application packages to `folder`'s
// DACL, unless one is there; true when it is there afterwards.
bool grant_app_packages_read(const std::filesystem::path& folder);
// `acl` (may be null) with an inheritable read entry for all application
// packages added: what the grant sets on the folder. Freed with LocalFree.
PACL with_app_packages_read(PACL acl);
// Whether `acl` allows all application packages anything, inherited by the
// folder's files and subfolders.
bool allows_app_packages(PACL acl);

}  // namespace sorla::learned_file
