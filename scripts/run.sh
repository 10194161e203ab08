#!/usr/bin/env bash
# Builds Quorvane.exe and starts it under Wine with the sample package and a
# virtual 1.44 MB floppy in drive A:. With a display the wizard opens on it;
# without one it runs on a virtual display and a screenshot is saved.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "run.sh mounts a virtual floppy (tmpfs) and must run as root." >&2
  exit 1
fi

"$QV_ROOT/scripts/install-deps.sh"
build="$QV_ROOT/build-run"
qv_log "Building Quorvane.exe"
qv_build i686 "$build" -DBUILD_TESTING=OFF >/dev/null

work="$QV_ROOT/out/run"
program="$work/program"
rm -rf "$program"
mkdir -p "$program"
cp "$build/Quorvane.exe" "$program/"
"$QV_ROOT/scripts/make-sample.sh" "$program"

qv_log "Preparing a Wine prefix whose A: is a virtual floppy"
qv_mount_floppy "$work/floppy"
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  headless=1
  qv_start_xvfb
fi
qv_make_prefix "$work/wineprefix" "a=$work/floppy"
export WINEPREFIX="$work/wineprefix"
qv_start_wineserver "$WINEPREFIX"

qv_log "Starting Quorvane.exe in $program"
if [ -n "${headless:-}" ]; then
  wine "$program/Quorvane.exe" &
  sleep 5
  import -window root "$work/screenshot.png"
  qv_log "No display: the wizard ran on a virtual one; screenshot saved to $work/screenshot.png"
else
  wine "$program/Quorvane.exe"
fi
