#!/usr/bin/env bash
# Builds Quorvane.exe and runs it under Wine, with a disk changer beside it.
#
#   ./scripts/run.sh [--package DIR] [--drive LETTER] [--floppy-dir DIR] [--demo]
#   ./scripts/run.sh [--package DIR] --images [DIR]
#
# The program directory gets Quorvane.exe and the package: the sample
# Corvela set, or the files of --package DIR (its packlist.ini, the disk
# image files, and license.txt or Quorvane.ini when there are any; a
# package without packlist.ini is planned first, by QvPlan). Drive
# A: (or --drive) is a virtual 1.44 MB floppy: each time the program asks
# for a disk, the disk changer saves what was written since the last swap
# as a FAT12 floppy image named after the disk's label and puts in a blank
# floppy; the last disk is saved when the build ends. --floppy-dir maps an
# existing directory instead (a mounted floppy drive); nothing is saved
# then, the disks are the real ones.
#
# With a display the wizard opens on it for you to click through. Without
# one (or with --demo) it runs on a virtual display as an unattended
# demonstration that builds every disk, photographs each page, and exits 0
# only when every image holds exactly the package's files.
#
# --images writes the package's floppy images with QvImage instead, into
# DIR (default out/images/<date-time>): no wizard, no virtual floppy, no
# display. It exits 0 only when QvImage wrote every disk and each image is
# clean under fsck.fat and holds exactly its disk's files.
#
# The exit code is the wizard's when it is not 0 (1: the user quit, 2: it
# could not start), else 1 when a floppy image is wrong.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

package="" letter=a floppy_dir="" demo="" images_out=""
while [ $# -gt 0 ]; do
  case $1 in
    --package) package=$(cd "$2" && pwd); shift 2 ;;
    --drive) letter=$(echo "$2" | tr 'A-Z' 'a-z' | cut -c1); shift 2 ;;
    --floppy-dir) floppy_dir=$(cd "$2" && pwd); shift 2 ;;
    --demo) demo=1; shift ;;
    --images)
      images_out="$QV_ROOT/out/images/$(date +%Y%m%d-%H%M%S)"
      if [ $# -gt 1 ] && [ "${2#--}" = "$2" ]; then images_out=$2; shift; fi
      mkdir -p "$images_out"
      images_out=$(cd "$images_out" && pwd)
      shift ;;
    -h|--help) sed -n '2,29p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
if [ -z "$images_out" ] && [ "$(id -u)" -ne 0 ]; then
  echo "run.sh mounts a virtual floppy (tmpfs) and must run as root." >&2
  exit 1
fi

"$QV_ROOT/scripts/install-deps.sh"
qv_use_default_arch
build=$(qv_build_dir "$QV_ARCH" "$QV_ROOT/build-run")
qv_log "Building Quorvane.exe ($QV_ARCH)"
qv_build "$QV_ARCH" "$build" -DBUILD_TESTING=OFF >/dev/null

work="$QV_ROOT/out/run"
program="$work/program"
# Every run keeps its own images: nothing of an earlier run is overwritten.
images=${images_out:-$QV_ROOT/out/images/$(date +%Y%m%d-%H%M%S)}
spool="$work/spool"
rm -rf "$program" "$spool" "$work/screenshots"
mkdir -p "$program" "$spool" "$images" "$work/screenshots"
if [ -n "$package" ]; then
  cp -a "$package/." "$program/"
else
  "$QV_ROOT/scripts/make-sample.sh" "$program"
fi
cp "$build/Quorvane.exe" "$build/QvCheck.exe" "$build/QvImage.exe" "$build/QvPlan.exe" "$program/"

# The disk image directory: where Quorvane.ini says, else beside the program.
# Needs WINEPREFIX.
source_dir() {
  local setting=""
  if [ -f "$program/Quorvane.ini" ]; then
    setting=$(sed -n 's/\r$//; s/^[[:space:]]*DiskImages[[:space:]]*=[[:space:]]*//Ip' "$program/Quorvane.ini" | head -1)
  fi
  if [ -n "$setting" ]; then
    (cd "$program" && qv_wine winepath -u "$setting")
  else
    echo "$program"
  fi
}

# A package without a list: QvPlan writes one, in the files' order, of
# every file in the disk image directory. Needs WINEPREFIX.
plan_package() {
  [ ! -f "$program/packlist.ini" ] || return 0
  qv_log "No packlist.ini in $package: QvPlan plans the set first"
  (cd "$program" && qv_wine "$program/QvPlan.exe" /name "$(basename "$package")" "$(qv_wine winepath -w "$(source_dir)")") ||
    { echo "run.sh: QvPlan could not plan $package" >&2; exit 1; }
}

