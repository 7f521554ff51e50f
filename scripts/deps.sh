#!/usr/bin/env bash
# deps.sh - cross-build the third-party static libraries for the Windows build
# from Debian source packages, and cache them outside the repository.
#
#   libjpeg-turbo 2.1.5 (Debian source libjpeg-turbo): libjpeg v6.2 API, static,
#                       no TurboJPEG, SIMD via nasm, built with -fexceptions
#   libgd 2.3.3         (Debian source libgd2, bookworm-security included):
#                       static, GIF only (every optional format off, no zlib)
#   GoogleTest          (/usr/src/googletest, package googletest): static, with gmock
#
# Usage: scripts/deps.sh [--force] [--refresh] [TRIPLET...]
#   TRIPLET    i686-w64-mingw32 and/or x86_64-w64-mingw32 (default: both)
#   --force    rebuild even if a matching build is cached
#   --refresh  look for a newer Debian revision of the sources (network);
#              without it a cached run uses no network at all
# With exactly one TRIPLET the last (and only) line on stdout is the directory
# to pass as -DGMBX_DEPS_DIR=...; everything else goes to stderr.
#   e.g. cmake -DGMBX_DEPS_DIR="$(scripts/deps.sh x86_64-w64-mingw32)" ...
#
# Environment:
#   GLIMMERBOX_CACHE  cache directory (default /var/cache/glimmerbox, or
#                     ${XDG_CACHE_HOME:-$HOME/.cache}/glimmerbox if /var/cache
#                     is not writable)
#   JOBS              parallel build jobs (default: nproc)
#
# Layout: $GLIMMERBOX_CACHE/deps/<triplet>/<stamp>/{include,lib,lib/cmake,INPUTS,build.log}
# where <stamp> is a hash of everything that should trigger a rebuild (see
# stamp_inputs), so builds of different versions live side by side; Debian
# sources and the private apt lists are in $GLIMMERBOX_CACHE/deps/_src.
# Consumers of libgd must compile with -DNONDLL -DBGDWIN32 (static, non-DLL gd).
set -euo pipefail
exec 3>&1 1>&2   # stdout carries only the result line; everything else -> stderr

RECIPE=1   # bump when the build steps change (the configure options below are hashed already)
SUITE=bookworm
KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg
GTEST_DIR=/usr/src/googletest
SOURCES=(libjpeg-turbo:2.1.5 libgd2:2.3.3)   # Debian source package : upstream version
JPEG_ARGS=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF
           -DWITH_JPEG8=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
           )
# Added to the toolchain's own flags (SSE2 floating point on i686) through
# CFLAGS, which CMake puts in front of them: the program's error_exit throws a
# C++ exception through libjpeg's frames.
JPEG_CFLAGS=-fexceptions
GD_ARGS=(-DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_TEST=OFF -DENABLE_CPP=OFF
         -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=ON -DCMAKE_DISABLE_FIND_PACKAGE_Perl=ON  # no API docs
         )
GD_CFLAGS=-DNONDLL
for o in GD_FORMATS PNG JPEG TIFF ICONV XPM FREETYPE FONTCONFIG WEBP HEIF AVIF LIQ RAQM; do
  GD_ARGS+=("-DENABLE_$o=OFF")
done
GTEST_ARGS=(-DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON)
OUTPUTS=(lib/libjpeg.a lib/libgd.a lib/libgtest.a lib/libgtest_main.a lib/libgmock.a
         include/jpeglib.h include/jconfig.h include/gd.h include/gtest/gtest.h
         lib/cmake/GTest/GTestConfig.cmake)

log() { printf '[deps %(%H:%M:%S)T] %s\n' -1 "$*" >&2; }
die() { log "ERROR: $*"; exit 1; }

# Nothing from the caller's environment may leak into the cached libraries
# (the stamp does not cover it); GCC's include variables could even bring the
# host's /usr/include into the Windows build.
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS ASM_NASMFLAGS CPATH C_INCLUDE_PATH CPLUS_INCLUDE_PATH \
      LIBRARY_PATH CMAKE_GENERATOR CMAKE_PREFIX_PATH CMAKE_TOOLCHAIN_FILE CMAKE_BUILD_TYPE DESTDIR
