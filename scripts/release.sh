#!/usr/bin/env bash
# Builds the Windows release, out/release/quorvane-<version>-win32.zip:
# the programs (release_programs below: Quorvane.exe, the package checker
# QvCheck.exe, the image writer QvImage.exe and the set planner QvPlan.exe; static, system DLLs only
# and no C run-time DLL, checked against tests/release-imports.txt, and for
# instructions a 486 lacks by tests/check-i486.sh), a small sample package
# (packlist.ini and the short files it names in disk1\ and disk2\, so that
# every program works as unzipped), Quorvane.ini, license.txt and a
# README.txt on laying out the disk images.
#
#   ./scripts/release.sh [--exe Quorvane.exe] [--out DIR]
#
# --exe packs an exe already built instead of building one; the other
# programs are the ones beside it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

exe="" out="$QV_ROOT/out/release"
while [ $# -gt 0 ]; do
  case $1 in
    --exe) exe=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "release.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ -z "$exe" ]; then
  "$QV_ROOT/scripts/install-deps.sh" >/dev/null
  qv_build i686 "$QV_ROOT/build-release" -DBUILD_TESTING=OFF >/dev/null
  exe="$QV_ROOT/build-release/Quorvane.exe"
fi

# The release's programs, Quorvane.exe first: every one is checked and
# packed.
release_programs=(Quorvane.exe QvCheck.exe QvImage.exe QvPlan.exe)
programs=("$exe")
for program in "${release_programs[@]:1}"; do
  programs+=("$(dirname "$exe")/$program")
done
# Nothing that Windows 95 or NT 4.0 would refuse to start, nothing a 486
# cannot execute.
for program in "${programs[@]}"; do
  if ! checked=$("$QV_ROOT/tests/check-imports.sh" "$program" "$QV_ROOT/tests/release-imports.txt"); then
    echo "$checked" >&2
    exit 1
  fi
done
if ! checked=$("$QV_ROOT/tests/check-i486.sh" "${programs[@]}"); then
  echo "$checked" >&2
  exit 1
fi

version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$QV_ROOT/CMakeLists.txt")
name="quorvane-$version-win32"
stage=$(mktemp -d)
qv_on_exit "rm -rf '$stage'"
"$QV_ROOT/scripts/make-sample.sh" "$stage/sample" --small
mkdir "$stage/$name"
for i in "${!programs[@]}"; do
  cp "${programs[$i]}" "$stage/$name/${release_programs[$i]}"
done
cp -r "$stage/sample/packlist.ini" "$stage/sample/license.txt" "$stage/sample/disk1" "$stage/sample/disk2" \
  "$stage/$name/"

crlf() { sed 's/$/\r/'; }
crlf >"$stage/$name/Quorvane.ini" <<'INI'
; Where the disk images lie. Without this file, or with an empty value,
; Quorvane looks for them in its own directory.
[Paths]
DiskImages=
; 0 starts "Verify each disk after writing it" unchecked.
[Options]
Verify=1
INI
crlf >"$stage/$name/README.txt" <<TXT
Quorvane $version - installation floppies from disk images

Quorvane writes a prepared installation set onto 1.44 MB floppy disks.
It runs on Windows 95, 98 and Me, on Windows NT 4.0, and on every later
32-bit or 64-bit Windows. Besides the files named here it needs nothing
but Windows 95 or later: Windows 95 as first sold will do, with no update
and no run-time library installed.
It runs on a 486 or any later processor: the Pentium and Pentium MMX,
AMD's K5 and K6, Cyrix's 6x86, and every processor since.

Lay out a directory like this:

    Quorvane.exe
    QvCheck.exe         checks the package before any floppy is written
    QvImage.exe         writes the disks as floppy image files
    QvPlan.exe          writes packlist.ini for a folder of files
    packlist.ini        what goes onto which disk (required)
    license.txt         shown as an agreement page (optional)
    Quorvane.ini        where the disk images lie, and whether disks are
                        read back after writing (optional)
    disk1\\setup.exe     the disk images: the files named in packlist.ini,
    disk1\\setup.ini     by their paths relative to the disk image
    disk2\\data.cab      directory

As unzipped, disk1\\ and disk2\\ hold a small sample set: short stand-in
files that the sample packlist.ini names, so that Quorvane, QvCheck and
QvImage can be tried at once. Replace them and packlist.ini with your own.

packlist.ini names the product and lists each disk's files:

$(sed 's/\r$//; s/^/    /' "$stage/sample/packlist.ini")

[Disk0] is the disk called Disk 1. Paths may use \\ or /. Each file lands
in the root of its floppy under its own name. Without Quorvane.ini the disk image directory
is Quorvane's own; to keep the images elsewhere, give their directory:

    [Paths]
    DiskImages=D:\\images

Run Quorvane.exe (or "Quorvane.exe other.ini" for another package list
beside it), choose the disks and the floppy drive, and label a blank,
formatted floppy for each disk as Quorvane asks. A floppy counts as blank
when at most one cluster of it is in use.

Before writing a set, check it from a command prompt in this directory:

    QvCheck              checks packlist.ini
    QvCheck other.ini    checks another list beside it
    QvCheck /verify A:   reads the floppy in A: and compares it with the
                         disk it holds (add /disk N to name the disk)

