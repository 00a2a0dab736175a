#!/bin/sh
# Checks a built sorla.dll: it imports system DLLs only (libgcc, libstdc++
# and winpthread are linked in) and exports exactly DllMain, the four COM
# server entry points and DllInstall, undecorated.
# Usage: check_dll.sh OBJDUMP DLL
set -eu
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll")

status=0
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no imports found in $dll"; exit 1; }
for name in $imports; do
  case $name in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll|oleaut32.dll|shell32.dll|\
    msvcrt.dll|ucrtbase.dll|api-ms-win-crt-*.dll|dwmapi.dll|shcore.dll|uxtheme.dll) ;;
    *) echo "imports a non-system DLL: $name"; status=1 ;;
  esac
done

exports=$(printf '%s\n' "$dump" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && NF == 0 { on = 0 }
  on { print $NF }' | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllInstall DllMain DllRegisterServer \
  DllUnregisterServer)
if [ "$exports" != "$expected" ]; then
  echo "exports differ from the six entry points:"
  printf '%s\n' "$exports"
  status=1
fi

[ $status -eq 0 ] && echo "imports: $(echo $imports)"
exit $status
