#!/usr/bin/env bash
# Whether a 32-bit exe starts on Windows 95 and NT 4.0: it asks for no later
# system version than 4.0, imports from no C run-time DLL (Windows 95 as
# first sold has none), and imports only functions on LIST (a file laid
# out as tests/release-imports.txt) from the DLLs LIST names.
#
#   tests/check-imports.sh EXE LIST
#
# Prints every problem found, not just the first; exits 1 if there is any.
set -euo pipefail
exe=$1 list=$2

dump=$(i686-w64-mingw32-objdump -p "$exe")
problems=()

grep -q '^Magic[[:space:]]*010b' <<<"$dump" || problems+=("not a 32-bit (PE32) executable")

# "4 0" as written by the linker; anything above 4.0 is refused by Windows 95.
version() { sed -n "s/^$1[[:space:]]*//p" <<<"$dump"; }
for kind in OSystem Subsystem; do
  major=$(version "Major${kind}Version") minor=$(version "Minor${kind}Version")
  if [ -z "$major" ] || [ -z "$minor" ]; then
    problems+=("no Major/Minor${kind}Version in the header")
  elif [ "$major" -gt 4 ] || { [ "$major" -eq 4 ] && [ "$minor" -gt 0 ]; }; then
    label=$([ $kind = OSystem ] && echo "operating system" || echo "subsystem")
    problems+=("asks for $label version $major.$minor; Windows 95 and NT 4.0 are 4.0")
  fi
done

# "DLL FUNCTION" for each import; "DLL #ordinal" for one by ordinal.
imports=$(awk '
  /^The Import Tables/ { inside = 1; next }
  /^The / { inside = 0 }
  !inside { next }
  /^\tDLL Name: / { dll = toupper($3); next }
  dll != "" && /^\t[0-9a-fA-F]+\t/ { print dll, ($0 ~ /<none>/ ? "#" $2 : $3) }
' <<<"$dump" | sort -u)
allowed=$(awk '
  /^[[:space:]]*(#|$)/ { next }
  /^\[.*\]$/ { dll = toupper(substr($0, 2, length($0) - 2)); print dll, ""; next }
  { print dll, $1 }
' "$list" | sort -u)

if [ -z "$imports" ]; then
  problems+=("no import table found")
fi
unlisted_dlls=" "
while read -r dll function; do
  [ -n "$dll" ] || continue
  case $dll in
    MSVCRT.DLL | CRTDLL.DLL | MSVCR*.DLL | UCRTBASE.DLL | API-MS-*)
      case $unlisted_dlls in *" $dll "*) continue ;; esac
      unlisted_dlls+="$dll "
      problems+=("imports from $dll, a C run-time DLL, which Windows 95 as first sold lacks")
      continue ;;
  esac
  if ! grep -qxF "$dll " <<<"$allowed"; then
    case $unlisted_dlls in *" $dll "*) continue ;; esac
    unlisted_dlls+="$dll "
    problems+=("imports from $dll, which is not on the list")
  elif ! grep -qxF "$dll $function" <<<"$allowed"; then
    problems+=("imports $dll $function, which is not on the list")
  fi
done <<<"$imports"

if [ ${#problems[@]} -ne 0 ]; then
  for problem in "${problems[@]}"; do
    echo "$(basename "$exe"): $problem"
  done
  exit 1
fi
echo "$(basename "$exe"): $(wc -l <<<"$imports") imports, all on $(basename "$list"); system version 4.0"
