#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need.
# Idempotent: asks apt only for what is missing, so a prepared machine
# pays nothing. Must run as root (or with sudo available) on Debian.
set -euo pipefail

packages=(
  mingw-w64
  g++-mingw-w64-i686-win32
  g++-mingw-w64-x86-64-win32
  wine
  wine32:i386
  wine64
  fonts-wine
  libfreetype6:i386
  libfontconfig1:i386
  libxrender1:i386
  libxrandr2:i386
  libxcursor1:i386
  libxi6:i386
  libxfixes3:i386
  xvfb
  xauth
  imagemagick
  mtools
  dosfstools
  cmake
  ninja-build
  zip
  unzip
  file
  googletest
  x11-utils
  procps
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The i486 run-time is built from the sources of the installed i686 MinGW
# compiler: gcc-N-source of its major version N.
major=$(i686-w64-mingw32-g++-win32 -dumpversion | sed 's/[^0-9].*//')
source_package="gcc-$major-source"
if is_installed "$source_package"; then
  [ ${#missing[@]} -ne 0 ] || echo "install-deps: everything is present"
  exit 0
fi
[ ${#missing[@]} -ne 0 ] || as_root apt-get update -q
if [ -z "$(apt-cache policy "$source_package" 2>/dev/null | grep 'Candidate: [0-9]')" ]; then
  echo "install-deps: $source_package, the sources of the i686 MinGW compiler (GCC $major), is not in this system's package sources" >&2
  exit 1
fi
echo "install-deps: installing $source_package"
export DEBIAN_FRONTEND=noninteractive
as_root apt-get install -y -q --no-install-recommends "$source_package"
