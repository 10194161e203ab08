#!/usr/bin/env bash
# Builds the Windows release, out/release/quorvane-<version>-win32.zip:
# Quorvane.exe and the package checker QvCheck.exe (static, system DLLs
# only, checked against tests/release-imports.txt), a sample packlist.ini,
# Quorvane.ini, license.txt and a README.txt on laying out the disk images.
#
#   ./scripts/release.sh [--exe Quorvane.exe] [--out DIR]
#
# --exe packs an exe already built instead of building one; its QvCheck.exe
# is the one beside it.
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

checker="$(dirname "$exe")/QvCheck.exe"
# Nothing that Windows 95 or NT 4.0 would refuse to start.
for program in "$exe" "$checker"; do
  if ! checked=$("$QV_ROOT/tests/check-imports.sh" "$program" "$QV_ROOT/tests/release-imports.txt"); then
    echo "$checked" >&2
    exit 1
  fi
done

version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$QV_ROOT/CMakeLists.txt")
name="quorvane-$version-win32"
stage=$(mktemp -d)
qv_on_exit "rm -rf '$stage'"
"$QV_ROOT/scripts/make-sample.sh" "$stage/sample"
mkdir "$stage/$name"
cp "$exe" "$stage/$name/Quorvane.exe"
cp "$checker" "$stage/$name/QvCheck.exe"
cp "$stage/sample/packlist.ini" "$stage/sample/license.txt" "$stage/$name/"

crlf() { sed 's/$/\r/'; }
crlf >"$stage/$name/Quorvane.ini" <<'INI'
; Where the disk images lie. Without this file, or with an empty value,
; Quorvane looks for them in its own directory.
[Paths]
DiskImages=
INI
crlf >"$stage/$name/README.txt" <<TXT
Quorvane $version - installation floppies from disk images

Quorvane writes a prepared installation set onto 1.44 MB floppy disks.
It runs on Windows 95, 98 and Me, on Windows NT 4.0, and on every later
32-bit or 64-bit Windows. Besides the files named here it needs only the
system's own DLLs and the C run-time library MSVCRT.DLL, which Windows 98,
NT 4.0 and every later Windows include. Windows 95 as first sold lacks
MSVCRT.DLL; the usual updates of that system bring it (Internet Explorer 4
or later, for instance, or Microsoft's Visual C++ run-time update). If
Windows 95 says that MSVCRT.DLL is missing, install one of them.
The processor must have the Pentium Pro's instruction set (Pentium II,
Celeron, Pentium III, AMD Athlon and every later one): a 486, a Pentium or
Pentium MMX, or an AMD K6 lacks instructions Quorvane's run-time uses.

Lay out a directory like this:

    Quorvane.exe
    QvCheck.exe         checks the package before any floppy is written
    packlist.ini        what goes onto which disk (required)
    license.txt         shown as an agreement page (optional)
    Quorvane.ini        where the disk images lie (optional)
    disk1\\setup.exe     the disk images: the files named in packlist.ini,
    disk1\\setup.ini     by their paths relative to the disk image
    disk2\\data.cab      directory

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

QvCheck prints what each disk takes on a 1.44 MB floppy and every problem
it finds: a missing file, a disk that does not fit, two files of one disk
with the same name. For a list that does not load, it names the section and
key at fault. Quorvane makes the same check of the chosen disks before it
asks for the first floppy. QvCheck's exit code is 0 for a clean set, 1 when
it found problems and 2 when the list does not load or memory ran out.

For batch files, Quorvane.exe's exit code is 0 when the wizard ended on its
last page (every chosen disk written), 1 when the user quit, and 2 when it
could not start (no or a bad packlist.ini, no floppy drive).
TXT

mkdir -p "$out"
rm -f "$out/$name.zip"
(cd "$stage" && zip -q -X -r "$out/$name.zip" "$name")
echo "$out/$name.zip"
