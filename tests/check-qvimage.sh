#!/usr/bin/env bash
# QvImage's images as independent readers see them, in every floppy format:
# fsck.fat -n finds each one clean, minfo finds the format's geometry, mtools
# reads back every file with its source's bytes and time and counts the free
# bytes QvImage reported; what QvImage refuses, leaving nothing behind; and
# the numbered slots it lays out for a USB floppy emulator.
#
#   tests/check-qvimage.sh ARCH QvImage.exe       (WINEPREFIX from the caller)
set -euo pipefail
arch=$1 exe=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/image-check.sh"
work=$(mktemp -d)
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" || umount -l "$m"; done
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL [$case]: $*"; failed=1; }

# package NAME ENTRY... [-- ENTRY...]...: a program directory with QvImage.exe
# and a package list of Corvela whose disks hold the entries ("--" between
# disks); every entry's file must be made afterwards below $dir.
package() {
  case=$1
  shift
  dir="$work/$case"
  mkdir -p "$dir/out"
  cp "$exe" "$dir/"
  local lines=() k=0 j=0 e
  for e in "$@" --; do
    if [ "$e" = -- ]; then
      lines+=("Files=$j")
      k=$((k + 1)) j=0
    else
      [ $j -gt 0 ] || lines+=("[Disk$k]")
      lines+=("File$j=$e")
      j=$((j + 1))
    fi
  done
  # The list in the ANSI code page, as a Windows editor saves it.
  printf '%s\r\n' "[Global]" "Name=Corvela" "[Disks]" "Number=$k" "${lines[@]}" |
    iconv -f UTF-8 -t CP1252 >"$dir/packlist.ini"
}
# file ENTRY SIZE [TIME]: the entry's source, of random bytes.
file() {
  local path="$dir/${1//\\//}"
  mkdir -p "$(dirname "$path")"
  head -c "$2" /dev/urandom >"$path"
  touch -d "${3:-2001-02-03 04:05:07}" "$path"
}
# qvimage ARGS...: runs QvImage in $dir/out; sets status and output.
qvimage() {
  status=0
  output=$(cd "$dir/out" && "$here/../scripts/wine-exec.sh" "$arch" "$dir/QvImage.exe" "$@" 2>&1 </dev/null | tr -d '\r') ||
    status=$?
}
expect_status() {
  [ "$status" -eq "$1" ] || fail "exit $status, expected $1; it said:"$'\n'"$output"
}
commas() { sed ':a; s/\B[0-9]\{3\}\>/,&/; ta' <<<"$1"; }
says() { grep -qF -- "$1" <<<"$output" || fail "did not say \"$1\"; it said:"$'\n'"$output"; }

# image DISK|PATH NAME|ENTRY...: the image of disk DISK in $dir/out (or
# the one at PATH) is clean under fsck.fat, holds exactly these files
# (scripts/image-check.sh), and has the free bytes QvImage reported.
image() {
  local img="$dir/out/Disk $1 - Corvela.img" difference
  [[ $1 =~ ^[0-9]+$ ]] || img=$1
  shift
  [ -f "$img" ] || { fail "no $(basename "$img")"; return; }
  fsck.fat -n "$img" >"$work/fsck" 2>&1 || { fail "fsck.fat: $(cat "$work/fsck")"; }
  while IFS= read -r difference; do
    [ -z "$difference" ] || fail "$difference"
  done < <(image_differences "$img" "$dir" "$@")
  free=$(mdir -i "$img" :: | sed -n 's/ bytes free//p' | tr -d ' ')
  said=$(sed -n "s/^$(basename "$img")\( (.*)\)\{0,1\}: .* bytes used, \([0-9,]*\) free\$/\2/p" <<<"$output" | tr -d ,)
  [ "$free" = "$said" ] || fail "mdir counts ${free:-no} bytes free in $(basename "$img"), QvImage said ${said:-nothing}"
}
nothing_in() { [ -z "$(ls -A "$1")" ] || fail "left behind in $1: $(ls -A "$1" | tr '\n' ' ')"; }

