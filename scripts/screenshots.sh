#!/usr/bin/env bash
# Regenerates docs/screenshots: runs the end-to-end tests that photograph
# each page and dialog of the real program on a virtual display, and keeps
# the pictures as PNG files trimmed to what is on the screen.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

"$QV_ROOT/scripts/install-deps.sh" >/dev/null
qv_use_default_arch
build=$(qv_build_dir "$QV_ARCH" "${QV_BUILD_DIR:-$QV_ROOT/build}")
qv_build "$QV_ARCH" "$build" >/dev/null
work="$build/screenshots"
qv_mount_floppy "$work/mnt/a"
qv_mount_floppy "$work/mnt/b"
qv_start_xvfb
qv_make_prefix "$work/prefix" "a=$work/mnt/a" "b=$work/mnt/b"
export WINEPREFIX="$work/prefix"
qv_start_wineserver "$WINEPREFIX"

rm -rf "$work/bmp"
mkdir -p "$work/bmp"
QUORVANE_SCREENSHOTS=$(qv_wine winepath -w "$work/bmp") \
  qv_wine "$build/tests/e2e_tests.exe" --gtest_filter='StartUp.TheWizardOpens*:StartUp.About*:StartUp.Cancel*:Wizard.AUser*:Wizard.NextWithout*:Wizard.ACancelled*:Checker.TheWizardShows*:Verify.AFloppy*:UsedFloppy.OnlyAYes*'
# The engine's own boxes, each the second box its test meets: a floppy that
# is not blank, and a full one.
mkdir -p "$work/boxes"
for test in AFloppyIsBlankOnlyWithNothingOfTheUsersOnIt:5d-not-blank FullFloppyThenIgnoreLeavesNoPartialFile:5e-disk-full; do
  rm -f "$work/boxes"/*
  QUORVANE_SCREENSHOTS=$(qv_wine winepath -w "$work/boxes") \
    qv_wine "$build/tests/unit_tests.exe" --gtest_filter="Engine.${test%%:*}" >/dev/null
  mv "$work/boxes/${test%%:*}-2.bmp" "$work/bmp/${test#*:}.bmp"
done

out="$QV_ROOT/docs/screenshots"
rm -rf "$out"
mkdir -p "$out"
for bmp in "$work/bmp"/*.bmp; do
  convert "$bmp" -trim +repage -strip -define png:exclude-chunks=date,time "$out/$(basename "${bmp%.bmp}").png"
done
qv_log "Screenshots in $out:"
ls "$out" >&2
