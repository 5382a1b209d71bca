#!/usr/bin/env bash
# Configures and builds Parlomix for 32-bit Windows into build/ (the program's folder is
# build/Parlomix). Usage: scripts/build.sh [extra cmake --build arguments]
# PARLOMIX_BUILD names another build folder; PARLOMIX_ARCH=x86_64 makes a 64-bit build of the
# same sources, for machines that cannot run 32-bit code (see test.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PARLOMIX_BUILD:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${PARLOMIX_ARCH:-i686}-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
