#!/usr/bin/env bash
# The Windows release holds what it promises: every program built as a
# release program, each a 32-bit program (Quorvane.exe a GUI one, the rest
# console ones) that starts on Windows 95 as first sold and NT 4.0: it
# imports only what tests/release-imports.txt lists, from Windows system
# DLLs, none from a C run-time DLL. As unzipped, its sample is a clean
# package: QvCheck finds no problem and QvImage writes every disk (run
# under Wine's 32-bit loader, in the prefix WINEPREFIX names, when both are
# there).
#
#   tests/check-release.sh [--probe PROBE.exe] Quorvane.exe PROGRAM.exe...
#
# The programs are the release programs as built, Quorvane.exe first. With
# PROBE, an exe that imports a function off the list and asks for a later
# system, the check is also shown to refuse what it must refuse.
set -euo pipefail
probe=""
if [ "${1:-}" = --probe ]; then
  probe=$2
  shift 2
fi
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
list="$here/release-imports.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zip=$("$here/../scripts/release.sh" --exe "$exe" --out "$work")

entries=$(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^$' | sort | tr '\n' ' ')
expected=$( (for program in "$@"; do basename "$program"; done
  echo Quorvane.ini README.txt disk1/ disk1/setup.exe disk1/setup.ini disk2/ disk2/data.cab license.txt packlist.ini) |
  tr ' ' '\n' | sort | tr '\n' ' ')
if [ "$entries" != "$expected" ]; then
  echo "the release holds [$entries], expected [$expected]"
  exit 1
fi

unzip -q "$zip" -d "$work/x"
packed=$(echo "$work"/x/*/Quorvane.exe)
for program in "$work"/x/*/*.exe; do
  kind=console
  [ "$program" != "$packed" ] || kind=GUI
  file "$program" | grep -q "PE32 executable ($kind) Intel 80386" || { file "$program"; exit 1; }
  "$here/check-imports.sh" "$program" "$list"
done

readme=$(echo "$work"/x/*/README.txt)
grep -q $'\r$' "$readme" || { echo "README.txt lacks Windows line ends"; exit 1; }
for system in "Windows 95 as first sold" "NT 4.0" "486 or any later processor" "QvImage /out" \
  "QvImage /format 1680" "QvCheck /format 720" "QvImage /gotek" "nav-mode = indexed" "QvPlan /fewest"; do
  grep -q "$system" "$readme" || { echo "README.txt does not mention $system"; exit 1; }
done
for gone in "Vista" "MSVCRT"; do
  if grep -q "$gone" "$readme"; then
    echo "README.txt still names $gone"
    exit 1
  fi
done

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
# Built on MinGW's start-up, the probe imports the C run-time DLL, which no
# list makes right.
{ cat "$list"; printf '[MSVCRT.DLL]\n'; } >"$work/crt.txt"
expect_refusal "an exe importing from MSVCRT.DLL, against a list naming it" "$probe" "$work/crt.txt" \
  "imports from MSVCRT.DLL, a C run-time DLL, which Windows 95 as first sold lacks"
grep -v '^CloseHandle\b' "$list" >"$work/short.txt"
expect_refusal "the release against a list without CloseHandle" "$packed" "$work/short.txt" \
  "imports KERNEL32.DLL CloseHandle, which is not on the list"
awk '/^\[/ { skip = ($0 == "[SHELL32.DLL]") } !skip' "$list" >"$work/noshell.txt"
expect_refusal "the release against a list without SHELL32.DLL" "$packed" "$work/noshell.txt" \
  "imports from SHELL32.DLL, which is not on the list"
echo "the import check refuses an unlisted function, an unlisted DLL, a C run-time DLL and a later system"
