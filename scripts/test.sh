#!/usr/bin/env bash
# The whole test suite, from a fresh Debian machine: installs what is
# missing, builds for 32 and 64 bits, prepares Wine prefixes with virtual
# floppy drives and a virtual display, and runs every test under Wine.
# Exits non-zero when anything fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "The tests mount virtual floppies (tmpfs) and must run as root." >&2
  exit 1
fi

qv_log "Installing dependencies"
"$QV_ROOT/scripts/install-deps.sh"

build=${QV_BUILD_DIR:-$QV_ROOT/build}
qv_log "Building for i686 in $build"
qv_build i686 "$build"
qv_log "Building for x86_64 (compile check only)"
qv_build x86_64 "$build-x64"

wine_root="$build/wine"
qv_log "Preparing Wine prefixes with floppy drives a: and b:, and one without"
qv_mount_floppy "$wine_root/mnt/a"
qv_mount_floppy "$wine_root/mnt/b"
qv_make_prefix "$wine_root/floppy" "a=$wine_root/mnt/a" "b=$wine_root/mnt/b"
qv_make_prefix "$wine_root/nodrive"
# The display first: the Wine session started next attaches to it.
qv_start_xvfb
qv_start_wineserver "$wine_root/floppy"
qv_start_wineserver "$wine_root/nodrive"

qv_log "Running the tests"
ctest --test-dir "$build" --output-on-failure "$@"
