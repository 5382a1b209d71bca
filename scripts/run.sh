#!/usr/bin/env bash
# Installs what is missing, builds, and starts Parlomix under Wine (with the Japanese code page
# and fonts). Usage: scripts/run.sh [audio file]   (no file: the demo recording that the build makes)
# Without a display (a server, a container) nobody could see the window, so a short real session
# runs instead, on a virtual display and a null sound device: it opens the recording, plays a few
# seconds, keeps a screenshot and what was heard in build/artifacts, prints the window title and
# the position reached, closes the program and exits 0.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PARLOMIX_BUILD:-$root/build}
if [ "${1:-}" != --session ]; then "$root/scripts/setup.sh"; fi
# Where the kernel runs no 32-bit code, Wine's 32-bit loader cannot start, or starts only through
# qemu-i386 (i386.sh), twenty times slower, so that sound stutters: the same program is built for
# 64-bit Windows and started by the 64-bit loader.
. "$root/scripts/i386.sh"
if [ "$(i386_mode)" != native ]; then
  build=${PARLOMIX_BUILD64:-$root/build64}
  export PARLOMIX_BUILD=$build PARLOMIX_ARCH=x86_64
  export PATH="$build/winebin:$PATH"
fi
export WINEPREFIX=${WINEPREFIX:-$HOME/.parlomix-wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The session itself, run by the part below inside the virtual display (DISPLAY is set).
if [ "${1:-}" = "--session" ]; then
  file=$2 artifacts=$3 program=$4
  desk=parlomix-run
  poke() { timeout 60 env LC_ALL=ja_JP.UTF-8 wine "$build/testbin/poke.exe" "$desk" "$@"; }
  folder=$(winepath -w "$program")
  LC_ALL=ja_JP.UTF-8 timeout 120 wine explorer "/desktop=$desk,800x600" "$folder\\Parlomix.exe" \
    "$(winepath -w "$(realpath "$file")")" >/dev/null 2>&1 &
  shell=$!
  status=0
  if ! poke wait; then
    echo "run: the main window did not appear" >&2
    status=1
  fi
  # A box would wait for a click nobody can give: it is answered, and shown here.
  if ! poke boxes | iconv -f CP932 -t UTF-8; then status=1; fi
  if [ $status -eq 0 ]; then
    poke play || status=1
    sleep 4
    poke boxes | iconv -f CP932 -t UTF-8 || status=1
    echo "window title: $(poke title | tr -d '\r' | iconv -f CP932 -t UTF-8)"
    echo "position reached: $(poke thumb | tr -d '\r') s"
    # The Wine desktop's own window, which draws the title bar; the whole screen if not found.
    id=$(xwininfo -root -tree | grep -F "$desk - Wine desktop" | awk '{print $1}' | head -n 1) || true
    import -window "${id:-root}" "$artifacts/run-screenshot.png" || status=1
  fi
  poke close || status=1
  wait "$shell" || true
  exit $status
fi

file=${1:-}
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # Only the program, its help file and the demo: the tests are built by the test command.
  "$root/scripts/build.sh" --target Parlomix help_chm demo default_settings
  "$root/scripts/wine-prefix.sh"
  if [ -z "$file" ] && [ -f "$build/demo/demo.mp3" ]; then file="$build/demo/demo.mp3"; fi
  # Wine takes code page 932 from LC_ALL.
  if [ -n "$file" ]; then
    exec env LC_ALL=ja_JP.UTF-8 wine "$build/Parlomix/Parlomix.exe" "$(winepath -w "$(realpath "$file")")"
  fi
  exec env LC_ALL=ja_JP.UTF-8 wine "$build/Parlomix/Parlomix.exe"
fi

# No display. poke is the small command that drives the program's window from a script.
"$root/scripts/build.sh" --target Parlomix help_chm demo default_settings poke
if ! "$root/scripts/wine-prefix.sh"; then
  echo "run: Wine could not prepare its prefix $WINEPREFIX (does 'wine --version' work?)" >&2
  exit 1
fi
if [ -z "$file" ]; then file="$build/demo/demo.mp3"; fi
artifacts=$build/artifacts
mkdir -p "$artifacts"
# A fresh copy of the program with the default settings, so that the session always starts the
# same way and leaves the settings in build/Parlomix as they were.
program=$build/run-session
rm -rf "$program"
mkdir -p "$program"
cp "$build"/Parlomix/{Parlomix.exe,vbmp3.dll,duvarore.dll,help.chm} "$build"/defaults/parlomix_{opt,key} "$program/"
heard=$artifacts/run-heard.wav
rm -f "$heard" "$artifacts/run-screenshot.png"

# A sound server of this session's own, with a null sink whose monitor is recorded; Wine plays
# to it through its PulseAudio driver. norewinds: the monitor hears every stream from its start.
pulse=$(mktemp -d)
chmod 700 "$pulse"
export XDG_RUNTIME_DIR=$pulse PULSE_SERVER=unix:$pulse/pulse/native
recorder=
finish() {
  if [ -n "$recorder" ]; then kill -INT "$recorder" 2>/dev/null || true; wait "$recorder" 2>/dev/null || true; fi
  timeout 10 pactl exit >/dev/null 2>&1 || true
  timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  rm -rf "$pulse"
}
trap finish EXIT
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=file:"$pulse/pulse.log" \
  -L "module-null-sink sink_name=heard rate=44100 norewinds=1" -L module-native-protocol-unix \
  >/dev/null 2>&1
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
if ! pactl set-default-sink heard; then
  echo "run: the null sound device did not start (see $pulse/pulse.log)" >&2
  cat "$pulse/pulse.log" >&2 || true
  exit 1
fi
parecord -d heard.monitor --rate=44100 --channels=1 --format=s16le --file-format=wav "$heard" &
recorder=$!

status=0
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --session "$file" "$artifacts" "$program" ||
  status=$?
kill -INT "$recorder" 2>/dev/null || true
wait "$recorder" 2>/dev/null || true
recorder=
echo "screenshot: $artifacts/run-screenshot.png"
stat=$(sox "$heard" -n stat 2>&1 || true)
seconds=$(awk -F: '/^Length/ {print $2 + 0}' <<<"$stat")
rms=$(awk -F: '/^RMS +amplitude/ {print $2 + 0}' <<<"$stat")
echo "heard: $heard (${seconds:-0} s recorded, RMS amplitude ${rms:-0})"
if [ $status -ne 0 ]; then echo "run: the session did not end as expected (status $status)" >&2; fi
exit $status
