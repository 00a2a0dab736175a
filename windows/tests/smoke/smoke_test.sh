#!/bin/sh
# Registers sorla.dll with Wine's regsvr32, runs the smoke program (typing
# through Wine's own TSF), and unregisters the DLL again.
# Usage: smoke_test.sh WINE_RUN DLL SMOKE_EXE ARCH
set -eu
run=$1
dll=$2
smoke=$3
arch=$4

case $arch in
  x86_64|AMD64|amd64) regsvr32='C:\windows\system32\regsvr32.exe' ;;
  *) regsvr32='C:\windows\syswow64\regsvr32.exe' ;;
esac

win_dll=$("$run" winepath -w "$dll" 2>/dev/null | tr -d '\r')
[ -n "$win_dll" ] || { echo "FAIL: winepath gave no Windows path for $dll"; exit 1; }
"$run" "$regsvr32" /s "$win_dll" || { echo "FAIL: regsvr32 failed"; exit 1; }
rc=0
"$run" "$smoke" || rc=$?
"$run" "$regsvr32" /u /s "$win_dll" || true
exit $rc
