#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the Windows build's tests
# under Wine and Xvfb, then the portable code's fuzz targets built natively with clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${PARLOMIX_BUILD:-$root/build}
"$root/scripts/build.sh"
status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 || status=1
native=${PARLOMIX_NATIVE_BUILD:-$root/build-native}
if [ ! -f "$native/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" -j"$(nproc)"
ctest --test-dir "$native" --output-on-failure -j2 --timeout 300 || status=1
# Wine's server lingers after the last test; end it so nothing outlives the run.
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
exit $status