export LC_ALL=C

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
top=$(cd "$here/.." && pwd -P)
JOBS=${JOBS:-$(nproc)}
case $JOBS in ''|0|*[!0-9]*) echo "deps.sh: JOBS must be a positive number, not '$JOBS'" >&2; exit 2 ;; esac

FORCE=0 REFRESH=0 TRIPLETS=()
for a in "$@"; do
  case $a in
    --force) FORCE=1 ;;
    --refresh) REFRESH=1 ;;
    -h|--help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0" >&3; exit 0 ;;
    -*) echo "deps.sh: unknown option '$a' (see --help)" >&2; exit 2 ;;
    *) [ -f "$top/cmake/toolchain-$a.cmake" ] ||
         { echo "deps.sh: unsupported triplet '$a' (no cmake/toolchain-$a.cmake)" >&2; exit 2; }
       TRIPLETS+=("$a") ;;
  esac
done
[ ${#TRIPLETS[@]} -gt 0 ] || TRIPLETS=(i686-w64-mingw32 x86_64-w64-mingw32)
pkgarch() { case $1 in x86_64-*) echo x86-64 ;; *) echo "${1%%-*}" ;; esac; }

# ------------------------------------------------------------------ host tools
missing=()
need() { command -v "$1" >/dev/null || missing+=("$1 (package $2)"); }
need cmake cmake; need make make; need dpkg-source dpkg-dev; need dpkg-query dpkg
need apt-get apt; need nasm nasm; need flock util-linux; need sha256sum coreutils
for t in "${TRIPLETS[@]}"; do
  need "$t-gcc-posix" "gcc-mingw-w64-$(pkgarch "$t")-posix"
  need "$t-g++-posix" "g++-mingw-w64-$(pkgarch "$t")-posix"
