#!/bin/sh
# The setup program under Wine, in a fresh prefix: a silent install of an
# "older" release that ships one more file (files, both registrations, the
# Add/Remove entry, then typing through Wine's TSF with the installed DLL),
# the 32-bit DLL unregistered alone (the 64-bit one must still type), an
# upgrade while a process holds the older DLL loaded (exit 3010; the old
# DLL and its word data, under the name the new release no longer ships,
# stay as they were until the restart that finishes it), the keyboard step for a second user (Active Setup),
# silent uninstalls that keep and that remove the learned words, installs
# whose registration fails, which must leave the machine as it was, and an
# install on 32-bit Windows (a win32 prefix).
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

installed_files() {  # DIR (unix) DIST_ARCH_DIR: every file the release ships, and no icon file
  for f in $(ls "$2"); do
    cmp -s "$1/$f" "$2/$f" || fail "$1/$f is missing or not the one built"
  done
  [ ! -e "$1/sorla.ico" ] || fail "a loose sorla.ico is installed in $1"
}

check_installed() {  # [DIST]
  from=${1:-$root/dist}
  installed_files "$drive/Program Files/Sorla" "$from/x64"
  [ -f "$drive/Program Files/Sorla/uninstall.exe" ] || fail "no uninstall.exe"
  check_registered /reg:64 "$x64_dir\\sorla.dll"
  if [ $with32 = yes ]; then
    installed_files "$drive/Program Files (x86)/Sorla" "$from/x86"
    check_registered /reg:32 "$x86_dir\\sorla.dll"
  else
    [ ! -e "$drive/Program Files (x86)/Sorla" ] || fail "32-bit files installed without WOW64"
    check_unregistered /reg:32
  fi
  entry=$(reg query "$uninstall_key" /reg:64)
  for value in "DisplayName.*Sorla" "DisplayVersion.*$version" "Publisher" "DisplayIcon.*sorla.dll,0" \
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

# SETUP_UNIX_PATH: runs the setup silently and prints its whole exit status
# (Wine hands a Unix parent only its low byte: 3010 would read as 194).
setup_status() {
  cp "$1" "$drive/setup-under-test.exe"
  printf '@C:\\setup-under-test.exe /S\r\n@echo status=%%errorlevel%%\r\n' >"$drive/setup-and-status.cmd"
  "$run" cmd /c 'C:\setup-and-status.cmd' | tr -d '\r' | sed -n 's/^status=//p'
}

# An earlier release as far as this test can tell: the same program, shipping
# two files more, its word data and index under the names of the release
# before this one, which read data file version 2 and index version 5 (this
# one ships words-v3.srla and words-v3-index-v6.sidx).
older=$work/older-dist
cp -r "$root/dist" "$older"
for arch in x64 x86; do
  echo "word data of the older release" >"$older/$arch/words-v2.srla"
  echo "index of the older release" >"$older/$arch/words-v2-index-v5.sidx"
done
sh "$root/scripts/installer" "$older" "$work/older-setup.exe" $( [ $with32 = yes ] || echo -DAMD64 ) >/dev/null
log=

echo "== silent install of the older release into a fresh prefix"
"$run" "$work/older-setup.exe" /S || fail "the silent install failed"
check_installed "$older"
temp=$("$run" winepath -u "$("$run" cmd /c echo %TEMP% | tr -d '\r')" | tr -d '\r')
log=$temp/sorla-setup.log
grep -i "keyboard" "$log" || fail "the setup log says nothing of the keyboard"
grep "Started by: " "$log" || fail "the setup log does not say who started it"
signin_key='HKLM\Software\Microsoft\Active Setup\Installed Components\'$clsid
if has_key "$signin_key" /reg:64; then fail "setup ran as the user at the screen, yet left a sign-in step"; fi
echo "installed; checking that the text service types from there"
"$run" "$smoke" tonle 1791,1793,17D2,179B,17C1 || fail "the installed text service did not type"

if [ $with32 = yes ]; then
  echo "== the 32-bit DLL unregistered alone: the 64-bit one still types"
  "$run" 'C:\windows\syswow64\regsvr32.exe' /s /u "$x86_dir\\sorla.dll" || fail "regsvr32 /u of the 32-bit DLL failed"
  check_registered /reg:64 "$x64_dir\\sorla.dll"
  "$run" "$smoke" tonle 1791,1793,17D2,179B,17C1 || fail "the 64-bit text service lost its profile"
  "$run" 'C:\windows\syswow64\regsvr32.exe' /s "$x86_dir\\sorla.dll" || fail "registering the 32-bit DLL again failed"
  check_installed "$older"
fi

echo "== upgrade while a process holds the older DLL"
marker=$work/holding
rm -f "$marker"
"$run" "$hold_dll" "$x64_dir\\sorla.dll" "$("$run" winepath -w "$marker" | tr -d '\r')" &
holder=$!
for i in $(seq 1 200); do [ -f "$marker" ] && break; sleep 0.1; done
[ -f "$marker" ] || fail "the helper did not load the DLL"
rc=$(setup_status "$setup")
[ "$rc" = 3010 ] || fail "the upgrade over a DLL in use exited '$rc', not 3010 (restart needed)"
check_installed
grep -q "Restart Windows to finish the update" "$log" || fail "the log does not say a restart finishes the update"
pending=$(reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
  /v PendingFileRenameOperations /reg:64 || true)
held="$drive/Program Files/Sorla"
printf "%s\n" "$pending" | grep -qi 'sorla.dll.old-1' || fail "sorla.dll.old-1 is not scheduled for deletion"
[ -f "$held/sorla.dll.old-1" ] || fail "sorla.dll.old-1 is not there"
# The older DLL, still running, keeps finding its own data and index by the
# names it opens, never the newer ones it could not read.
cmp -s "$held/words-v2.srla" "$older/x64/words-v2.srla" ||
  fail "the older DLL's word data changed or went while that DLL runs"
cmp -s "$held/words-v2-index-v5.sidx" "$older/x64/words-v2-index-v5.sidx" ||
  fail "the older DLL's index changed or went while that DLL runs"
cmp -s "$held/words-v3.srla" "$root/dist/x64/words-v3.srla" || fail "the new word data is not in place"
cmp -s "$held/words-v3-index-v6.sidx" "$root/dist/x64/words-v3-index-v6.sidx" ||
  fail "the new index is not in place"
printf "%s\n" "$pending" | grep -qi 'words-v2.srla' || fail "words-v2.srla is not scheduled for deletion"
printf "%s\n" "$pending" | grep -qi 'words-v2-index-v5.sidx' ||
  fail "words-v2-index-v5.sidx is not scheduled for deletion"
rm -f "$marker"
wait $holder || fail "the helper failed"
"$run" wineboot -r  # a restart, as Wine has it: the pending deletions are done
[ ! -e "$held/sorla.dll.old-1" ] || fail "the restart left sorla.dll.old-1"
[ ! -e "$held/words-v2.srla" ] || fail "the restart left words-v2.srla"
[ ! -e "$held/words-v2-index-v5.sidx" ] || fail "the restart left words-v2-index-v5.sidx"
check_installed

echo "== an upgrade with nothing running drops the older release's word data at once"
"$run" "$work/older-setup.exe" /S || fail "reinstalling the older release failed"
"$run" "$setup" /S || fail "the upgrade failed"
check_installed
[ ! -e "$held/words-v2.srla" ] || fail "words-v2.srla outlived an upgrade with nothing running"
[ ! -e "$held/words-v2-index-v5.sidx" ] ||
  fail "words-v2-index-v5.sidx outlived an upgrade with nothing running"
ls "$held" | grep -q 'old-' && fail "set-aside files outlived an upgrade with nothing running: $(ls "$held")"

echo "== the keyboard step for a second user: added at their next sign-in"
other_user=S-1-5-21-1000-2000-3000-1042
"$run" 'C:\windows\system32\regsvr32.exe' /s /n "/i:add=$other_user" "$x64_dir\\sorla.dll" ||
  fail "DllInstall add for another user failed"
stub=$(reg query "$signin_key" /v StubPath /reg:64) || fail "no sign-in step for the second user"
printf '%s\n' "$stub" | grep -qi "regsvr32.exe\" /s /n /i:signin=$other_user \"C:\\\\Program Files\\\\Sorla\\\\sorla.dll\"" ||
  fail "the sign-in step is not the one for $other_user: $stub"
# At anyone else's sign-in the step does nothing, and says so without failing.
"$run" 'C:\windows\system32\regsvr32.exe' /s /n "/i:signin=$other_user" "$x64_dir\\sorla.dll" ||
  fail "the sign-in step failed for a user it is not meant for"

echo "== silent uninstall keeps the learned words"
appdata=$("$run" cmd /c echo %APPDATA% | tr -d '\r')
learned_dir=$("$run" winepath -u "$appdata\\Sorla" | tr -d '\r')
mkdir -p "$learned_dir"
echo '{"version":1,"picks":[]}' >"$learned_dir/learned.json"
printf '\341\236\200\tka\n' >"$learned_dir/words.txt"
uninstall
check_removed
if has_key "$signin_key" /reg:64; then fail "uninstall left the sign-in step"; fi
[ -f "$learned_dir/learned.json" ] || fail "the learned words were removed"
[ -f "$learned_dir/words.txt" ] || fail "the added words were removed"

echo "== silent uninstall with /REMOVEDATA"
"$run" "$setup" /S || fail "the second install failed"
uninstall /REMOVEDATA
check_removed
[ ! -e "$learned_dir/learned.json" ] || fail "/REMOVEDATA kept the learned words"
[ ! -e "$learned_dir/words.txt" ] || fail "/REMOVEDATA kept the added words"
tr -d '\r' <"$log" | grep -F "Removed the learned and added words of " | tail -1 | grep -qi 'Sorla$' ||
  fail "the log does not say whose learned words went, and where"

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
