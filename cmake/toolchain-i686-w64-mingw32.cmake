# Cross toolchain for i686-w64-mingw32 (Debian mingw-w64, GCC 12).
# The -posix compiler variants are used: the win32 thread model has no
# std::mutex/std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_tc i686-w64-mingw32)
set(CMAKE_C_COMPILER   /usr/bin/${_tc}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${_tc}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${_tc}-windres)
set(CMAKE_AR           /usr/bin/${_tc}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${_tc}-ranlib CACHE FILEPATH "")
# SSE2 floating point: x87 extended precision would round differently from
# the 64-bit build (and from the native tests).
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Only the MinGW sysroot and the cross-built dependencies: the host's
# /usr/include (Linux jpeglib.h, gd.h) must never reach this build.
set(CMAKE_FIND_ROOT_PATH /usr/${_tc} ${GMBX_DEPS_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GMBX_DEPS_DIR)
# Tests and tools built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
