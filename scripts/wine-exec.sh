#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest. WINEPREFIX comes from the
# caller (the test script gives each group of tests its own prefix).
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exe="$1"; shift
exec wine "$exe" "$@"
