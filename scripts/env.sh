# Sourced by the project's scripts: where things live, which Windows target
# runs on this machine, and helpers to get a display and a Wine prefix.
# shellcheck shell=bash

GMBX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${GLIMMERBOX_CACHE:-}" ]; then
  if mkdir -p /var/cache/glimmerbox 2>/dev/null && [ -w /var/cache/glimmerbox ]; then
    GLIMMERBOX_CACHE=/var/cache/glimmerbox
  else
    GLIMMERBOX_CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/glimmerbox
  fi
fi
export GLIMMERBOX_CACHE
mkdir -p "$GLIMMERBOX_CACHE"

# The delivered programs are 32-bit (i686). Running them needs a kernel that
# executes 32-bit code; where it cannot (some sandboxes), the same sources are
# built and tested as 64-bit Windows programs and the 32-bit build is only
# compiled.
gmbx_can_run_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1 &&
    [ -e /usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so ]
}
if [ -z "${GMBX_TRIPLET:-}" ]; then
  if gmbx_can_run_32bit; then GMBX_TRIPLET=i686-w64-mingw32; else GMBX_TRIPLET=x86_64-w64-mingw32; fi
fi
case $GMBX_TRIPLET in
  i686-*)   GMBX_WIN_BUILD=$GMBX_ROOT/build/win32; export WINEARCH=win32; WINELOADER=/usr/lib/wine/wine ;;
  x86_64-*) GMBX_WIN_BUILD=$GMBX_ROOT/build/win64; export WINEARCH=win64; WINELOADER=/usr/lib/wine/wine64 ;;
  *) echo "unknown GMBX_TRIPLET $GMBX_TRIPLET" >&2; return 1 ;;
esac
export GMBX_TRIPLET GMBX_WIN_BUILD WINELOADER
export WINEPREFIX=${GMBX_WINEPREFIX:-$GLIMMERBOX_CACHE/wine-$WINEARCH}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winemenubuilder.exe=d;mscoree,mshtml="}
export WINEDEBUG=${WINEDEBUG:--all}
export WINESERVER=/usr/lib/wine/wineserver

gmbx_log() { printf '[gmbx %(%H:%M:%S)T] %s\n' -1 "$*" >&2; }

# A display for Wine: the caller's, or our own Xvfb (1280x1024x24) that is
# kept running for later runs, with a clock in its top-right corner so that
# a capture of the otherwise black screen shows something.
gmbx_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=${GMBX_XVFB_DISPLAY:-47}
  export DISPLAY=:$n
  if xdpyinfo >/dev/null 2>&1; then return 0; fi
  rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  gmbx_log "starting Xvfb on $DISPLAY"
  setsid nohup Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -ac </dev/null >"$GLIMMERBOX_CACHE/xvfb-$n.log" 2>&1 &
  local i
  for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 || { gmbx_log "Xvfb did not start (see $GLIMMERBOX_CACHE/xvfb-$n.log)"; return 1; }
  setsid nohup xclock -geometry 160x160-16+16 -update 1 </dev/null >/dev/null 2>&1 &
}

# The project's Wine prefix, created after Wine is installed, outside the
# clone. A prefix made before 32-bit Wine was installed is broken; its marker
# file records the loader it was made with.
gmbx_ensure_prefix() {
  local mark="$WINEPREFIX/.glimmerbox"
  if [ -f "$mark" ] && [ "$(cat "$mark")" = "$WINELOADER" ] && [ -d "$WINEPREFIX/drive_c" ]; then return 0; fi
  gmbx_log "creating Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  "$WINELOADER" wineboot -i </dev/null >"$GLIMMERBOX_CACHE/wineboot.log" 2>&1 || true
  "$WINESERVER" -w || true
  [ -d "$WINEPREFIX/drive_c" ] || { gmbx_log "wineboot failed (see $GLIMMERBOX_CACHE/wineboot.log)"; return 1; }
  echo "$WINELOADER" >"$mark"
}

# Keep one wineserver and Wine's services running, with their output away
# from our pipes (otherwise a test runner waiting on its pipes would hang).
gmbx_start_wineserver() {
  "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 || true
  "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Windows that no window manager handles. The virtual display has no window
# manager, and Wine waits for one (about 2 s) whenever a managed window is
# activated, hidden or destroyed; unmanaged windows draw their own frames.
gmbx_unmanaged_windows() {
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

# Windows left to a window manager, for runs with one on the display
# (scripts/with-window-manager).
gmbx_managed_windows() {
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f </dev/null >/dev/null 2>&1 || true
}

# Cross-built dependencies for the given triplet; prints their folder.
gmbx_deps_dir() { "$GMBX_ROOT/scripts/deps.sh" "$1"; }

# Configures (once) and builds a Windows build of the given triplet into dir.
gmbx_build_windows() { # triplet dir [targets...]
  local t=$1 dir=$2 deps; shift 2
  deps=$(gmbx_deps_dir "$t")
  if [ ! -f "$dir/CMakeCache.txt" ] || ! grep -q "GMBX_DEPS_DIR:[A-Z]*=$deps\$" "$dir/CMakeCache.txt"; then
    cmake -S "$GMBX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$GMBX_ROOT/cmake/toolchain-$t.cmake" -DGMBX_DEPS_DIR="$deps" >&2
  fi
  if [ $# -gt 0 ]; then cmake --build "$dir" --target "$@" >&2; else cmake --build "$dir" >&2; fi
}
