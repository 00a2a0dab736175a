#!/bin/sh
# The setup program under Wine, in a fresh prefix: a silent install (files,
# both registrations, the Add/Remove entry, then typing through Wine's TSF
# with the installed DLL), an upgrade while a process holds the DLL loaded
# (and the restart that finishes it), silent uninstalls that keep and that
# remove the learned words, installs whose registration fails, which must
# leave the machine as it was, and an install on 32-bit Windows (a win32
# prefix).
#
# Where this machine runs no 32-bit programs, the 64-bit build of the setup
# program is tested, in a prefix without WOW64's regsvr32, as on a Windows
# without 32-bit support: only the 64-bit text service is installed.
# Usage: installer_test.sh WORK_DIR SMOKE_EXE HOLD_DLL_EXE
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
work=$1
smoke=$2
hold_dll=$3
run=$root/scripts/wine-run
version=$(sed -n 's/^#define SORLA_VERSION_STRING "\(.*\)"$/\1/p' "$root/build/native/generated/version.h")

. "$root/windows/tests/registration_checks.sh"

rm -rf "$work"
mkdir -p "$work"
export SORLA_WINEPREFIX=$work/prefix
drive=$SORLA_WINEPREFIX/drive_c
x64_dir='C:\Program Files\Sorla'
x86_dir='C:\Program Files (x86)\Sorla'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorla'

"$run" cmd /c ver >/dev/null 2>&1 || fail "no Wine prefix"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  with32=yes
  setup=$root/dist/sorla-setup-$version.exe
else
  with32=no
  setup=$root/build/installer/sorla-setup-$version-x64.exe
  rm -f "$drive/windows/syswow64/regsvr32.exe"
  echo "note: no 32-bit programs here: testing the 64-bit setup program, 64-bit text service only"
fi
[ -f "$setup" ] || fail "$setup is missing: make installer"

installed_files() {  # DIR (unix)
  for f in sorla.dll sorla.ico words.srla words.sidx; do
    cmp -s "$1/$f" "$2/$f" || fail "$1/$f is missing or not the one built"
  done
}

check_installed() {
  installed_files "$drive/Program Files/Sorla" "$root/dist/x64"
  [ -f "$drive/Program Files/Sorla/uninstall.exe" ] || fail "no uninstall.exe"
  check_registered /reg:64 "$x64_dir\\sorla.dll"
  if [ $with32 = yes ]; then
    installed_files "$drive/Program Files (x86)/Sorla" "$root/dist/x86"
    check_registered /reg:32 "$x86_dir\\sorla.dll"
  else
    [ ! -e "$drive/Program Files (x86)/Sorla" ] || fail "32-bit files installed without WOW64"
    check_unregistered /reg:32
  fi
  entry=$(reg query "$uninstall_key" /reg:64)
  for value in "DisplayName.*Sorla" "DisplayVersion.*$version" "Publisher" "DisplayIcon.*sorla.ico" \
    "EstimatedSize" "UninstallString.*uninstall.exe" "QuietUninstallString.*uninstall.exe\" /S"; do
    echo "$entry" | grep -q "$value" || fail "the Add/Remove entry has no $value"
  done
}

check_removed() {
  [ ! -e "$drive/Program Files/Sorla/sorla.dll" ] || fail "sorla.dll is still installed"
  [ ! -e "$drive/Program Files (x86)/Sorla/sorla.dll" ] || fail "the 32-bit sorla.dll is still installed"
  check_unregistered /reg:64
  check_unregistered /reg:32
  if has_key "$uninstall_key" /reg:64; then fail "the Add/Remove entry is still there"; fi
}

# OPTIONS...: the silent uninstall, waited for. Started with "_?=FOLDER" last
# and unquoted, the uninstaller runs in place and its exit status is the
# uninstall's (else it copies itself away and returns at once); only a batch
# file passes such a command line through Wine unchanged. Its own file stays.
uninstall() {
  printf '@"%s\\uninstall.exe" %%* _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$x64_dir" "$x64_dir" \
    >"$drive/uninstall-and-wait.cmd"
  "$run" cmd /c 'C:\uninstall-and-wait.cmd' /S "$@" || fail "uninstall $* failed"
  rm -f "$drive/Program Files/Sorla/uninstall.exe"
  rmdir "$drive/Program Files/Sorla" 2>/dev/null || true
}

