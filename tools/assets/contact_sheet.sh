#!/usr/bin/env bash
# Draws the contact sheet: the quick panel's pictures at their on-screen boxes on the #2A2A2A panel,
# the lock wallpaper, icon pictures, both bins and every theme frame in a row. Usage: ROOT OUT.png
set -euo pipefail

root=$1
out=$2
a=$root/units/assets
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cjk=/usr/share/fonts/truetype/arphic/ukai.ttc
latin=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
panel='#2A2A2A'
im=(convert -respect-parentheses)

# One picture stretched into its box (x y w h file), as the picture boxes draw it.
pic() { args+=( \( "$5" -filter Triangle -resize "$3x$4!" \) -geometry "+$1+$2" -composite ); }
# A caption centred in its box (x y w h text font size colour).
txt() {
  args+=( \( -size "$3x$4" xc:none -font "$6" -pointsize "$7" -fill "$8" -gravity center -annotate +0+0 "$5"
          +gravity \) -geometry "+$1+$2" -composite )
}

# The panel, 435 x 265, clipped to its rounded shape (corner ellipses 53 x 53).
args=( -size 435x265 "xc:$panel" -fill '#0088FF' -draw 'rectangle 28,45 299,46' -fill '#FFFFFF' -draw 'rectangle 13,56 82,119' )
pic 13 56 70 64 "$a/my_computer.png";    txt 15 120 64 19 "我的电脑" "$cjk" 12 white
pic 107 73 49 42 "$a/desktop.png";       txt 100 120 64 19 "桌面" "$cjk" 12 white
pic 188 64 54 57 "$a/drive_tower.png";   txt 183 121 64 19 "安装盘(D:)" "$cjk" 12 white
pic 274 63 54 57 "$a/drive_tower.png";   txt 266 120 71 19 "资料盘(F:)" "$cjk" 12 white
pic 360 66 48 52 "$a/system_disk.png";   txt 352 121 64 19 "系统盘(C:)" "$cjk" 12 white
pic 17 171 61 64 "$a/control_panel.png"; txt 16 227 64 19 "控制面板" "$cjk" 12 white
pic 102 171 56 56 "$a/power.png";        txt 98 227 64 19 "关机" "$cjk" 12 white
pic 182 170 60 56 "$a/cloud.png";        txt 180 227 64 19 "云盘" "$cjk" 12 white
pic 266 170 60 56 "$a/command_prompt.png"; txt 264 227 64 19 "命令符" "$cjk" 12 white
pic 330 155 114 113 "$a/bin_empty.png"
"${im[@]}" "${args[@]}" \
  \( -size 435x265 xc:black -fill white -draw 'roundrectangle 0,0 434,264 26,26' \) \
  -alpha off -compose CopyOpacity -composite "$work/panel.png"

# The sheet itself.
args=( -size 1000x650 xc:'#1b1b1b' )
label() { txt "$1" "$2" "$3" 16 "$4" "$latin" 11 '#b0b0b0'; }
tile() { args+=( -fill "$panel" -draw "rectangle $1,$2 $(($1 + $3 - 1)),$(($2 + $4 - 1))" ); }
label 20 8 435 "quick panel at its real size"
args+=( "$work/panel.png" -geometry +20+26 -composite )
label 480 8 500 "lock wallpaper 1920x1080, shown at 1/4"
args+=( \( "$a/lock_wallpaper.jpg" -resize 480x270! \) -geometry +490+26 -composite )
tile 20 310 960 140
label 30 316 60 "icon 42"
pic 40 350 42 42 "$a/icon_base.png"
label 100 316 70 "icon base"
pic 110 340 70 70 "$a/icon_base.png"
label 190 316 80 "app icon 64"
args+=( \( "$a/app_icon.ico" \) -geometry +198+338 -composite )
label 280 316 120 "bin (empty)"
pic 285 332 114 113 "$a/bin_empty.png"
label 410 316 120 "bin (full)"
pic 415 332 114 113 "$a/bin_full.png"
label 540 316 100 "cloud 95x87"
pic 545 338 95 87 "$a/cloud.png"
label 650 316 320 "shortcut pictures at 64 px"
x=650
for name in my_computer desktop drive_tower system_disk; do pic $x 340 64 64 "$a/$name.png"; x=$((x + 80)); done
tile 20 460 960 180
label 30 464 400 "theme frames 1 .. 20 and 1 .. 18 (breathing ping-pong)"
for i in $(seq 1 20); do pic $((30 + (i - 1) * 47)) 486 42 42 "$root/units/themes/黑图标/黑图标$i.png"; done
for i in $(seq 1 18); do pic $((30 + (i - 1) * 47)) 536 42 42 "$root/units/themes/蓝图标/蓝图标$i.png"; done
label 30 586 400 "the same frames at 22 px on white"
args+=( -fill white -draw "rectangle 24,604 976,630" )
for i in $(seq 1 20); do pic $((30 + (i - 1) * 24)) 606 22 22 "$root/units/themes/黑图标/黑图标$i.png"; done
for i in $(seq 1 18); do pic $((526 + (i - 1) * 24)) 606 22 22 "$root/units/themes/蓝图标/蓝图标$i.png"; done
"${im[@]}" "${args[@]}" -alpha off -depth 8 -strip -define png:exclude-chunks=date,time "$out"
