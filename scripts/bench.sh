#!/usr/bin/env bash
# Benchmark: the disk build engine copying a full 1.44 MB disk set onto a
# virtual floppy under Wine, against CopyFileA and against cp on Linux.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

"$QV_ROOT/scripts/install-deps.sh" >/dev/null
qv_use_default_arch
build=$(qv_build_dir "$QV_ARCH" "${QV_BUILD_DIR:-$QV_ROOT/build}")
qv_build "$QV_ARCH" "$build" >/dev/null
work="$build/bench"
qv_mount_floppy "$work/floppy"
qv_start_xvfb
qv_make_prefix "$work/prefix" "a=$work/floppy"
qv_start_wineserver "$work/prefix"

qv_log "The engine's copy, $QV_ARCH build"
WINEPREFIX="$work/prefix" qv_wine "$build/bench/copy_bench.exe"

# The same bytes with cp, from the page cache to the tmpfs floppy.
src="$work/source"
mkdir -p "$src"
head -c 286720 /dev/zero >"$src/setup.exe"
head -c 1210 /dev/zero >"$src/setup.ini"
head -c 716800 /dev/zero >"$src/data1.cab"
head -c 419840 /dev/zero >"$src/data2.cab"
best=
for run in 1 2 3 4 5; do
  rm -f "$work/floppy"/*
  start=$(date +%s%N)
  cp "$src"/* "$work/floppy/"
  sync -f "$work/floppy"
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
rm -f "$work/floppy"/*
echo "cp  $((best / 1000)).$(( (best % 1000) / 100 )) ms (best of 5)"
