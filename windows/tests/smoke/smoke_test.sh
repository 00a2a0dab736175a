#!/bin/sh
# Registers sorla.dll with Wine's regsvr32, runs the smoke program (typing
# through Wine's own TSF), and unregisters the DLL again: once as built, with
# the built-in word list, and from a folder that holds the shipped word data
# beside the DLL: once built from it, once mapped from its prebuilt index;
# and once typing a word the user adds meanwhile.
# Usage: smoke_test.sh WINE_RUN DLL SMOKE_EXE ARCH WORDS.srla MAKE_INDEX_EXE
set -eu
run=$1
dll=$2
smoke=$3
arch=$4
words=$5
make_index=$6

case $arch in
  x86_64|AMD64|amd64) regsvr32='C:\windows\system32\regsvr32.exe' ;;
  *) regsvr32='C:\windows\syswow64\regsvr32.exe' ;;
esac

# smoke_with DLL [LETTERS EXPECTED]
smoke_with() {
  win_dll=$("$run" winepath -w "$1" 2>/dev/null | tr -d '\r')
  [ -n "$win_dll" ] || { echo "FAIL: winepath gave no Windows path for $1"; return 1; }
  "$run" "$regsvr32" /s "$win_dll" || { echo "FAIL: regsvr32 failed"; return 1; }
  shift
  rc=0
  "$run" "$smoke" "$@" || rc=$?
  "$run" "$regsvr32" /u /s "$win_dll" || true
  return $rc
}

rc=0
echo "== the built-in word list"
smoke_with "$dll" || rc=1

echo "== a word of the user's own, added while the service is active"
# ដារា, a name the built-in list does not have.
smoke_with "$dll" dara 178A,17B6,179A,17B6 add || rc=1

echo "== the shipped word data beside the DLL"
shipped=$(dirname "$dll")/smoke-shipped
rm -rf "$shipped"
mkdir -p "$shipped"
cp "$dll" "$shipped/"
cp "$words" "$shipped/words-v3.srla"  # the name the DLL opens (word_data_file.h)
# ពិសា, a word the built-in list does not have, first only with the ranking
# numbers the data carries (with the specified ones a split, ពី + សារ, wins).
smoke_with "$shipped/$(basename "$dll")" pisa 1796,17B7,179F,17B6 || rc=1

echo "== the shipped word data and its index beside the DLL"
"$run" "$make_index" "$("$run" winepath -w "$shipped/words-v3.srla" 2>/dev/null | tr -d '\r')" ||
  { echo "FAIL: no index made"; rc=1; }
[ -s "$shipped/words-v3-index-v6.sidx" ] || { echo "FAIL: words-v3-index-v6.sidx is missing"; rc=1; }
smoke_with "$shipped/$(basename "$dll")" pisa 1796,17B7,179F,17B6 || rc=1
rm -rf "$shipped"
exit $rc