# The sample, into the current directory, as run.sh --images makes it.
case=sample
dir="$work/sample"
"$here/../scripts/make-sample.sh" "$dir"
mkdir "$dir/out"
cp "$exe" "$dir/"
qvimage
expect_status 0
image 1 "setup.exe|disk1/setup.exe" "setup.ini|disk1/setup.ini"
image 2 "data.cab|disk2/data.cab"
"$here/../scripts/check-images.sh" "$dir/packlist.ini" "$dir" "$dir/out" 2>/dev/null || fail "check-images.sh"

# A list written with '/', as the scripts' own check reads it too.
package slashes "disk1/a.txt" "disk1/sub/b.txt" -- "disk2/c.txt"
file disk1/a.txt 100 && file disk1/sub/b.txt 200 && file disk2/c.txt 300
qvimage
expect_status 0
"$here/../scripts/check-images.sh" "$dir/packlist.ini" "$dir" "$dir/out" 2>/dev/null || fail "check-images.sh"

# Exactly full, with an empty lower-case file beside it; a byte more is
# refused, /force or not.
package full "disk1\\FULL.BIN" "disk1\\empty.txt" -- "disk2\\OVER.BIN"
file "disk1\\FULL.BIN" 1457664 "2001-02-03 04:05:07"
file "disk1\\empty.txt" 0 "1999-12-31 23:59:58"
file "disk2\\OVER.BIN" 1457665
qvimage
expect_status 1
says "Disk 2 - Corvela: the files take 1,458,176 bytes on a 1.44MB floppy, 512 more than it holds."
nothing_in "$dir/out"
qvimage /force
expect_status 1
says "Disk 2 - Corvela.img is not written: its files take 1,458,176 bytes, 512 more than a 1.44 MB floppy holds."
image 1 "FULL.BIN|disk1/FULL.BIN" "empty.txt|disk1/empty.txt"
[ ! -e "$dir/out/Disk 2 - Corvela.img" ] || fail "Disk 2 was written"

# 224 root entries (a long name takes three of them), and 225.
names=() expected=()
for i in $(seq 1 221); do names+=("F$i.TXT"); expected+=("F$i.TXT|F$i.TXT"); done
package root "${names[@]}" "a rather long name.txt" -- "${names[@]}" "a rather long name.txt" "ONE.MOR"
for i in $(seq 1 221); do file "F$i.TXT" 1; done
file "a rather long name.txt" 700
file ONE.MOR 1
qvimage /disk 1
expect_status 0
image 1 "${expected[@]}" "a rather long name.txt|a rather long name.txt"
qvimage /disk 2 /force
expect_status 1
says "Disk 2 - Corvela.img is not written: its files take 225 root directory entries, 1 more than a 1.44 MB floppy has."
[ ! -e "$dir/out/Disk 2 - Corvela.img" ] || fail "Disk 2 was written"

# Long and lower-case names get the aliases Windows 95 gives them; a disk
# whose entries were all replaced by later ones of the same name keeps the
# first name and the last file.
package names "Long File Name One.txt" "Long File Name Two.txt" readme.txt "Mixed.Case.doc" "a+b=c.txt" \
  -- "x\\data.bin" "y\\DATA.BIN"
for f in "Long File Name One.txt" "Long File Name Two.txt" readme.txt "Mixed.Case.doc" "a+b=c.txt"; do
  file "$f" 3000 "2010-06-15 12:30:01"
done
file "x\\data.bin" 5000
file "y\\DATA.BIN" 6000
qvimage /force
expect_status 0
image 1 "Long File Name One.txt|Long File Name One.txt" "Long File Name Two.txt|Long File Name Two.txt" \
  "readme.txt|readme.txt" "Mixed.Case.doc|Mixed.Case.doc" "a+b=c.txt|a+b=c.txt"
