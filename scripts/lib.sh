# Shared steps of the test and run scripts: building, Wine prefixes with
# virtual floppy drives, and a virtual display. Source it; it defines
# functions only. Whatever a step starts or mounts is undone on exit.

QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts in a new prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

qv_cleanups=()
qv_on_exit() { qv_cleanups+=("$1"); }
qv_run_cleanups() {
  local i
  for ((i = ${#qv_cleanups[@]} - 1; i >= 0; i--)); do
    eval "${qv_cleanups[$i]}" >/dev/null 2>&1 || true
  done
  qv_cleanups=()
}
trap qv_run_cleanups EXIT
trap 'exit 130' INT TERM

qv_log() { printf '==> %s\n' "$*" >&2; }

# Which builds can run here. Some kernels cannot execute 32-bit Linux
# programs, and Wine's 32-bit loader then fails with "Exec format error";
# Debian's wine wrapper would still pick it, so every Wine call below names
# its loader. QV_ONLY_X64=1 forces the 64-bit path on any host.
# Sets QV_ARCHS ("i686 x86_64" or "x86_64") and, when i686 cannot run,
# QV_NO_I686_WHY.
qv_probe_archs() {
  QV_NO_I686_WHY=""
  if [ -n "${QV_ONLY_X64:-}" ]; then
    QV_NO_I686_WHY="QV_ONLY_X64 is set"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    local said
    said=$(/usr/lib/wine/wine --version 2>&1 | sed -n '1s/.*: //p') || true
    QV_NO_I686_WHY="this host cannot execute 32-bit Linux programs (Wine's 32-bit loader: ${said:-does not start})"
  fi
  if [ -n "$QV_NO_I686_WHY" ]; then QV_ARCHS="x86_64"; else QV_ARCHS="i686 x86_64"; fi
}

# The build directory of ARCH under the base directory BASE.
qv_build_dir() { if [ "$1" = i686 ]; then echo "$2"; else echo "$2-x64"; fi; }

# qv_use_arch ARCH: every qv_wine call from now on runs ARCH's programs, in
# prefixes of ARCH's own kind.
qv_use_arch() {
  QV_ARCH=$1
  if [ "$1" = i686 ]; then
    export WINELOADER=/usr/lib/wine/wine WINEARCH=win32
  else
    export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
  fi
}
# The architecture the run and demo scripts use: the shipped i686 build
# where it can run, else x86_64.
qv_use_default_arch() {
  qv_probe_archs
  qv_use_arch "${QV_ARCHS%% *}"
  [ -z "$QV_NO_I686_WHY" ] || qv_log "Running the x86_64 build: $QV_NO_I686_WHY"
}
qv_wine() { "$WINELOADER" "$@"; }

# qv_build ARCH DIR [cmake options...]: configures and builds one architecture.
qv_build() {
  local arch=$1 dir=$2 toolchain
  shift 2
  # CMake keeps the compilers it first found; a changed toolchain needs a
  # fresh configuration, or the old compilers would go on silently.
  toolchain=$(cat "$QV_ROOT/cmake/$arch-w64-mingw32.cmake" "$QV_ROOT/cmake/mingw-common.cmake" | md5sum)
  if [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$dir/.toolchain" 2>/dev/null)" != "$toolchain" ]; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  mkdir -p "$dir"
  echo "$toolchain" >"$dir/.toolchain"
  cmake -S "$QV_ROOT" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir"
}

# qv_mount_floppy DIR [BYTES]: a 1.44 MB tmpfs, the size of a high-density
# floppy, or one of BYTES (a larger medium in a floppy's place).
qv_mount_floppy() {
  local dir=$1 size=${2:-1474560}
  mkdir -p "$dir"
  if mountpoint -q "$dir"; then umount "$dir"; fi
  mount -t tmpfs -o size="$size",mode=0777 tmpfs "$dir"
  qv_on_exit "umount '$dir' || umount -l '$dir'"
}

# qv_make_prefix PREFIX [LETTER=DIR ...]: a fresh Wine prefix in which each
# DIR appears as a floppy drive LETTER:. The drives are registered before
# anything in the prefix looks at them, so Wine reports them as removable.
qv_make_prefix() {
  local prefix=$1 drive letter dir
  shift
  rm -rf "$prefix"
  mkdir -p "$prefix"
  WINEPREFIX="$prefix" qv_wine wineboot -i >/dev/null 2>&1
  WINEPREFIX="$prefix" wineserver -w
  {
    echo 'REGEDIT4'
    # On a bare X display (no window manager) Wine draws the title bars
    # itself, as Windows does; QV_MANAGED=Y leaves them to a desktop's.
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo "\"Managed\"=\"${QV_MANAGED:-N}\""
    # As on Windows, wizard sheets use the same face as their pages.
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]'
    echo '"MS Shell Dlg"="MS Sans Serif"'
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]'
    for drive in "$@"; do
      echo "\"${drive%%=*}:\"=\"floppy\""
    done
  } >"$prefix/drive_c/quorvane.reg"
  WINEPREFIX="$prefix" qv_wine regedit /S 'C:\quorvane.reg' >/dev/null 2>&1
  rm "$prefix/drive_c/quorvane.reg"
  for drive in "$@"; do
    letter=${drive%%=*}
    dir=${drive#*=}
    ln -sfn "$dir" "$prefix/dosdevices/$letter:"
  done
  # The caption buttons' glyphs come from Marlett.
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  WINEPREFIX="$prefix" wineserver -w
}

# qv_start_wineserver PREFIX: keeps one server up so each test starts fast.
# Wine's background services start with the first program of a session and
# keep the output descriptors they were given; starting them here, on
# /dev/null, keeps them off the pipes through which ctest reads a test's
# output (ctest would wait for those pipes to close).
qv_start_wineserver() {
  WINEPREFIX="$1" wineserver -p
  qv_on_exit "WINEPREFIX='$1' wineserver -k"
  WINEPREFIX="$1" qv_wine cmd /c exit </dev/null >/dev/null 2>&1
}

# qv_start_xvfb: a virtual display on the first free number; sets DISPLAY.
qv_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  local pid=$!
  qv_on_exit "kill $pid"
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}
