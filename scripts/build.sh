#!/usr/bin/env bash
# Configures and builds Parlomix for 32-bit Windows into build/ (the program's folder is
# build/Parlomix). Usage: scripts/build.sh [extra cmake --build arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PARLOMIX_BUILD:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
