#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest: wine-exec.sh ARCH EXE ARGS.
# The loader is named outright, since Debian's wine wrapper picks the 32-bit
# one even where it cannot execute. WINEPREFIX comes from the caller (the
# test script gives each group of tests its own prefix).
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
case $1 in
  i686) export WINELOADER=/usr/lib/wine/wine WINEARCH=win32 ;;
  x86_64) export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64 ;;
  *) echo "wine-exec.sh: unknown architecture $1" >&2; exit 2 ;;
esac
shift
exe="$1"; shift
exec "$WINELOADER" "$exe" "$@"
