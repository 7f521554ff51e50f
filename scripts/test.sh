#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds the native
# sanitizer build and the Windows build, and runs every test through CTest
# (the Windows tests under Wine on a virtual display).
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
# Packages first: which Windows target this machine runs (env.sh) depends on
# whether 32-bit Wine is installed.
"$(dirname "$0")/install-packages.sh"
. "$(dirname "$0")/env.sh"
cd "$GMBX_ROOT"

gmbx_log "native build (clang, AddressSanitizer + UBSan)"
if [ ! -f build/native/CMakeCache.txt ]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >&2
fi
cmake --build build/native >&2

gmbx_log "Windows build ($GMBX_TRIPLET) in ${GMBX_WIN_BUILD#$GMBX_ROOT/}"
gmbx_build_windows "$GMBX_TRIPLET" "$GMBX_WIN_BUILD"
subdirs="\"native\" \"$(basename "$GMBX_WIN_BUILD")\""

# The delivered 32-bit programs are at least compiled where they cannot run.
if [ "$GMBX_TRIPLET" != i686-w64-mingw32 ]; then
  gmbx_log "32-bit Windows build (compiled only: this machine cannot run 32-bit programs)"
  gmbx_build_windows i686-w64-mingw32 "$GMBX_ROOT/build/win32" gmbx GmbxRes Dibkit tendra
fi

gmbx_ensure_display
gmbx_ensure_prefix
gmbx_start_wineserver
gmbx_unmanaged_windows

# One CTest run over both builds, so that its summary is the last line.
printf 'subdirs(%s)\n' "$subdirs" >build/CTestTestfile.cmake
cd build
exec ctest --output-on-failure --timeout 600 "$@"
