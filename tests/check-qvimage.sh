#!/usr/bin/env bash
# QvImage's images as independent readers see them: fsck.fat -n finds each
# one clean, mtools reads back every file with its source's bytes and time
# and counts the free bytes QvImage reported; and what QvImage refuses,
# leaving nothing behind.
#
#   tests/check-qvimage.sh ARCH QvImage.exe       (WINEPREFIX from the caller)
set -euo pipefail
arch=$1 exe=$2
here=$(cd "$(dirname "$0")" && pwd)
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
  output=$(cd "$dir/out" && "$here/../scripts/wine-exec.sh" "$arch" "$dir/QvImage.exe" "$@" 2>&1 | tr -d '\r') || status=$?
}
expect_status() {
  [ "$status" -eq "$1" ] || fail "exit $status, expected $1; it said:"$'\n'"$output"
}
says() { grep -qF -- "$1" <<<"$output" || fail "did not say \"$1\"; it said:"$'\n'"$output"; }

# image DISK NAME|ENTRY...: the disk's image is clean, holds exactly these
# files with their sources' bytes and times (to FAT's two seconds), and has
# the free bytes QvImage reported.
image() {
  local img="$dir/out/Disk $1 - Corvela.img" back="$work/back" pair name src got free
  shift
  [ -f "$img" ] || { fail "no $(basename "$img")"; return; }
  fsck.fat -n "$img" >"$work/fsck" 2>&1 || { fail "fsck.fat: $(cat "$work/fsck")"; }
  rm -rf "$back" && mkdir "$back"
  mcopy -i "$img" -m -n '::/*' "$back/" 2>/dev/null || true
  [ "$(ls -A "$back" | wc -l)" -eq $# ] || fail "$(basename "$img") holds $(ls -A "$back" | wc -l) files, expected $#"
  for pair in "$@"; do
    name=${pair%%|*} src="$dir/${pair#*|}"
    src=${src//\\//}
    got="$back/$name"
    if [ ! -f "$got" ]; then fail "$name is not in $(basename "$img")"; continue; fi
    cmp -s "$src" "$got" || fail "$name differs from $src"
    delta=$(($(stat -c %Y "$src") - $(stat -c %Y "$got")))
    [ "${delta#-}" -le 2 ] || fail "$name has the time $(stat -c %y "$got"), its source $(stat -c %y "$src")"
  done
  free=$(mdir -i "$img" :: | sed -n 's/ bytes free//p' | tr -d ' ')
  said=$(sed -n "s/^$(basename "$img"): .* bytes used, \([0-9,]*\) free\$/\1/p" <<<"$output" | tr -d ,)
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
expect_status 0
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
qvimage /out 'Z:\nowhere\at\all'
expect_status 3
says "Disk 1 - Corvela.img is not written: Z:\\nowhere\\at\\all\\Disk 1 - Corvela.img.tmp cannot be created"
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
