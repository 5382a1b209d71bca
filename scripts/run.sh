#!/usr/bin/env bash
# Installs what is missing, builds, and starts Parlomix under Wine (with the Japanese code page
# and fonts). Usage: scripts/run.sh [audio file]   (no file: the demo recording that the build makes)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${PARLOMIX_BUILD:-$root/build}
export WINEPREFIX=${WINEPREFIX:-$HOME/.parlomix-wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
"$root/scripts/wine-prefix.sh"
# Without a display (a server, CI) the window opens on a virtual one.
run() { if [ -n "${DISPLAY:-}" ]; then exec "$@"; else exec xvfb-run -a "$@"; fi; }
file=${1:-}
if [ -z "$file" ] && [ -f "$build/demo/demo.mp3" ]; then file="$build/demo/demo.mp3"; fi
if [ -n "$file" ]; then
  run wine "$build/Parlomix/Parlomix.exe" "$(winepath -w "$(realpath "$file")")"
fi
run wine "$build/Parlomix/Parlomix.exe"
