#!/usr/bin/env bash
# The whole test suite, from a fresh Debian machine: installs what is
# missing, builds for 32 and 64 bits, prepares Wine prefixes with virtual
# floppy drives and a virtual display, and runs every test under Wine on
# each build this host can run: both, or only x86_64 where 32-bit Linux
# programs cannot execute (or QV_ONLY_X64=1 is set). Extra arguments go to
# ctest. Exits non-zero when anything fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "The tests mount virtual floppies (tmpfs) and must run as root." >&2
  exit 1
fi

qv_log "Installing dependencies"
"$QV_ROOT/scripts/install-deps.sh"

base=${QV_BUILD_DIR:-$QV_ROOT/build}
for arch in i686 x86_64; do
  qv_log "Building for $arch in $(qv_build_dir $arch "$base")"
  qv_build $arch "$(qv_build_dir $arch "$base")"
done

qv_probe_archs
if [ -n "$QV_NO_I686_WHY" ]; then
  qv_log "Only the x86_64 build runs under Wine here: $QV_NO_I686_WHY"
fi

for arch in $QV_ARCHS; do
  qv_use_arch $arch
  wine_root="$(qv_build_dir $arch "$base")/wine"
  qv_log "Preparing $WINEARCH Wine prefixes with floppy drives a: and b:, and one without"
  qv_mount_floppy "$wine_root/mnt/a"
  qv_mount_floppy "$wine_root/mnt/b"
  qv_make_prefix "$wine_root/floppy" "a=$wine_root/mnt/a" "b=$wine_root/mnt/b"
  qv_make_prefix "$wine_root/nodrive"
  # A medium larger than 2.88 MB in drive a:, as a USB stick picked by mistake.
  qv_mount_floppy "$wine_root/mnt/big" 4194304
  qv_make_prefix "$wine_root/big" "a=$wine_root/mnt/big"
done
# The display first: the Wine sessions started next attach to it.
qv_start_xvfb
for arch in $QV_ARCHS; do
  qv_use_arch $arch
  wine_root="$(qv_build_dir $arch "$base")/wine"
  qv_start_wineserver "$wine_root/floppy"
  qv_start_wineserver "$wine_root/nodrive"
  qv_start_wineserver "$wine_root/big"
done

failed=()
if [ -n "$QV_NO_I686_WHY" ]; then
  qv_log "Checking the i686 release (no Wine needed)"
  ctest --test-dir "$base" --output-on-failure -L no_wine "$@" || failed+=("i686 release")
fi
for arch in $QV_ARCHS; do
  qv_log "Running the tests of the $arch build"
  ctest --test-dir "$(qv_build_dir $arch "$base")" --output-on-failure "$@" || failed+=("$arch")
done

if [ -n "$QV_NO_I686_WHY" ]; then
  ran="x86_64 only; the i686 build was built and its release checked, but not run: $QV_NO_I686_WHY"
else
  ran="i686 and x86_64"
fi
if [ ${#failed[@]} -ne 0 ]; then
  echo "Tests FAILED on: ${failed[*]} (builds run: $ran)"
  exit 1
fi
echo "Tests passed on: $ran"