if [ -n "$images_out" ]; then
  qv_log "Preparing a Wine prefix"
  qv_make_prefix "$work/wineprefix"
  export WINEPREFIX="$work/wineprefix"
  plan_package
  qv_log "Writing the floppy images with QvImage into $images_out"
  status=0
  (cd "$program" && qv_wine "$program/QvImage.exe" /out "$(qv_wine winepath -w "$images_out")") || status=$?
  for img in "$images_out"/*.img; do
    [ -e "$img" ] || continue
    fsck.fat -n "$img" >/dev/null || { fsck.fat -n "$img" >&2; status=1; }
  done
  "$QV_ROOT/scripts/check-images.sh" "$program/packlist.ini" "$(source_dir)" "$images_out" || status=1
  qv_log "Floppy images: $images_out"
  ls -l "$images_out" >&2 || true
  exit $status
fi

if [ -n "$floppy_dir" ]; then
  floppy=$floppy_dir
else
  floppy="$work/floppy"
  qv_mount_floppy "$floppy"
fi
if [ -n "$demo" ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  demo=1
  qv_start_xvfb
fi

qv_log "Preparing a Wine prefix whose $letter: is the floppy drive"
QV_MANAGED=$([ -n "$demo" ] && echo N || echo Y) qv_make_prefix "$work/wineprefix" "$letter=$floppy"
export WINEPREFIX="$work/wineprefix"
qv_start_wineserver "$WINEPREFIX"
plan_package

qv_log "Checking the package with QvCheck"
check_status=0
qv_wine "$program/QvCheck.exe" || check_status=$?
if [ -n "$demo" ] && [ $check_status -ne 0 ]; then
  echo "run.sh: the package does not check clean (QvCheck exit $check_status)" >&2
  exit 1
fi

# The Linux half of the disk changer: a request names the disk just written;
# the floppy's files become a FAT12 image, read back and compared, and the
# floppy is emptied for the next disk.
save_image() {
  local label=$1 img check f base
  img="$images/${label//\//_}.img"
  check=$(mktemp -d)
  rm -f "$img"
  mformat -C -i "$img" -f 1440 :: &&
    for f in "$floppy"/*; do mcopy -i "$img" -m "$f" ::/ || return 1; done &&
    mcopy -i "$img" -m -n '::/*' "$check/" || return 1
  for f in "$floppy"/*; do
    base=$(basename "$f")
    # FAT keeps times to two seconds.
    cmp -s "$f" "$check/$base" &&
      [ $(( $(stat -c %Y "$f") - $(stat -c %Y "$check/$base") )) -le 2 ] &&
      [ $(( $(stat -c %Y "$check/$base") - $(stat -c %Y "$f") )) -le 2 ] || { rm -rf "$check"; return 1; }
  done
  rm -rf "$check"
  rm -f "$floppy"/*
  echo "$img"
}
changer() {
  local label result
  while [ ! -e "$spool/stop" ]; do
    if [ -e "$spool/request.txt" ]; then
      label=$(cat "$spool/request.txt")
      rm -f "$spool/request.txt"
      if result=$(save_image "$label"); then
        echo "saved $result" >"$spool/done.tmp"
      else
        echo "failed to save $label" >"$spool/done.tmp"
      fi
      mv "$spool/done.tmp" "$spool/done.txt"
    fi
    sleep 0.1
  done
}

status=0
if [ -n "$floppy_dir" ]; then
  qv_log "Starting Quorvane.exe; swap the floppies in $floppy_dir yourself"
  qv_wine "$program/Quorvane.exe" || status=$?
else
  changer &
  changer_pid=$!
  qv_on_exit "touch '$spool/stop'; wait $changer_pid"
  if [ -n "$demo" ]; then
    qv_log "No display: an unattended demonstration on a virtual one"
    export QUORVANE_SCREENSHOTS
    QUORVANE_SCREENSHOTS=$(qv_wine winepath -w "$work/screenshots")
    mode=--demo
  else
    qv_log "Starting Quorvane.exe. Click through the wizard; at each \"Please label a blank"
    qv_log "floppy\" just press OK: the disk changer keeps each disk as an image in $images"
    mode=
  fi
  qv_wine "$build/DiskChanger.exe" "$(qv_wine winepath -w "$program/Quorvane.exe")" "$letter:" "$(qv_wine winepath -w "$spool")" $mode || status=$?
fi

if [ -n "$demo" ]; then
  for bmp in "$work/screenshots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -trim +repage "${bmp%.bmp}.png" && rm "$bmp"
  done
  "$QV_ROOT/scripts/check-images.sh" "$program/packlist.ini" "$(source_dir)" "$images" || status=1
  qv_log "Screenshots: $work/screenshots"
fi
qv_log "Floppy images: $images"
ls -l "$images" >&2 || true
exit $status