echo "== silent install into a fresh prefix"
"$run" "$setup" /S || fail "the silent install failed"
check_installed
temp=$("$run" winepath -u "$("$run" cmd /c echo %TEMP% | tr -d '\r')" | tr -d '\r')
grep -i "keyboard" "$temp/sorla-setup.log" || fail "the setup log says nothing of the keyboard"
echo "installed; checking that the text service types from there"
"$run" "$smoke" tonle 1791,1793,17D2,179B,17C1 || fail "the installed text service did not type"

echo "== upgrade while a process holds the DLL"
marker=$work/holding
rm -f "$marker"
"$run" "$hold_dll" "$x64_dir\\sorla.dll" "$("$run" winepath -w "$marker" | tr -d '\r')" &
holder=$!
for i in $(seq 1 200); do [ -f "$marker" ] && break; sleep 0.1; done
[ -f "$marker" ] || fail "the helper did not load the DLL"
"$run" "$setup" /S || fail "the upgrade failed"
check_installed
pending=$(reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
  /v PendingFileRenameOperations /reg:64 || true)
if echo "$pending" | grep -qi 'sorla.dll.old-1'; then
  echo "the old DLL is set aside as sorla.dll.old-1 and deleted at the next restart"
  [ -f "$drive/Program Files/Sorla/sorla.dll.old-1" ] || fail "sorla.dll.old-1 is not there"
elif [ ! -e "$drive/Program Files/Sorla/sorla.dll.old-1" ]; then
  echo "note: Wine let the set-aside DLL be deleted at once, though loaded"
else
  fail "sorla.dll.old-1 is neither deleted nor scheduled for deletion"
fi
rm -f "$marker"
wait $holder || fail "the helper failed"
"$run" wineboot -r  # a restart, as Wine has it: the pending deletions are done
[ ! -e "$drive/Program Files/Sorla/sorla.dll.old-1" ] || fail "the restart left sorla.dll.old-1"
check_installed

echo "== silent uninstall keeps the learned words"
appdata=$("$run" cmd /c echo %APPDATA% | tr -d '\r')
learned_dir=$("$run" winepath -u "$appdata\\Sorla" | tr -d '\r')
mkdir -p "$learned_dir"
echo '{"version":1,"picks":[]}' >"$learned_dir/learned.json"
uninstall
check_removed
[ -f "$learned_dir/learned.json" ] || fail "the learned words were removed"

echo "== silent uninstall with /REMOVEDATA"
"$run" "$setup" /S || fail "the second install failed"
uninstall /REMOVEDATA
check_removed
[ ! -e "$learned_dir/learned.json" ] || fail "/REMOVEDATA kept the learned words"

echo "== a registration that fails"
broken=$work/broken-dist
cp -r "$root/dist" "$broken"
echo "not a DLL" >"$broken/x64/sorla.dll"
sh "$root/scripts/installer" "$broken" "$work/broken-setup.exe" -DAMD64 >/dev/null
rc=0
"$run" "$work/broken-setup.exe" /S || rc=$?
[ $rc -ne 0 ] || fail "the installer succeeded with a DLL that is not a DLL"
check_removed
[ ! -e "$drive/Program Files/Sorla" ] || fail "the failed install left $(ls "$drive/Program Files/Sorla")"

echo "== a registration that fails over an installed copy"
"$run" "$setup" /S || fail "the install before the failing upgrade failed"
rc=0
"$run" "$work/broken-setup.exe" /S || rc=$?
[ $rc -ne 0 ] || fail "the failing upgrade succeeded"
check_installed  # the copy before it, files and registrations, as it was
uninstall
check_removed

if [ $with32 = yes ]; then
  echo "== 32-bit Windows (a win32 prefix): the 32-bit build alone, in Program Files"
  export SORLA_WINEPREFIX=$work/prefix32
  drive=$SORLA_WINEPREFIX/drive_c
  WINEPREFIX=$SORLA_WINEPREFIX WINEARCH=win32 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" wine wineboot -i >/dev/null 2>&1 ||
    fail "no 32-bit Wine prefix"
  WINEPREFIX=$SORLA_WINEPREFIX wineserver -w
  touch "$SORLA_WINEPREFIX/.sorla-ready"
  "$run" "$setup" /S || fail "the install on 32-bit Windows failed"
  installed_files "$drive/Program Files/Sorla" "$root/dist/x86"
  check_registered /reg:32 "$x64_dir\\sorla.dll"
  uninstall
  check_removed
fi

echo "installer: all passed"
