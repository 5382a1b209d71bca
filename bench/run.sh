#!/usr/bin/env bash
# Builds the benchmark and its fixtures (a 3-hour VBR MP3 made by repeating a lame-encoded
# minute, a 1-hour 16-bit stereo WAV), times Debian's mpg123 on the MP3, then runs the benchmark
# under the build tree's Wine. Usage: bench/run.sh [build-dir]   (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
data="$build/bench-data"
mkdir -p "$data"
cmake --build "$build" --target vbmp3_bench vbmp3 -j2 >/dev/null

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

start=$(date +%s.%N)
mpg123 -q -t "$data/long.mp3"
end=$(date +%s.%N)
mpg123_seconds=$(awk "BEGIN { print $end - $start }")
echo "mpg123 -t (native) on the 3-hour MP3: ${mpg123_seconds} s"

winpath() { echo "Z:$1" | tr / '\\'; }
export WINEPATH="Z:$build/Parlomix"
"$build/wine-run.sh" "$build/bench/vbmp3_bench.exe" "$(winpath "$data/long.mp3")" "$(winpath "$data/long.wav")" \
  "$mpg123_seconds" 2>&1 | grep -v setlocale
