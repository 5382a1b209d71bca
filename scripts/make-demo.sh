#!/usr/bin/env bash
# Makes the demo recording that the run command opens when it is given no file: a short
# meeting read by espeak-ng in Japanese and English, with pauses, encoded to MP3 by lame.
# Usage: scripts/make-demo.sh OUTPUT.mp3
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lines=(
  "ja|ただいまから、ていれいかいぎを はじめます。"
  "en|Good morning. Let us start the weekly meeting."
  "ja|さいしょの ぎだいは、らいげつの よていです。"
  "en|The first item is next month's schedule."
  "ja|しりょうの さんページを ごらんください。"
  "en|Please turn to page three of the handout."
  "ja|しつもんが あれば、どうぞ。"
  "en|Any questions? Then, thank you very much."
)
i=0
parts=()
for line in "${lines[@]}"; do
  voice=${line%%|*}
  text=${line#*|}
  espeak-ng -v "$voice" -s 150 -w "$work/$i.wav" "$text"
  sox "$work/$i.wav" -r 22050 -c 1 "$work/p$i.wav" pad 0 1.2
  parts+=("$work/p$i.wav")
  i=$((i + 1))
done
sox "${parts[@]}" "$work/demo.wav"
mkdir -p "$(dirname "$out")"
lame --quiet -b 64 "$work/demo.wav" "$out"
