#!/usr/bin/env bash
# Installs what is missing, builds, and starts Parlomix under Wine (with the Japanese code page
# and fonts). Usage: scripts/run.sh [audio file]   (no file: the demo recording that the build makes)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${PARLOMIX_BUILD:-$root/build}
# Where the kernel runs no 32-bit code, Wine's 32-bit loader cannot start: the same program is
# built for 64-bit Windows and started by the 64-bit loader (see test.sh).
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  build=${PARLOMIX_BUILD64:-$root/build64}
  export PARLOMIX_BUILD=$build PARLOMIX_ARCH=x86_64
  export PATH="$build/winebin:$PATH"
fi
# Only the program, its help file and the demo: the tests are built by the test command.
"$root/scripts/build.sh" --target Parlomix help_chm demo
export WINEPREFIX=${WINEPREFIX:-$HOME/.parlomix-wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix.sh"
# Without a display (a server, CI) the window opens on a virtual one.
# Wine takes code page 932 from LC_ALL.
run() {
  if [ -n "${DISPLAY:-}" ]; then exec env LC_ALL=ja_JP.UTF-8 "$@"; fi
  exec xvfb-run -a env LC_ALL=ja_JP.UTF-8 "$@"
}
file=${1:-}
if [ -z "$file" ] && [ -f "$build/demo/demo.mp3" ]; then file="$build/demo/demo.mp3"; fi
if [ -n "$file" ]; then
  run wine "$build/Parlomix/Parlomix.exe" "$(winepath -w "$(realpath "$file")")"
fi
run wine "$build/Parlomix/Parlomix.exe"