listing=$(mdir -i "$dir/out/Disk 1 - Corvela.img" ::)
for alias in "LONGFI~1 TXT .* Long File Name One.txt" "LONGFI~2 TXT .* Long File Name Two.txt" \
  "README   TXT .* readme.txt" "MIXEDC~1 DOC .* Mixed.Case.doc" "A_B_C~1  TXT .* a+b=c.txt"; do
  grep -q "^$alias\$" <<<"$listing" || fail "no \"$alias\" in"$'\n'"$listing"
done
image 2 "data.bin|y/DATA.BIN"

# /force writes a disk without a missing file, and says so in its exit code.
package missing "disk1\\here.txt" "disk1\\gone.txt"
file "disk1\\here.txt" 100
qvimage /force
expect_status 1
says "Disk 1 - Corvela.img lacks disk1\\gone.txt, which cannot be read."
image 1 "here.txt|disk1/here.txt"
# Sources dated where FAT has no time: each gets the nearest time FAT has,
# and the image still reads back as their copy.
package times "disk1\\OLD.TXT" "disk1\\NEW.TXT"
file "disk1\\OLD.TXT" 100 "1975-03-01 12:00:00"
file "disk1\\NEW.TXT" 200 "2110-05-01 00:00:00"
qvimage
expect_status 0
img="$dir/out/Disk 1 - Corvela.img"
fsck.fat -n "$img" >"$work/fsck" 2>&1 || fail "fsck.fat: $(cat "$work/fsck")"
listing=$(mdir -i "$img" ::)
for line in "OLD      TXT       100 1980-01-01   0:00" "NEW      TXT       200 2107-12-31  23:59"; do
  grep -q "^$line" <<<"$listing" || fail "no \"$line\" in"$'\n'"$listing"
done
# Every format: a disk that fills the floppy to the byte beside an empty
# file, a disk one byte over, refused; the geometry minfo reads is the
# format's. For 1.68 MB, whose root has 16 entries, 16 taken by long names
# fit and 17 are refused.
#      format sectors/track sectors/cluster root FAT-sectors media sectors room name
while read -r format spt spc root fat media sectors room name; do
  cluster=$((spc * 512))
  package "format-$format" "FULL.BIN" "empty.txt" -- "OVER.BIN"
  file FULL.BIN "$room"
  file empty.txt 0 "1999-12-31 23:59:58"
  file OVER.BIN $((room + 1))
  qvimage /format "$format" /force
  expect_status 1
  says "Disk 2 - Corvela.img is not written: its files take $(commas $((room + cluster))) bytes, $(commas $cluster) more than a $name floppy holds."
  image 1 "FULL.BIN|FULL.BIN" "empty.txt|empty.txt"
  img="$dir/out/Disk 1 - Corvela.img"
  if [ -f "$img" ]; then
    [ "$(stat -c %s "$img")" -eq $((sectors * 512)) ] || fail "$(stat -c %s "$img") bytes, not $((sectors * 512))"
    got=$(minfo -i "$img" :: 2>/dev/null | sed -n 's/^\(sectors per track\|heads\|cylinders\|cluster size\|max available root directory slots\|sectors per fat\|media descriptor byte\|small size\): \([0-9a-fx]*\).*/\2/p' | tr '\n' ' ')
    [ "$got" = "$spt 2 80 $spc $root $sectors $media $fat $spt 2 " ] || fail "minfo reads the geometry $got"
  fi
  [ ! -e "$dir/out/Disk 2 - Corvela.img" ] || fail "Disk 2 was written"
done <<'FORMATS'
720   9 2 112 3 0xf9 1440  730112  720 KB
1200 15 1 224 7 0xf9 2400 1213952  1.2 MB
1440 18 1 224 9 0xf0 2880 1457664  1.44 MB
1680 21 4  16 3 0xf0 3360 1716224  1.68 MB
2880 36 2 240 9 0xf0 5760 2931712  2.88 MB
FORMATS
names=() expected=()
for i in 1 2 3 4 5; do names+=("Setup part number $i.cab"); expected+=("Setup part number $i.cab|Setup part number $i.cab"); done
package root-1680 "${names[@]}" README.TXT -- "${names[@]}" README.TXT LICENSE.TXT
for f in "${names[@]}" README.TXT LICENSE.TXT; do file "$f" 3000; done
qvimage /format 1680 /force
expect_status 1
says "Disk 2 - Corvela: the files need 17 directory entries, more than the 16 of a 1.68MB floppy."
says "Disk 2 - Corvela.img is not written: its files take 17 root directory entries, 1 more than a 1.68 MB floppy has."
image 1 "${expected[@]}" "README.TXT|README.TXT"

