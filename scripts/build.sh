#!/usr/bin/env bash
# Configures and builds Parlomix for 32-bit Windows into build/ (the program's folder is
# build/Parlomix, the release archive build/Parlomix-<version>.zip).
# Usage: scripts/build.sh [extra cmake --build arguments]
# PARLOMIX_ARCH=x86_64 builds the same sources for 64-bit Windows into build64/ (its release
# archive Parlomix-<version>-x64.zip); PARLOMIX_BUILD names another build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${PARLOMIX_ARCH:-i686}" = x86_64 ]; then default=$root/build64; else default=$root/build; fi
build=${PARLOMIX_BUILD:-$default}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${PARLOMIX_ARCH:-i686}-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