done
[ -f "$GTEST_DIR/CMakeLists.txt" ] || missing+=("$GTEST_DIR (package googletest)")
if [ ${#missing[@]} -gt 0 ]; then
  for m in "${missing[@]}"; do log "missing: $m"; done
  die "host tools missing; install them with scripts/install-packages.sh"
fi

# ------------------------------------------------------------------ cache root
if [ -n "${GLIMMERBOX_CACHE:-}" ]; then CACHE=$GLIMMERBOX_CACHE
elif [ -w /var/cache/glimmerbox ] || { [ ! -e /var/cache/glimmerbox ] && [ -w /var/cache ]; }; then
  CACHE=/var/cache/glimmerbox
else CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/glimmerbox
fi
mkdir -p "$CACHE/deps" || die "cannot create cache directory $CACHE/deps"
DEPS=$(cd "$CACHE/deps" && pwd -P)
case $DEPS/ in "$top"/*) die "cache $DEPS is inside the repository; set GLIMMERBOX_CACHE elsewhere" ;; esac
SRC=$DEPS/_src
VERSIONS_FILE=$SRC/versions   # "<source package> <Debian version>", written after a complete download

declare -A VER=()
read_versions() { # -> VER[pkg]; false unless every source is recorded and present
  VER=()
  local pkg ver s
  [ -f "$VERSIONS_FILE" ] || return 1
  while read -r pkg ver; do VER[$pkg]=$ver; done <"$VERSIONS_FILE"
  for s in "${SOURCES[@]}"; do
    pkg=${s%%:*}
    [ -n "${VER[$pkg]:-}" ] && [ -f "$(dsc_of "$pkg")" ] || return 1
  done
}
dsc_of() { local v=${VER[$1]}; echo "$SRC/$1_${v#*:}.dsc"; }   # file names carry no epoch

stamp_inputs() { # triplet -> every input of a build, one per line (hashed into the stamp)
  local t=$1 p s
  p=$(pkgarch "$t")
  echo "recipe $RECIPE"
  for s in "${SOURCES[@]}"; do echo "source ${s%%:*} ${VER[${s%%:*}]}"; done
  dpkg-query -W -f='package ${Package} ${Version}\n' googletest "gcc-mingw-w64-$p-posix" \
    "g++-mingw-w64-$p-posix" "mingw-w64-$p-dev" mingw-w64-common "binutils-mingw-w64-$p" 2>/dev/null || true
  echo "compiler $("$t-g++-posix" -dumpfullversion) $("$t-g++-posix" -dumpmachine)"
  echo "toolchain $(sha256sum <"$top/cmake/toolchain-$t.cmake" | cut -c1-16)"
  echo "jpeg ${JPEG_ARGS[*]} CFLAGS=$JPEG_CFLAGS"
  echo "gd ${GD_ARGS[*]} CFLAGS=$GD_CFLAGS"
  echo "gtest ${GTEST_ARGS[*]}"
}
dest_of() { echo "$DEPS/$1/$(stamp_inputs "$1" | sha256sum | cut -c1-12)"; }
is_complete() { local f; for f in "${OUTPUTS[@]}"; do [ -f "$1/$f" ] || return 1; done; }

declare -A RESULT=()
finish() {
  local t
  for t in "${TRIPLETS[@]}"; do log "$t: ${RESULT[$t]}"; done
  [ ${#TRIPLETS[@]} -ne 1 ] || printf '%s\n' "${RESULT[${TRIPLETS[0]}]}" >&3
  exit 0
}
check_cached() { # -> true if every requested triplet is cached (fills RESULT)
  local t d all=0
  [ $FORCE = 0 ] && [ $REFRESH = 0 ] && read_versions || return 1
  for t in "${TRIPLETS[@]}"; do
    d=$(dest_of "$t")
    if is_complete "$d"; then RESULT[$t]=$d; else all=1; fi
  done
  return $all
}

# Fast path: no lock, no network (a build is renamed into place only when complete).
check_cached && finish

exec 9>"$DEPS/.lock"
if ! flock -n 9; then log "waiting for another deps.sh run (lock $DEPS/.lock)"; flock 9; fi
WORK=   # the build directory of the triplet being built: removed on exit, its log kept on failure
# shellcheck disable=SC2317  # called by the trap below
cleanup() {
  [ -n "$WORK" ] || return 0
  if [ -f "$WORK/build.log" ]; then
    mv "$WORK/build.log" "${WORK%/*}/failed-build.log" && log "build log: ${WORK%/*}/failed-build.log"
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT; trap 'exit 143' TERM   # run cleanup on these too

# ------------------------------------------------------------------ sources
fetch_sources() {
  # A private apt configuration: /etc/apt and /var/lib/apt are left alone.
  local A=$SRC/apt s pkg up v best
  [ -f "$KEYRING" ] || die "missing: $KEYRING (package debian-archive-keyring)"
  mkdir -p "$A/lists/partial" "$A/cache/archives/partial" "$A/sources.list.d"
  cat >"$A/sources.list" <<EOF
deb-src [signed-by=$KEYRING] http://deb.debian.org/debian $SUITE main
deb-src [signed-by=$KEYRING] http://deb.debian.org/debian $SUITE-updates main
deb-src [signed-by=$KEYRING] http://deb.debian.org/debian-security $SUITE-security main
EOF
  local O=(-q -o Dir::Etc::SourceList="$A/sources.list" -o Dir::Etc::SourceParts="$A/sources.list.d"
           -o Dir::State::Lists="$A/lists" -o Dir::Cache="$A/cache" -o APT::Get::Only-Source=true
           -o APT::Cache::Only-Source=true)
  [ "$(id -u)" != 0 ] || O+=(-o APT::Sandbox::User=root)
  log "apt-get update (deb-src $SUITE, $SUITE-updates, $SUITE-security; lists in $A)"
  apt-get "${O[@]}" update || die "apt-get update of the private source lists failed (network?)"
  local out=$SRC/versions.new
  : >"$out"
  for s in "${SOURCES[@]}"; do
    pkg=${s%%:*} up=${s#*:} best=
    while read -r v; do
      local u=${v#*:}; u=${u%-*}   # upstream part of [epoch:]upstream-revision
      case $u in "$up"|"$up"+*) ;; *) continue ;; esac
      if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done < <(apt-cache "${O[@]}" showsrc "$pkg" | sed -n 's/^Version: //p')
    [ -n "$best" ] || die "no source $pkg with upstream version $up in $SUITE"
    log "source $pkg=$best"
    (cd "$SRC" && apt-get "${O[@]}" source --download-only "$pkg=$best") ||
      die "apt-get source $pkg=$best failed"
    echo "$pkg $best" >>"$out"
  done
  rm -f "$A"/cache/*.bin
  mv "$out" "$VERSIONS_FILE"
}
if [ $REFRESH = 1 ] || ! read_versions; then
  fetch_sources
  read_versions || die "sources incomplete after download"
fi

# ------------------------------------------------------------------ build
cm() { # cmake with output to the log; on failure show its end
  cmake "$@" >>"$LOG" 2>&1 || { tail -n 40 "$LOG" >&2; die "$T: cmake $1 $2 failed"; }
}
cmake_build() { # name source-dir install-prefix cflags cmake-args...: configure, build, check, stage
  local name=$1 src=$2 prefix=$3 cflags=$4 b=$WORK/build/$1
  shift 4
  log "$T: building $name"
  CFLAGS=$cflags cm -S "$src" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$T.cmake" \
     -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  cm --build "$b" -j "$JOBS"
  # GCC's dependency files list every header each object read: none may be the host's.
  if find "$b" -name '*.d' -exec grep -lE '(^|[[:space:]])/usr/(local/)?include/' {} + >"$WORK/hosthdr"; then
    die "$T: $name read the host's /usr/include (see $(head -n 1 "$WORK/hosthdr"))"
  fi
  DESTDIR=$WORK/stage cm --install "$b"
}
unpack() { # pkg: unpack its Debian source (Debian's patches applied) into $WORK/src/pkg
  dpkg-source -x "$(dsc_of "$1")" "$WORK/src/$1" >>"$LOG" 2>&1 ||
    { tail -n 20 "$LOG" >&2; die "dpkg-source -x $(dsc_of "$1") failed"; }
}
build() { # triplet final-dir
  T=$1
  local d=$2 t0=$SECONDS s
  mkdir -p "$DEPS/$T"
  rm -rf "$DEPS/$T"/.build.*   # left over by an interrupted run (we hold the lock)
  WORK=$(mktemp -d "$DEPS/$T/.build.XXXXXX")
  LOG=$WORK/build.log
  local p=$WORK/stage$d   # installed with the final prefix, staged under DESTDIR
  log "$T: -> $d"
  mkdir -p "$WORK/src"
  unpack libjpeg-turbo
  unpack libgd2
  cmake_build libjpeg-turbo "$WORK/src/libjpeg-turbo" "$d" "$JPEG_CFLAGS" "${JPEG_ARGS[@]}"
  grep -q '^#define JPEG_LIB_VERSION  *62$' "$p/include/jconfig.h" || die "$T: jconfig.h is not the v6.2 API"
  cmake_build libgd "$WORK/src/libgd2" "$d" "$GD_CFLAGS" "${GD_ARGS[@]}"
  if grep -E '^#define (HAVE_LIB(Z|PNG|JPEG|TIFF|XPM|FREETYPE|FONTCONFIG|WEBP|HEIF|AVIF|IMAGEQUANT|RAQM)|HAVE_ICONV)\b' \
       "$WORK/build/libgd/src/config.h" >&2; then die "$T: libgd picked up an optional library"; fi
  cmake_build googletest "$GTEST_DIR" "$d" "" "${GTEST_ARGS[@]}"
  rm -rf "${p:?}/bin" "${p:?}/share"   # cjpeg.exe etc., manuals, docs
  is_complete "$p" || die "$T: build incomplete: $(for s in "${OUTPUTS[@]}"; do [ -f "$p/$s" ] || printf '%s ' "$s"; done)"
  if grep -rlIF "$WORK" "$p" >&2; then die "$T: installed files refer to the build directory"; fi
  stamp_inputs "$T" >"$p/INPUTS"
  cp "$LOG" "$p/build.log"
  if [ -e "$d" ]; then mv "$d" "$WORK/old"; fi   # --force
  mv "$p" "$d"
  rm -rf "$WORK" "$DEPS/$T/failed-build.log"; WORK=
  log "$T: built in $((SECONDS - t0)) s"
}

for t in "${TRIPLETS[@]}"; do
  d=$(dest_of "$t")
  if [ $FORCE = 0 ] && is_complete "$d"; then log "$t: cached"; else build "$t" "$d"; fi
  RESULT[$t]=$d
done
finish
