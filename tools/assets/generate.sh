#!/usr/bin/env bash
# Regenerates every embedded picture, the application icon, the chime and the two icon themes from our
# own sources in units/assets/src, plus docs/contact_sheet.png. Same bytes on every run on the same machine.
# Needs: g++, libpng, libjpeg, rsvg-convert (librsvg2-bin), ImageMagick's convert (contact sheet only).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
src=$root/units/assets/src
out=$root/units/assets
themes=$root/units/themes
tool_dir=$root/build/assets
tool=$tool_dir/assettool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 SOURCE_DATE_EPOCH=0

mkdir -p "$tool_dir"
g++ -std=c++20 -O2 -Wall -Wextra -o "$tool" "$root"/tools/assets/{assettool,sound,sky}.cpp -lpng -ljpeg

# svg -> PNG at an exact pixel size, rewritten by our tool as plain 8-bit RGBA without metadata.
render() {  # name width height
  rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$work/$1.png"
  "$tool" png "$work/$1.png" "$out/$1.png"
}

render icon_base 200 200
for name in bin_full bin_empty my_computer desktop drive_tower system_disk control_panel power command_prompt; do
  render "$name" 128 128
done
render cloud 95 87

rsvg-convert -w 64 -h 64 "$src/icon_base.svg" -o "$work/app_icon.png"
"$tool" ico "$work/app_icon.png" "$out/app_icon.ico"

rsvg-convert -w 1920 -h 1080 "$src/lock_wallpaper.svg" -o "$work/lock_wallpaper.png"
"$tool" jpeg "$work/lock_wallpaper.png" "$out/lock_wallpaper.jpg" 90

"$tool" chime "$out/emptied_chime.wav"

# Icon themes: one template per theme; frame i of n gets a level rising from 0 to 1, eased so the
# ping-pong breathes slowly at both turns yet every frame is still brighter than the one before.
make_theme() {  # template folder-name frames
  local dir=$themes/$2
  rm -rf "$dir"
  mkdir -p "$dir"
  for ((i = 1; i <= $3; i++)); do
    read -r halo core < <(awk -v i="$i" -v n="$3" 'BEGIN {
      t = (i - 1) / (n - 1); level = 0.5 * t + 0.25 * (1 - cos(3.14159265358979 * t))
      printf "%.4f %.4f\n", 0.08 + 0.72 * level, 0.15 + 0.85 * level }')
    sed -e "s/@HALO_OP@/$halo/" -e "s/@CORE_OP@/$core/" "$src/themes/$1.svg.in" > "$work/frame.svg"
    rsvg-convert -w 42 -h 42 "$work/frame.svg" -o "$work/frame.png"
    "$tool" png "$work/frame.png" "$dir/$2$i.png"
  done
}
make_theme black 黑图标 20
make_theme blue 蓝图标 18

"$root/tools/assets/contact_sheet.sh" "$root" "$root/docs/contact_sheet.png"
echo "assets regenerated"