QvCheck prints what each disk takes on a 1.44 MB floppy and every problem
it finds: a missing file, a disk that does not fit, two files of one disk
with the same name. For a list that does not load, it names the section and
key at fault. Quorvane makes the same check of the chosen disks before it
asks for the first floppy. QvCheck's exit code is 0 for a clean set, 1 when
it found problems and 2 when the list does not load, the command is wrong
or memory ran out; with /verify, 0 when the floppy holds its disk exactly,
1 when not, and 2 also for a disk number beyond the set.

Quorvane reads every disk back after writing it and compares it with the
package, unless "Verify each disk after writing it" is cleared on "Get
Needed Disks" (or Quorvane.ini says Verify=0 under [Options]). A disk that
does not verify is removed from its floppy and can be written again.

Without a floppy drive, write the disks as image files instead:

    QvImage                      every disk, into the current directory
    QvImage /out D:\\images       into another directory, made if missing
    QvImage /disk 2              only Disk 2 (repeat /disk for more)
    QvImage other.ini /force     another list, even when it has problems

Each disk becomes "Disk 1 - Corvela.img", named by the disk's label: a
1.44 MB FAT12 floppy image holding exactly what Quorvane would write onto a
blank floppy, with the same names and times. QvImage finds the list as
QvCheck does and checks it first; when it finds problems it lists them and
writes nothing, unless /force is given. A disk whose files do not fit is
never written. Every image is written under a temporary name, read back
and compared with its files, and only then takes its name, replacing an
older image of that name. Exit code: 0 every chosen disk written
complete; 1 problems found, a disk that does not fit or was left out, or
(with /force) one written without some of its files, each named; 2 the
list does not load, the command is wrong or memory ran out, and nothing
half-written is left; 3 an image file, or its folder, could not be written.

An image file can be used as it is by emulators and virtual machines (as
their floppy drive A:); for USB floppy emulators, see /gotek below. To make a real floppy of one, write the image onto
a blank 1.44 MB floppy with any disk-image tool, sector by sector; on
Linux: dd if="Disk 1 - Corvela.img" of=/dev/fd0 bs=18k.

Other floppy formats: QvImage /format F writes the images, and QvCheck
/format F checks the set, for floppies of F KB instead of 1.44 MB.
Quorvane itself writes 1.44 MB floppies only.

    F      floppy                        room for files  cluster  root entries
    720    3.5" double density             730,112 bytes  1 KB     112
    1200   5.25" high density            1,213,952 bytes  512      224
    1440   3.5" high density (default)   1,457,664 bytes  512      224
    1680   3.5", 21 sectors a track      1,716,224 bytes  2 KB     16
    2880   3.5" extra density            2,931,712 bytes  1 KB     240

    QvCheck /format 720          does the set fit 720 KB floppies?
    QvImage /format 1680         1.68 MB images

A name that is not a plain upper-case 8.3 name takes two or more root
entries; on a 1.68 MB floppy, whose root holds 16, that counts.

For a USB floppy emulator, let QvImage lay out its stick (here E:; E:
alone means its root too):

    QvImage /gotek E:\\                  Disk 1 as DSKA0000.IMG, Disk 2 as
                                        DSKA0001.IMG, and so on
    QvImage /gotek E:\\ /disk 2 /disk 1  the slots in the order chosen
    QvImage /gotek E:\\ /protect         read-only (write-protected) images

The emulator finds images by number when FF.CFG at the stick's root says
nav-mode = indexed. QvImage writes an FF.CFG with that line where there is
none; one that is there is left as it is, and QvImage says whether it
needs the line. DISKS.TXT on the stick says which disk is in which slot.
DSKA*.IMG files of an earlier set are named, never deleted. A disk that
does not fit leaves the stick as it was, /force or not.

From a folder to a set: QvPlan writes packlist.ini for you. Put the
set's files in a folder of the disk image directory (here, setup\) and
run:

    QvPlan setup                 every file below setup\, in name order,
                                 each disk filled before the next begins
    QvPlan /first setup.exe setup
                                 setup.exe first, on Disk 1
    QvPlan /fewest setup         the fewest disks, files in any order
    QvPlan /format 1680 /name Corvela /out other.ini setup

QvPlan counts each file in whole clusters of the format and the root
directory's entries (a long name takes two or more), and never puts two
files that land under one name on one disk, exactly as QvCheck counts, so
the list it writes checks clean. It prints one line per disk (files,
bytes on the floppy, room left, how full) and "N disks; no plan can use
fewer than M", M being what the files' clusters, root entries and sizes
allow at best; packlist.ini carries the same lines as ; comments. An
existing packlist.ini is never replaced without /force. Exit code: 0 the
list was written; 1 a file is larger than a floppy (each is named, with
how much too large) or the folder holds no file; 2 the command or the
folder is wrong (the folder must lie in the disk image directory); 3 the
list was not written.

For batch files, Quorvane.exe's exit code is 0 when the wizard ended on its
last page (every chosen disk written), 1 when the user quit, and 2 when it
could not start (no or a bad packlist.ini, no floppy drive).
TXT

mkdir -p "$out"
rm -f "$out/$name.zip"
(cd "$stage" && zip -q -X -r "$out/$name.zip" "$name")
echo "$out/$name.zip"
