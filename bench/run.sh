#!/usr/bin/env bash
# Builds the benchmarks and their fixtures (a 3-hour VBR MP3 made by repeating a lame-encoded
# minute, a 1-hour 16-bit stereo WAV, a 1-hour mono M4A made by ffmpeg), times Debian's mpg123 on
# the MP3 and ffmpeg on the M4A, then runs the benchmark under the build tree's Wine.
# Usage: bench/run.sh [build-dir]   (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
data="$build/bench-data"
mkdir -p "$data"
cmake --build "$build" --target vbmp3_bench devices_bench vbmp3 -j2 >/dev/null

if [ ! -f "$data/long.mp3" ]; then
  sox -q -n -r 44100 -c 2 -b 16 "$data/minute.wav" \
    synth 20 sine 200-2000 : synth 20 pinknoise vol 0.3 : synth 20 sine 440 vol 0.5
  lame --quiet -V 4 -t "$data/minute.wav" "$data/minute.mp3"   # no info frame: plain frames repeat
  : > "$data/long.mp3"
  for i in $(seq 180); do cat "$data/minute.mp3" >> "$data/long.mp3"; done
fi
if [ ! -f "$data/long.wav" ]; then
  sox -q "$data/minute.wav" "$data/long.wav" repeat 59
fi

if [ ! -f "$data/long.m4a" ]; then
  # A minute of speech-like sound (a gliding tone, pink noise, silence), repeated by stream copy.
  sox -q -n -r 44100 -c 1 -b 16 "$data/minute-mono.wav" \
    synth 20 sine 200-2000 : synth 20 pinknoise vol 0.3 : synth 20 sine 440 vol 0.01
  ffmpeg -v error -y -i "$data/minute-mono.wav" -c:a aac -b:a 64k "$data/minute.m4a"
  ffmpeg -v error -y -stream_loop 59 -i "$data/minute.m4a" -c copy "$data/long.m4a"
fi

start=$(date +%s.%N)
mpg123 -q -t "$data/long.mp3"
end=$(date +%s.%N)
mpg123_seconds=$(awk "BEGIN { print $end - $start }")
echo "mpg123 -t (native) on the 3-hour MP3: ${mpg123_seconds} s"

winpath() { echo "Z:$1" | tr / '\\'; }
export WINEPATH="Z:$build/Parlomix"
"$build/wine-run.sh" "$build/bench/vbmp3_bench.exe" "$(winpath "$data/long.mp3")" "$(winpath "$data/long.wav")" \
  "$mpg123_seconds" 2>&1 | grep -v setlocale

"$build/wine-run.sh" "$build/bench/vbmp3_bench.exe" --clarity "$(winpath "$data/long.wav")" 2>&1 |
  grep -v setlocale

start=$(date +%s.%N)
ffmpeg -v error -threads 1 -i "$data/long.m4a" -f null -
end=$(date +%s.%N)
ffmpeg_seconds=$(awk "BEGIN { print $end - $start }")
echo "ffmpeg (native, one thread) decoding the 1-hour M4A: ${ffmpeg_seconds} s"
"$build/wine-run.sh" "$build/bench/vbmp3_bench.exe" --media "$(winpath "$data/long.m4a")" \
  "$ffmpeg_seconds" 2>&1 | grep -v setlocale

# The outline band's reading of both long files, and playing with and without it.
"$build/wine-run.sh" "$build/bench/vbmp3_bench.exe" --outline "$(winpath "$data/long.mp3")" \
  "$(winpath "$data/long.m4a")" 2>&1 | grep -v setlocale

# Sound devices that come and go, on PulseAudio null sinks of a server of this run's own. The
# figures timed from an unplug include the script's own pactl calls, timed here first.
pulse="$here/../tests/driver/pulse.sh"
export PARLOMIX_SOURCE="$(realpath "$here/..")" PARLOMIX_WORK="$build/bench-work"
mkdir -p "$PARLOMIX_WORK"
sh "$pulse" session sh -c '
  done="$PARLOMIX_WORK/idle.done"
  for i in 1 2 3 4 5; do
    sh "$0" add "$done" idle
    start=$(date +%s%N); sh "$0" unplug "$done" idle; end=$(date +%s%N)
    echo $(((end - start) / 1000000))
  done | sort -n | sed -n "3s/.*/the script unplugs an idle device in & ms (median of 5)/p"
  "$1" "$2"' "$pulse" "$build/wine-run.sh" "$build/bench/devices_bench.exe" 2>&1 | grep -v setlocale
