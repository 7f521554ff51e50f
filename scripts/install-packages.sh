#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any are missing.
# Safe to run repeatedly and alongside other apt users (waits for the dpkg lock).
set -euo pipefail

log() { printf '[packages] %s\n' "$*" >&2; }
SUDO=; [ "$(id -u)" = 0 ] || SUDO=sudo
APT=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600)

# package:probe pairs; the probe is a file whose presence means "installed"
want=(
  "cmake:/usr/bin/cmake"
  "ninja-build:/usr/bin/ninja"
  "g++-mingw-w64-i686-posix:/usr/bin/i686-w64-mingw32-g++-posix"
  "binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-windres"
  "nasm:/usr/bin/nasm"
  "dpkg-dev:/usr/bin/dpkg-source"
  "googletest:/usr/src/googletest/CMakeLists.txt"
  "wine:/usr/bin/wine"
  "wine64:/usr/lib/wine/wine64"
  "xvfb:/usr/bin/Xvfb"
  "xdotool:/usr/bin/xdotool"
  "openbox:/usr/bin/openbox"
  "x11-utils:/usr/bin/xdpyinfo"
  "x11-apps:/usr/bin/xclock"
  "g++-mingw-w64-x86-64-posix:/usr/bin/x86_64-w64-mingw32-g++-posix"
  "binutils-mingw-w64-x86-64:/usr/bin/x86_64-w64-mingw32-windres"
  "imagemagick:/usr/bin/import"
  "ghostscript:/usr/bin/gs"
  "libjpeg-turbo-progs:/usr/bin/djpeg"
  "gifsicle:/usr/bin/gifsicle"
  "clang:/usr/bin/clang++"
  "libclang-rt-14-dev:/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a"
  "python3:/usr/bin/python3"
  "libgd-dev:/usr/include/gd.h"
  "libjpeg62-turbo-dev:/usr/include/jpeglib.h"
  "debian-archive-keyring:/usr/share/keyrings/debian-archive-keyring.gpg"
)
missing=()
for w in "${want[@]}"; do
  [ -e "${w#*:}" ] || missing+=("${w%%:*}")
done
need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
[ -e /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || missing+=("wine32:i386")

if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
log "installing: ${missing[*]}"
if [ $need_i386 = 1 ]; then $SUDO dpkg --add-architecture i386; fi
$SUDO "${APT[@]}" update >&2
$SUDO "${APT[@]}" install --no-install-recommends "${missing[@]}" >&2
for w in "${want[@]}"; do
  [ -e "${w#*:}" ] || { log "still missing after install: ${w%%:*} (${w#*:})"; exit 1; }
done
