#!/usr/bin/env bash
# Generates demo data for running the widget without the user's own files: 60 sky wallpapers
# (OUTDIR/wallpapers/sky-1.jpg .. sky-60.jpg, 1920x1080) and a short song (OUTDIR/music/song.mp3).
# Files already present are kept, so a second run does nothing. Usage: make_demo_data.sh OUTDIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
outdir=$1
tool_dir=$root/build/assets
tool=$tool_dir/assettool-demo

mkdir -p "$outdir/wallpapers" "$outdir/music"
need=0
for i in $(seq 1 60); do [ -s "$outdir/wallpapers/sky-$i.jpg" ] || need=1; done
[ -s "$outdir/music/song.mp3" ] || need=1
if [ "$need" -eq 0 ]; then
  echo "demo data already in $outdir"
  exit 0
fi

mkdir -p "$tool_dir"
g++ -std=c++20 -O2 -o "$tool" "$root"/tools/assets/{assettool,sound,sky}.cpp -lpng -ljpeg

for i in $(seq 1 60); do
  f=$outdir/wallpapers/sky-$i.jpg
  # Write under a temporary name first so an interrupted run never leaves a half file behind.
  [ -s "$f" ] || { "$tool" sky "$i" "$f.part" && mv "$f.part" "$f"; }
done

song=$outdir/music/song.mp3
if [ ! -s "$song" ]; then
  wav=$(mktemp --suffix=.wav)
  trap 'rm -f "$wav"' EXIT
  "$tool" song "$wav"
  lame --quiet --noreplaygain -b 160 --tt "Demo song" "$wav" "$song.part"
  mv "$song.part" "$song"
fi
echo "demo data written to $outdir"
