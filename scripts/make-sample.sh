#!/usr/bin/env bash
# make-sample.sh DIR [--small]: lays out the sample Corvela package in DIR
# (which also receives Quorvane.exe): the package list of the README, a
# license text and the disk image files, of sizes a real two-disk set would
# have; with --small, short stand-ins of the same names, as the release
# carries them.
set -euo pipefail
dir=$1 small=${2:-}
mkdir -p "$dir/disk1" "$dir/disk2"

crlf() { sed 's/$/\r/'; }

crlf >"$dir/packlist.ini" <<'INI'
[Global]
Name=Corvela
[Disks]
Number=2
[Disk0]
Files=2
File0=disk1\setup.exe
File1=disk1\setup.ini
[Disk1]
Files=1
File0=disk2\data.cab
INI

crlf >"$dir/disk1/setup.ini" <<'INI'
[Setup]
Product=Corvela
Version=2.1
Disks=2
DefaultDir=C:\CORVELA
[Files]
Disk2=data.cab
INI

crlf >"$dir/license.txt" <<'TXT'
CORVELA SOFTWARE LICENSE AGREEMENT

Please read this agreement carefully before installing Corvela.

1. You may install and use one copy of Corvela on a single computer.
2. You may make one copy of the installation disks for backup purposes.
3. You may not rent, lease or lend the software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND.
TXT

if [ "$small" = --small ]; then
  printf 'MZ - a stand-in for the setup program of a real package.\r\n' >"$dir/disk1/setup.exe"
  printf 'MSCF - a stand-in for the data of a real package.\r\n' >"$dir/disk2/data.cab"
  exit 0
fi
# Binary parts: the sizes matter, the bytes only need to be checkable.
head -c 286720 /dev/urandom >"$dir/disk1/setup.exe"
printf 'MZ' | dd of="$dir/disk1/setup.exe" conv=notrunc status=none
head -c 1261568 /dev/urandom >"$dir/disk2/data.cab"
printf 'MSCF' | dd of="$dir/disk2/data.cab" conv=notrunc status=none
