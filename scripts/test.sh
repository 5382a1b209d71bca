#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the Windows build's tests
# under Wine and Xvfb, then the portable code's fuzz targets built natively with clang.
# The Windows tests run from the 32-bit build, the one users get, wherever its loader starts,
# natively or through qemu-i386 (i386.sh). Emulated, the CPU-bound code runs about twenty times
# slower, so the tests labelled realtime (they judge sound as it is heard: continuity, gaps,
# latency, device timing) run from the x86_64 build there instead. Where 32-bit code cannot run
# at all, every Windows test runs from the x86_64 build. The x86_64 build's package test always
# runs: it checks the 64-bit release archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS
"$root/scripts/setup.sh"
. "$root/scripts/i386.sh"
build=${PARLOMIX_BUILD:-$root/build}
build64=${PARLOMIX_BUILD64:-$root/build64}
"$root/scripts/build.sh"
PARLOMIX_BUILD=$build64 PARLOMIX_ARCH=x86_64 "$root/scripts/build.sh"

status=0
summary=()
# suite NAME DIR MODE [ctest selection...]: runs the Windows tests of one build and notes the
# tests it ran and the time it took. Its Wine server ends with it, so nothing outlives the run.
suite() {
  local name=$1 dir=$2 mode=$3 started=$SECONDS result=passed
  shift 3
  echo "test: $name: $(ctest --test-dir "$dir" -N "$@" | sed -n 's/^Total Tests: //p') tests from $dir"
  WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null || true
  if ! i386_run "$mode" bash -c 'dir=$1; shift; xvfb-run -a -s "-screen 0 1024x768x24" "$@"; s=$?
      WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null; exit $s' suite "$dir" \
    ctest --test-dir "$dir" --output-on-failure -j2 --timeout 600 "$@"; then
    result=failed
    status=1
  fi
  summary+=("$name: $(ctest --test-dir "$dir" -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')")
  summary+=("  $result in $((SECONDS - started)) s")
}

mode=$(i386_mode)
case $mode in
  native)
    suite "32-bit build (native)" "$build" native
    suite "x86_64 build (its release archive)" "$build64" native -L package
    ;;
  machine | namespace)
    echo "test: the 32-bit build runs through qemu-i386 ($mode, PARLOMIX_EMULATE_I386=${PARLOMIX_EMULATE_I386:-1}); the tests labelled realtime run from the x86_64 build"
    suite "32-bit build (qemu-i386)" "$build" "$mode" -LE realtime
    suite "x86_64 build (realtime, its release archive)" "$build64" native -L 'realtime|package'
    ;;
  *)
    echo "test: 32-bit code runs here neither natively nor through qemu-i386: every Windows test runs from the x86_64 build" >&2
    suite "x86_64 build (in place of the 32-bit one)" "$build64" native
    ;;
esac

native=${PARLOMIX_NATIVE_BUILD:-$root/build-native}
if [ ! -f "$native/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" -j"$(nproc)"
ctest --test-dir "$native" --output-on-failure -j2 --timeout 300 || status=1

echo "test: which tests ran on which build"
printf '  %s\n' "${summary[@]}"
echo "test: $((SECONDS - started)) s in all"
exit $status
