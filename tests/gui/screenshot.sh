#!/usr/bin/env bash
# Takes a screenshot of the main window playing the demo recording, on a Wine virtual desktop
# (which draws the title bar) at a given DPI. Usage: screenshot.sh BUILD DPI OUT.png
set -euo pipefail
build=$1 dpi=$2 out=$3
run=$build/wine-run.sh
folder=$build/testwork/screenshot-$dpi
rm -rf "$folder"; mkdir -p "$folder"
cp "$build"/Parlomix/{Parlomix.exe,vbmp3.dll,duvarore.dll} "$folder/"
cp "$build/demo/demo.mp3" "$folder/demo.mp3"
winfolder="Z:${folder//\//\\}"
"$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
trap '"$run" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1 || true' EXIT
w=$((300 * dpi / 96)) h=$((240 * dpi / 96))
desk=parlomix$dpi
"$run" "$build/testbin/poke.exe" - settings "$winfolder" $((w - 20)) $((h - 20))
"$run" explorer "/desktop=$desk,${w}x${h}" "$winfolder\\Parlomix.exe" "$winfolder\\demo.mp3" \
  >/dev/null 2>&1 &
shell=$!
"$run" "$build/testbin/poke.exe" "$desk" wait
sleep 2
"$run" "$build/testbin/poke.exe" "$desk" play
sleep 3
id=$(xwininfo -root -tree | grep -F "$desk - Wine desktop" | awk '{print $1}' | head -n 1)
import -window "$id" "$out"
"$run" "$build/testbin/poke.exe" "$desk" close || true
wait "$shell" || true
echo "screenshot: $out"
