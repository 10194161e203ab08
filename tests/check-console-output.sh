#!/usr/bin/env bash
# The console tools' output, byte for byte, line ends included, as a pipe
# receives it, and their exit codes: on the sample package, on a list with
# problems, on one that does not load and on a wrong command line. The
# expected bytes in tests/console/ were written by the tools as built on
# the C run-time DLL; the work directory stands there as @DIR@.
#
#   tests/check-console-output.sh ARCH QvCheck.exe QvImage.exe   (WINEPREFIX from the caller)
#   ... --write DIR: writes the outputs into DIR instead of comparing
set -euo pipefail
arch=$1 checker=$2 imager=$3 write=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../scripts/make-sample.sh" "$work/sample" --small
cp "$checker" "$imager" "$work/sample/"
cp -r "$work/sample" "$work/faulty"
rm "$work/faulty/disk2/data.cab"
printf '[Global]\r\nName=Corvela\r\n[Disks]\r\nNumber=2\r\n[Disk0]\r\nFiles=1\r\nFile0=a\r\n[Disk1]\r\nFiles=0\r\n' \
  >"$work/faulty/other.ini"
mkdir "$work/images"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
dir_pattern=$(windows_path "$work" | sed 's/[\\&|.]/\\&/g')

failed=0
# run NAME EXIT DIR PROGRAM ARGS...: PROGRAM of DIR exits EXIT and writes tests/console/NAME.txt.
run() {
  local name=$1 expected_exit=$2 dir=$3 program=$4 status
  shift 4
  set +e
  # pipefail: the status is the program's, not cat's.
  (cd "$work/$dir" && "$here/../scripts/wine-exec.sh" "$arch" "$program" "$@" | cat >"$work/$name.out")
  status=$?
  set -e
  sed -i "s|$dir_pattern|@DIR@|g" "$work/$name.out"
  if [ -n "$write" ]; then
    cp "$work/$name.out" "$write/$name.txt"
  elif ! cmp -s "$here/console/$name.txt" "$work/$name.out"; then
    echo "FAIL [$name]: the output differs from tests/console/$name.txt:"
    diff <(od -c "$here/console/$name.txt") <(od -c "$work/$name.out") | head -20
    failed=1
  fi
  if [ "$status" -ne "$expected_exit" ]; then
    echo "FAIL [$name]: exit code $status, expected $expected_exit"
    failed=1
  fi
}
run qvcheck-sample 0 sample QvCheck.exe
run qvcheck-problems 1 faulty QvCheck.exe
run qvcheck-not-loaded 2 faulty QvCheck.exe other.ini
run qvcheck-wrong-command 2 sample QvCheck.exe /disk 2x
run qvimage-sample 0 sample QvImage.exe /out "$(windows_path "$work/images")"
run qvimage-problems 1 faulty QvImage.exe /out "$(windows_path "$work/images")"
run qvimage-usage 0 sample QvImage.exe /?
[ $failed -ne 0 ] || echo "the console tools' output is byte for byte the expected, exit codes too"
exit $failed
