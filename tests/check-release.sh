#!/usr/bin/env bash
# The Windows release holds what it promises, and its Quorvane.exe is a
# 32-bit GUI program that starts on Windows 95 and NT 4.0: it imports only
# what tests/release-imports.txt lists, from Windows system DLLs. As
# unzipped, its sample is a clean package: QvCheck finds no problem and
# QvImage writes every disk (run under Wine's 32-bit loader, in the prefix
# WINEPREFIX names, when both are there).
#
#   tests/check-release.sh Quorvane.exe [PROBE.exe]
#
# With PROBE, an exe that imports a function off the list and asks for a
# later system, the check is also shown to refuse what it must refuse.
set -euo pipefail
exe=$1 probe=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
list="$here/release-imports.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zip=$("$here/../scripts/release.sh" --exe "$exe" --out "$work")

entries=$(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^$' | sort | tr '\n' ' ')
expected="Quorvane.exe Quorvane.ini QvCheck.exe QvImage.exe QvPlan.exe README.txt disk1/ disk1/setup.exe disk1/setup.ini "
expected+="disk2/ disk2/data.cab license.txt packlist.ini "
if [ "$entries" != "$expected" ]; then
  echo "the release holds [$entries], expected [$expected]"
  exit 1
fi

unzip -q "$zip" -d "$work/x"
packed=$(echo "$work"/x/*/Quorvane.exe)
file "$packed" | grep -q 'PE32 executable (GUI) Intel 80386' || { file "$packed"; exit 1; }
"$here/check-imports.sh" "$packed" "$list"
checker=$(echo "$work"/x/*/QvCheck.exe)
file "$checker" | grep -q 'PE32 executable (console) Intel 80386' || { file "$checker"; exit 1; }
"$here/check-imports.sh" "$checker" "$list"
for tool in QvImage QvPlan; do
  console=$(echo "$work"/x/*/$tool.exe)
  file "$console" | grep -q 'PE32 executable (console) Intel 80386' || { file "$console"; exit 1; }
  "$here/check-imports.sh" "$console" "$list"
done

readme=$(echo "$work"/x/*/README.txt)
grep -q $'\r$' "$readme" || { echo "README.txt lacks Windows line ends"; exit 1; }
for system in "Windows 95" "NT 4.0" "MSVCRT.DLL" "486 or any later processor" "QvImage /out" \
  "QvImage /format 1680" "QvCheck /format 720" "QvImage /gotek" "nav-mode = indexed" "QvPlan /fewest"; do
  grep -q "$system" "$readme" || { echo "README.txt does not mention $system"; exit 1; }
done
if grep -q "Vista" "$readme"; then
  echo "README.txt still names Vista"
  exit 1
fi

# run PROGRAM ARGS...: runs a program of the unzipped release in its folder.
unzipped=$(dirname "$packed")
run() { (cd "$unzipped" && "$here/../scripts/wine-exec.sh" i686 "$@" 2>&1 | tr -d '\r'); }
if [ -d "${WINEPREFIX:-/nonexistent}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  said=$(run QvCheck.exe) || { echo "QvCheck in the unzipped release exits $?:"; echo "$said"; exit 1; }
  grep -q "No problems found." <<<"$said" || { echo "QvCheck said:"; echo "$said"; exit 1; }
  mkdir "$work/images"
  said=$(run QvImage.exe /out "Z:${work//\//\\}\\images") || { echo "QvImage in the unzipped release exits $?:"; echo "$said"; exit 1; }
  "$here/../scripts/check-images.sh" "$unzipped/packlist.ini" "$unzipped" "$work/images"
  echo "the unzipped release checks clean and writes its sample's images"
else
  echo "the unzipped release's QvCheck and QvImage are not run: no Wine prefix, or no 32-bit Wine here"
fi

[ -n "$probe" ] || exit 0

# expect_refusal WHAT EXE LIST MESSAGE...: the check fails on EXE against
# LIST, and says each MESSAGE.
expect_refusal() {
  local what=$1 target=$2 against=$3 said
  shift 3
  if said=$("$here/check-imports.sh" "$target" "$against"); then
    echo "the import check passed $what"
    exit 1
  fi
  for message in "$@"; do
    grep -qF "$message" <<<"$said" || { echo "for $what the check did not say \"$message\":"; echo "$said"; exit 1; }
  done
}
expect_refusal "an exe importing GetFileSizeEx and asking for Windows XP" "$probe" "$list" \
  "imports KERNEL32.DLL GetFileSizeEx, which is not on the list" \
  "asks for operating system version 5.1" \
  "asks for subsystem version 5.1"
grep -v '^CloseHandle\b' "$list" >"$work/short.txt"
expect_refusal "the release against a list without CloseHandle" "$packed" "$work/short.txt" \
  "imports KERNEL32.DLL CloseHandle, which is not on the list"
awk '/^\[/ { skip = ($0 == "[SHELL32.DLL]") } !skip' "$list" >"$work/noshell.txt"
expect_refusal "the release against a list without SHELL32.DLL" "$packed" "$work/noshell.txt" \
  "imports from SHELL32.DLL, which is not on the list"
echo "the import check refuses an unlisted function, an unlisted DLL and a later system"
