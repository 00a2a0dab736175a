#!/bin/sh
# Registers and unregisters sorla.dll with Wine's regsvr32, twice each, and
# checks the registry after each round. The 32-bit DLL goes through the
# 32-bit regsvr32 and lands in the 32-bit registry view.
# Usage: regsvr32_test.sh WINE_RUN DLL ARCH
set -eu
run=$1
dll=$2
arch=$3

clsid='{B4AEB260-69D0-4AEF-8139-D77D12AB9462}'
profile='{312E7AB2-1452-405A-817C-96B1E55FA2F5}'
class_key="HKLM\\SOFTWARE\\Classes\\CLSID\\$clsid"
tip_key="HKLM\\SOFTWARE\\Microsoft\\CTF\\TIP\\$clsid"
categories='34745C63-B2F0-4784-8B67-5E12C8701A31 046B8C80-1647-40F7-9B21-B93B81AABC1B
13A016DF-560B-46CD-947A-4C3AF1E0E35D 25504FB4-7BAB-4BC1-9C69-CF81890F0EF5
49D2F9CF-1F5E-11D7-A6D3-00065B84435C'

case $arch in
  x86_64|AMD64|amd64) regsvr32='C:\windows\system32\regsvr32.exe'; view=/reg:64; other=/reg:32 ;;
  *) regsvr32='C:\windows\syswow64\regsvr32.exe'; view=/reg:32; other=/reg:64 ;;
esac

fail() { echo "FAIL: $*"; exit 1; }
reg() { "$run" reg "$@" 2>/dev/null | tr -d '\r'; }
has_key() { "$run" reg query "$1" "$2" >/dev/null 2>&1; }

win_dll=$("$run" winepath -w "$dll" 2>/dev/null | tr -d '\r')
[ -n "$win_dll" ] || fail "winepath gave no Windows path for $dll"

check_registered() {
  reg query "$class_key" /ve "$view" | grep -q 'REG_SZ[[:space:]]*Sorla$' ||
    fail "$class_key has no default value Sorla"
  server=$(reg query "$class_key\\InprocServer32" /ve "$view" |
    sed -n 's/.*REG_SZ[[:space:]]*//p')
  [ "$(printf "%s" "$server" | tr A-Z a-z)" = "$(printf "%s" "$win_dll" | tr A-Z a-z)" ] ||
    fail "InprocServer32 is '$server', expected '$win_dll'"
  reg query "$class_key\\InprocServer32" /v ThreadingModel "$view" |
    grep -q 'REG_SZ[[:space:]]*Apartment$' || fail "ThreadingModel is not Apartment"
  if has_key "$class_key" "$other"; then fail "the class key is also in the $other view"; fi
  has_key "$tip_key\\LanguageProfile\\0x00000453\\$profile" "$view" ||
    fail "no Khmer language profile under $tip_key"
  tip=$(reg query "$tip_key" /s "$view")
  for category in $categories; do
    echo "$tip" | grep -qi "$category" || fail "category {$category} not registered"
  done
}

check_unregistered() {
  if has_key "$class_key" "$view"; then fail "$class_key is still there"; fi
  if has_key "$tip_key" "$view"; then fail "$tip_key is still there"; fi
}

for round in 1 2; do
  "$run" "$regsvr32" /s "$win_dll" || fail "regsvr32 round $round failed"
  check_registered
  echo "registered ($round)"
done
for round in 1 2; do
  "$run" "$regsvr32" /u /s "$win_dll" || fail "regsvr32 /u round $round failed"
  check_unregistered
  echo "unregistered ($round)"
done
