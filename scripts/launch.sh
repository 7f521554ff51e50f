#!/usr/bin/env bash
# What the root launchers share: installs what is missing, builds the program
# when needed, starts a virtual display when there is none, and runs it under
# Wine with the arguments given. Returns the program's exit code.
#   scripts/launch.sh PROGRAM "TARGET..." [arguments...]
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
# Packages first: which Windows target this machine runs (env.sh) depends on
# whether 32-bit Wine is installed.
"$here/install-packages.sh"
. "$here/env.sh"
program=$1 targets=$2
shift 2
log="$GLIMMERBOX_CACHE/launcher-build.log"
# shellcheck disable=SC2086
if ! gmbx_build_windows "$GMBX_TRIPLET" "$GMBX_WIN_BUILD" $targets >"$log" 2>&1; then
  tail -40 "$log" >&2
  gmbx_log "build failed (full log: $log)"
  exit 1
fi
callers_display=${DISPLAY:-}
gmbx_ensure_display
gmbx_ensure_prefix
gmbx_start_wineserver
# On our own virtual display there is no window manager to wait for; on the
# caller's desktop the windows are the window manager's again.
if [ -z "$callers_display" ]; then
  gmbx_unmanaged_windows
else
  "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
fi
exec "$WINELOADER" "$GMBX_WIN_BUILD/$program" "$@"
