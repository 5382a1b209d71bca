#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the Windows build's tests
# under Wine and Xvfb, then the portable code's fuzz targets built natively with clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${PARLOMIX_BUILD:-$root/build}
"$root/scripts/build.sh"
# Wine runs a 32-bit program through its 32-bit loader, which cannot start where the kernel runs
# no 32-bit code (some virtual machines switch that off). There the Windows tests run from a
# 64-bit build of the same sources under wine64; the program's folder and the release archive
# stay the 32-bit build.
tests=$build
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  tests=${PARLOMIX_BUILD64:-$root/build64}
  echo "test: this machine cannot run 32-bit code; the Windows tests run from a 64-bit build in $tests"
  PARLOMIX_BUILD=$tests PARLOMIX_ARCH=x86_64 "$root/scripts/build.sh"
fi
status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir "$tests" --output-on-failure -j2 --timeout 600 || status=1
native=${PARLOMIX_NATIVE_BUILD:-$root/build-native}
if [ ! -f "$native/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" -j"$(nproc)"
ctest --test-dir "$native" --output-on-failure -j2 --timeout 300 || status=1
# Wine's server lingers after the last test; end it so nothing outlives the run.
WINEPREFIX="$tests/wineprefix" wineserver -k 2>/dev/null || true
exit $status
