# Shell functions that check what sorla.dll registers, sourced by the
# regsvr32 and installer tests. Callers set `run` (the Wine runner) first.
# check_registered VIEW DLL: the class in registry view VIEW (/reg:64 or
# /reg:32) with DLL (a Windows path) as its server, and the Khmer profile
# and categories of the text service. check_unregistered VIEW: all of it gone.

clsid='{B4AEB260-69D0-4AEF-8139-D77D12AB9462}'
profile='{312E7AB2-1452-405A-817C-96B1E55FA2F5}'
class_key="HKLM\\SOFTWARE\\Classes\\CLSID\\$clsid"
tip_key="HKLM\\SOFTWARE\\Microsoft\\CTF\\TIP\\$clsid"
categories='34745C63-B2F0-4784-8B67-5E12C8701A31 046B8C80-1647-40F7-9B21-B93B81AABC1B
13A016DF-560B-46CD-947A-4C3AF1E0E35D 25504FB4-7BAB-4BC1-9C69-CF81890F0EF5
49D2F9CF-1F5E-11D7-A6D3-00065B84435C'

fail() { echo "FAIL: $*"; exit 1; }
reg() { "$run" reg "$@" 2>/dev/null | tr -d '\r'; }
has_key() { "$run" reg query "$1" "$2" >/dev/null 2>&1; }

check_registered() {
  view=$1
  dll=$2
  reg query "$class_key" /ve "$view" | grep -q 'REG_SZ[[:space:]]*Sorla$' ||
    fail "$class_key ($view) has no default value Sorla"
  server=$(reg query "$class_key\\InprocServer32" /ve "$view" |
    sed -n 's/.*REG_SZ[[:space:]]*//p')
  [ "$(printf "%s" "$server" | tr A-Z a-z)" = "$(printf "%s" "$dll" | tr A-Z a-z)" ] ||
    fail "InprocServer32 ($view) is '$server', expected '$dll'"
  reg query "$class_key\\InprocServer32" /v ThreadingModel "$view" |
    grep -q 'REG_SZ[[:space:]]*Apartment$' || fail "ThreadingModel ($view) is not Apartment"
  has_key "$tip_key\\LanguageProfile\\0x00000453\\$profile" "$view" ||
    fail "no Khmer language profile under $tip_key ($view)"
  tip=$(reg query "$tip_key" /s "$view")
  for category in $categories; do
    echo "$tip" | grep -qi "$category" || fail "category {$category} not registered ($view)"
  done
}

check_unregistered() {
  if has_key "$class_key" "$1"; then fail "$class_key ($1) is still there"; fi
  if has_key "$tip_key" "$1"; then fail "$tip_key ($1) is still there"; fi
}
