#!/usr/bin/env bash
# The run command on a machine without a display: its short session ends by itself, names the
# window and the position reached, and leaves a screenshot and a recording of real sound.
# Usage: run_session_test.sh SOURCE BUILD
set -euo pipefail
source=$1 build=$2
out=$build/testwork/run-session.log
mkdir -p "$build/testwork"
# A Wine prefix of its own: the session waits for its prefix to go idle at the end, which the
# prefix the other tests share may never be.
if ! env -u DISPLAY WINEPREFIX="$build/testwork/run-session-prefix" PARLOMIX_BUILD="$build" PARLOMIX_BUILD64="$build" \
  timeout 400 bash "$source/scripts/run.sh" >"$out" 2>&1; then
  cat "$out"
  echo "FAIL: the run command did not end with status 0"
  exit 1
fi
cat "$out"
fail() { echo "FAIL: $*"; exit 1; }
grep -qx 'window title: demo.mp3 - Parlomix' "$out" || fail "no title naming the demo"
position=$(sed -n 's/^position reached: \([0-9][0-9]*\) s$/\1/p' "$out")
[ "${position:-0}" -ge 2 ] || fail "played ${position:-no} seconds, not a few"
[ -s "$build/artifacts/run-screenshot.png" ] || fail "no screenshot"
rms=$(sox "$build/artifacts/run-heard.wav" -n stat 2>&1 | awk -F: '/^RMS +amplitude/ {print $2 + 0}')
awk -v rms="${rms:-0}" 'BEGIN { exit !(rms > 0.005) }' || fail "the recording is silent (RMS ${rms:-?})"
echo "run session: ok"