# The USB stick: slots in the order of /disk, the user's FF.CFG left as it
# is, read-only images with /protect, an older slot named and kept. The
# next run replaces the read-only images and writes FF.CFG where there is
# none; a disk that does not fit leaves the stick as it was.
case=gotek
dir="$work/sample" stick="$work/sample/stick"
mkdir "$stick"
printf 'interface = shugart\r\n' >"$stick/FF.CFG"
echo "another set's" >"$stick/DSKA0005.IMG"
qvimage /gotek ../stick /disk 2 /disk 1 /protect
expect_status 0
image "$stick/DSKA0000.IMG" "data.cab|disk2/data.cab"
image "$stick/DSKA0001.IMG" "setup.exe|disk1/setup.exe" "setup.ini|disk1/setup.ini"
says "FF.CFG is already there and is left as it is: the emulator finds the disks by their numbers only with the line nav-mode = indexed in it."
says "DSKA0005.IMG is not of this set and is left as it is"
[ "$(cat "$stick/FF.CFG")" = $'interface = shugart\r' ] || fail "FF.CFG was changed"
[ "$(cat "$stick/DSKA0005.IMG")" = "another set's" ] || fail "DSKA0005.IMG was changed"
[ "$(tr -d '\r' <"$stick/DISKS.TXT")" = "Slot  Image         Disk
0     DSKA0000.IMG  Disk 2 - Corvela
1     DSKA0001.IMG  Disk 1 - Corvela" ] || fail "DISKS.TXT says"$'\n'"$(cat "$stick/DISKS.TXT")"
for slot in 0 1; do
  [[ $(stat -c %A "$stick/DSKA000$slot.IMG") = -r-?r-?r-? ]] || fail "DSKA000$slot.IMG is $(stat -c %A "$stick/DSKA000$slot.IMG")"
done
rm "$stick/FF.CFG"
qvimage /gotek ../stick
expect_status 0
image "$stick/DSKA0000.IMG" "setup.exe|disk1/setup.exe" "setup.ini|disk1/setup.ini"
[ "$(cat "$stick/FF.CFG")" = $'nav-mode = indexed\r' ] || fail "FF.CFG says $(cat "$stick/FF.CFG")"
[ "$(ls "$stick" | tr '\n' ' ')" = "DISKS.TXT DSKA0000.IMG DSKA0001.IMG DSKA0005.IMG FF.CFG " ] ||
  fail "the stick holds $(ls "$stick" | tr '\n' ' ')"
[[ $(stat -c %A "$stick/DSKA0000.IMG") = -rw-* ]] || fail "DSKA0000.IMG is $(stat -c %A "$stick/DSKA0000.IMG")"
# A configuration of the user's that has the setting, in its own words; a
# set of one slot names the second of the one before.
printf '# by hand\r\nNAV-MODE= Indexed  # numbered\r\n' >"$stick/FF.CFG"
qvimage /gotek ../stick /disk 2
expect_status 0
says "FF.CFG is already there, with nav-mode = indexed."
says "DSKA0001.IMG is not of this set and is left as it is"
image "$stick/DSKA0000.IMG" "data.cab|disk2/data.cab"
# A bare drive is its root, whatever its current directory: here a drive
# e: of the prefix, whose current directory cmd sets to a subfolder.
mkdir -p "$dir/e-drive/sub"
ln -sfn "$dir/e-drive" "$WINEPREFIX/dosdevices/e:"
status=0
output=$(cd "$dir/out" && "$here/../scripts/wine-exec.sh" "$arch" cmd /c "cd /d E:\\sub & Z:${dir//\//\\}\\QvImage.exe /gotek E: /disk 1" 2>&1 </dev/null | tr -d '\r') ||
  status=$?
rm "$WINEPREFIX/dosdevices/e:"
expect_status 0
image "$dir/e-drive/DSKA0000.IMG" "setup.exe|disk1/setup.exe" "setup.ini|disk1/setup.ini"
[ -f "$dir/e-drive/DISKS.TXT" ] && [ -z "$(ls -A "$dir/e-drive/sub")" ] ||
  fail "E: holds $(ls -A "$dir/e-drive" | tr '\n' ' '), E:\\sub $(ls -A "$dir/e-drive/sub" | tr '\n' ' ')"
mkdir "$dir/small-stick"
qvimage /gotek ../small-stick /format 720 /force
expect_status 1
says "DSKA0001.IMG (Disk 2 - Corvela) is not written: its files take 1,261,568 bytes, 531,456 more than a 720 KB floppy holds."
says "No image was written: on the stick every disk of the set needs its slot."
nothing_in "$dir/small-stick"
# FAT's names: a name that is another file's alias replaces that file under
# its long name, in either order; names FAT tells apart stay apart; aliases
# as Windows 95 makes them; trailing dots stripped; device names left out.
package fat-names "Long file 1.txt" "LONGFI~1.TXT" "õ.txt" "o.txt" "straße.txt" "STRASSE.TXT" \
  "my.long.file.txt" "naïve résumé.doc" "ÉTÉ.TXT" "a\\readme." "b\\readme" "NUL.TXT" \
  -- "LONGFI~1.TXT" "Long file 1.txt" "longfi~1.txt"
for f in "Long file 1.txt" "LONGFI~1.TXT" "õ.txt" "o.txt" "straße.txt" "STRASSE.TXT" "my.long.file.txt" \
  "naïve résumé.doc" "ÉTÉ.TXT" "a\\readme" "b\\readme" "longfi~1.txt"; do
  file "$f" $((1000 + RANDOM % 3000))
done
qvimage
expect_status 1
says "Disk 1 - Corvela: LONGFI~1.TXT is the short name of Long file 1.txt on the floppy: the second replaces the first."
says "Disk 1 - Corvela: NUL.TXT is a device name on DOS and Windows and cannot be a file."
says "Disk 2 - Corvela: LONGFI~1.TXT and longfi~1.txt both land on the floppy as LONGFI~1.TXT, and only the second stays."
nothing_in "$dir/out"
qvimage /force
expect_status 1
says "Disk 1 - Corvela.img lacks NUL.TXT, a device name on DOS and Windows."
image 1 "Long file 1.txt|LONGFI~1.TXT" "õ.txt|õ.txt" "o.txt|o.txt" "straße.txt|straße.txt" \
  "STRASSE.TXT|STRASSE.TXT" "my.long.file.txt|my.long.file.txt" "naïve résumé.doc|naïve résumé.doc" \
  "ÉTÉ.TXT|ÉTÉ.TXT" "readme|b/readme"
image 2 "LONGFI~1.TXT|longfi~1.txt" "Long file 1.txt|Long file 1.txt"
# mdir's short names (in mtools' own DOS code page) and long names.
listing=$(mdir -i "$dir/out/Disk 1 - Corvela.img" ::)
for alias in "LONGFI~1 TXT .* Long file 1.txt" "_~1      TXT .* õ.txt" "O        TXT .* o.txt" \
  "STRAßE   TXT .* straße.txt" "STRASSE  TXT [^a-z]*" "MYLONG~1 TXT .* my.long.file.txt" \
  "NA_VER~1 DOC .* naïve résumé.doc" "ÉTÉ      TXT [^a-z]*" "README       .* readme"; do
  grep -q "^$alias\$" <<<"$listing" || fail "no \"$alias\" in"$'\n'"$listing"
done
grep -q "^NUL" <<<"$listing" && fail "a device name landed in"$'\n'"$listing"
# One lookup of each name, long or short, finds the file the rule says.
lookup() {
  local img="$dir/out/Disk $1 - Corvela.img" name=$2 src="$dir/${3//\\//}"
  rm -f "$work/one"
  mcopy -n -i "$img" "::$name" "$work/one" 2>/dev/null || { fail "mcopy finds no $name in disk $1"; return; }
  cmp -s "$src" "$work/one" || fail "$name in disk $1 is not $3"
}
lookup 1 "Long file 1.txt" LONGFI~1.TXT
lookup 1 LONGFI~1.TXT LONGFI~1.TXT
lookup 1 longfi~1.txt LONGFI~1.TXT
lookup 1 o.txt o.txt
lookup 1 O.TXT o.txt
lookup 1 õ.txt õ.txt
lookup 1 _~1.TXT õ.txt
lookup 1 STRASSE.TXT STRASSE.TXT
lookup 1 straße.txt straße.txt
lookup 1 MYLONG~1.TXT my.long.file.txt
lookup 1 NA_VER~1.DOC "naïve résumé.doc"
lookup 1 été.txt ÉTÉ.TXT
lookup 1 README b/readme
lookup 2 LONGFI~1.TXT longfi~1.txt
lookup 2 longfi~1.txt longfi~1.txt
lookup 2 "Long file 1.txt" "Long file 1.txt"
lookup 2 LONGFI~2.TXT "Long file 1.txt"

# What does not load, or cannot be written, leaves nothing behind.
package broken "a.txt"
printf '[Global]\r\n[Disks]\r\nNumber=1\r\n' >"$dir/packlist.ini"
qvimage
expect_status 2
says "packlist.ini does not load: [Global] Name is missing or empty."
package nodir "A.TXT"
file A.TXT 100
qvimage /disk 2
expect_status 2
says "There is no disk 2: Corvela has 1 disk."
# An output folder is made with its parents; one below a file cannot be.
qvimage /out 'new\folder'
expect_status 0
image "$dir/out/new/folder/Disk 1 - Corvela.img" "A.TXT|A.TXT"
echo "a file" >"$dir/out/plain"
qvimage /out 'plain\sub'
expect_status 3
says "plain\\sub cannot be created: "
[ "$(cat "$dir/out/plain")" = "a file" ] || fail "plain was changed"
rm -r "$dir/out/new" "$dir/out/plain"
mkdir "$dir/out/Disk 1 - Corvela.img"
qvimage
expect_status 3
says "Disk 1 - Corvela.img is a directory."
[ "$(ls -A "$dir/out")" = "Disk 1 - Corvela.img" ] || fail "left behind: $(ls -A "$dir/out" | tr '\n' ' ')"
if [ "$(id -u)" -eq 0 ]; then
  case=read-only
  mkdir "$dir/ro" "$dir/small"
  mount -t tmpfs -o ro,size=2m tmpfs "$dir/ro" && mounts+=("$dir/ro")
  qvimage /out "Z:${dir//\//\\}\\ro"
  expect_status 3
  says "Disk 1 - Corvela.img is not written:"
  nothing_in "$dir/ro"
  # Room for the old image and half a new one: the disk fills mid-write.
  case=full-disk
  mount -t tmpfs -o size=2m tmpfs "$dir/small" && mounts+=("$dir/small")
  head -c 1474560 /dev/zero >"$dir/small/Disk 1 - Corvela.img"
  qvimage /out "Z:${dir//\//\\}\\small"
  expect_status 3
  says "Disk 1 - Corvela.img.tmp cannot be written"
  [ "$(ls -A "$dir/small")" = "Disk 1 - Corvela.img" ] || fail "left in the full directory: $(ls -A "$dir/small")"
  cmp -s -n 1474560 /dev/zero "$dir/small/Disk 1 - Corvela.img" || fail "the old image was changed"
else
  echo "not root: the read-only and full output directories are not tried"
fi

[ $failed -eq 0 ] && echo "QvImage's images read back clean under fsck.fat and mtools"
exit $failed
