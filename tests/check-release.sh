#!/usr/bin/env bash
# The Windows release holds what it promises, and its Quorvane.exe is a
# 32-bit GUI program that imports nothing but Windows system DLLs.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zip=$("$(dirname "$0")/../scripts/release.sh" --exe "$exe" --out "$work")

entries=$(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^$' | sort | tr '\n' ' ')
expected="Quorvane.exe Quorvane.ini README.txt license.txt packlist.ini "
if [ "$entries" != "$expected" ]; then
  echo "the release holds [$entries], expected [$expected]"
  exit 1
fi

unzip -q "$zip" -d "$work/x"
packed=$(echo "$work"/x/*/Quorvane.exe)
file "$packed" | grep -q 'PE32 executable (GUI) Intel 80386' || { file "$packed"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$packed" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)
for dll in $imports; do
  case $dll in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|SHELL32.DLL|MSVCRT.DLL) ;;
    *) echo "Quorvane.exe imports $dll, which Windows does not ship"; exit 1 ;;
  esac
done
grep -q $'\r$' "$work"/x/*/README.txt || { echo "README.txt lacks Windows line ends"; exit 1; }
echo "release ok: $(basename "$zip"); imports: $(echo $imports)"
