#!/usr/bin/env bash
# Benchmark: the disk build engine copying a full 1.44 MB disk set onto a
# virtual floppy under Wine, against CopyFileA and against cp on Linux, and
# erasing a used floppy of 224 small files;
# QvImage writing the sample's floppy images, against mformat and mcopy;
# QvPlan's packing against the lower bound on random folders, and its time
# for a folder of 10,000 files; package lists loading (time and memory, large and hostile ones too); and
# Quorvane.exe starting.
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

# best_us COMMAND...: the best of five runs, in microseconds.
best_us() {
  local best="" run start end us
  for run in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    us=$(((end - start) / 1000))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}

qv_log "The engine's copy, $QV_ARCH build"
WINEPREFIX="$work/prefix" qv_wine "$build/bench/copy_bench.exe"

# The same bytes with cp, from the page cache to the tmpfs floppy.
src="$work/source"
mkdir -p "$src"
head -c 286720 /dev/zero >"$src/setup.exe"
head -c 1210 /dev/zero >"$src/setup.ini"
head -c 716800 /dev/zero >"$src/data1.cab"
head -c 419840 /dev/zero >"$src/data2.cab"
cp_run() {
  rm -f "$work/floppy"/*
  cp "$src"/* "$work/floppy/"
  sync -f "$work/floppy"
}
best=$(best_us cp_run)
rm -f "$work/floppy"/*
echo "cp  $((best / 1000)).$(( (best % 1000) / 100 )) ms (best of 5)"

# Floppy images of the sample package: QvImage's writer (Wine's start not
# counted), then the whole QvImage.exe with Wine's start, against mformat
# and mcopy writing the same files into images on Linux.
qv_log "Floppy images of the sample, $QV_ARCH build"
export WINEPREFIX="$work/prefix"
sample="$work/sample" imgs="$work/images"
rm -rf "$sample" "$imgs"
mkdir -p "$imgs"
"$QV_ROOT/scripts/make-sample.sh" "$sample"
cp "$build/QvImage.exe" "$sample/"
qv_wine "$build/bench/image_bench.exe" "$(qv_wine winepath -w "$sample/packlist.ini")" \
  "$(qv_wine winepath -w "$sample")" "$(qv_wine winepath -w "$imgs")"
qvimage_run() { (cd "$imgs" && qv_wine "$sample/QvImage.exe"); }
wine_start() { qv_wine "$sample/QvImage.exe" /?; }
mtools_run() {
  mformat -C -i "$imgs/mtools1.img" -f 1440 :: && mcopy -i "$imgs/mtools1.img" -m "$sample/disk1/setup.exe" "$sample/disk1/setup.ini" ::/ &&
    mformat -C -i "$imgs/mtools2.img" -f 1440 :: && mcopy -i "$imgs/mtools2.img" -m "$sample/disk2/data.cab" ::/
}
whole=$(($(best_us qvimage_run) / 1000))
start=$(($(best_us wine_start) / 1000))
mtools=$(($(best_us mtools_run) / 1000))
echo "QvImage.exe       $whole ms for every disk, Wine's start included (QvImage /? alone: $start ms) (best of 5)"
echo "mformat + mcopy   $mtools ms for the same files, nothing read back (best of 5)"

qv_log "Planning sets with QvPlan, $QV_ARCH build"
qv_wine "$build/bench/plan_bench.exe"
# The whole QvPlan.exe, Wine's start and the folder's reading included, on
# 10,000 files of many sizes (sparse: only their sizes are read).
plan="$work/plan"
rm -rf "$plan"
mkdir -p "$plan/set"
cp "$build/QvPlan.exe" "$plan/"
for i in $(seq 0 9999); do
  sub="$plan/set/part$((i % 20))"
  [ -d "$sub" ] || mkdir "$sub"
  if [ $((i % 3)) -eq 0 ]; then name="Help topic $i.hlp"; else name=$(printf 'F%05d.DAT' $i); fi
  truncate -s $(( (i * 7919) % 20000 + (i % 10 == 0 ? (i * 104729) % 900000 : 0) )) "$sub/$name"
done
plan_run() { (cd "$plan" && qv_wine "$plan/QvPlan.exe" /fewest /force set); }
echo "QvPlan.exe /fewest, 10,000 files: $(($(best_us plan_run) / 1000)) ms, Wine's start ($start ms) and the folder's reading included (best of 5)"
(cd "$plan" && qv_wine "$plan/QvPlan.exe" /fewest /force set | tail -2)

qv_log "Package lists and the program's start, $QV_ARCH build"
qv_wine "$build/bench/list_bench.exe"
qv_wine "$build/bench/startup_bench.exe"
