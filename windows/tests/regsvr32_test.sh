#!/bin/sh
# Registers and unregisters sorla.dll with Wine's regsvr32, twice each, and
# checks the registry after each round. The 32-bit DLL goes through the
# 32-bit regsvr32 and lands in the 32-bit registry view.
# Usage: regsvr32_test.sh WINE_RUN DLL ARCH
set -eu
run=$1
dll=$2
arch=$3

. "$(dirname "$0")/registration_checks.sh"

case $arch in
  x86_64|AMD64|amd64) regsvr32='C:\windows\system32\regsvr32.exe'; view=/reg:64; other=/reg:32 ;;
  *) regsvr32='C:\windows\syswow64\regsvr32.exe'; view=/reg:32; other=/reg:64 ;;
esac

win_dll=$("$run" winepath -w "$dll" 2>/dev/null | tr -d '\r')
[ -n "$win_dll" ] || fail "winepath gave no Windows path for $dll"

for round in 1 2; do
  "$run" "$regsvr32" /s "$win_dll" || fail "regsvr32 round $round failed"
  check_registered "$view" "$win_dll"
  if has_key "$class_key" "$other"; then fail "the class key is also in the $other view"; fi
  echo "registered ($round)"
done
for round in 1 2; do
  "$run" "$regsvr32" /u /s "$win_dll" || fail "regsvr32 /u round $round failed"
  check_unregistered "$view"
  echo "unregistered ($round)"
done
