#!/usr/bin/env bash
# Draws the 16 skin pictures into src/res/skin (committed; the build zips them into the skin archive).
# Only shapes, no fonts, and no time stamps in the files, so a re-run gives the same bytes.
#   scripts/make-skin.sh
set -euo pipefail
cd "$(dirname "$0")/.."
out=src/res/skin
mkdir -p "$out"
# /usr/local/bin may hold a stand-in of `convert`; this needs ImageMagick's.
IM=/usr/bin/convert
save() { # convert arguments..., output last
  local target="${*: -1}"
  "$IM" "${@:1:$#-1}" -strip -define png:exclude-chunks=date,time -depth 8 "$target"
}

# Background: pale blue clouds at the top fading to white (twice the main window's design size).
save -size 1200x800 gradient:'#cfe4fb-#ffffff' \
  \( -size 1200x800 xc:none -fill 'rgba(255,255,255,0.75)' \
     -draw 'ellipse 180,90 230,70 0,360' -draw 'ellipse 420,60 260,80 0,360' \
     -draw 'ellipse 760,110 300,90 0,360' -draw 'ellipse 1060,70 220,75 0,360' \
     -draw 'ellipse 300,220 200,55 0,360' -draw 'ellipse 900,240 260,60 0,360' -blur 0x28 \) \
  -composite \( -size 1200x800 gradient:'#ffffff00-#ffffffff' \) -compose over -composite \
  PNG32:"$out/main_bg.png"

# Logo: a white photo frame with a mountain and a sun on a blue rounded square.
save -size 240x240 xc:none -fill '#2f7cf6' -draw 'roundrectangle 8,8 231,231 48,48' \
  -fill none -stroke white -strokewidth 12 -draw 'roundrectangle 50,62 189,177 14,14' \
  -stroke none -fill white -draw 'polygon 62,166 105,110 135,146 152,128 180,166' \
  -draw 'circle 158,92 158,106' PNG32:"$out/logo.png"

# Banner: a promotion picture — picture cards turning from one format into another on a blue sky.
save -size 1200x600 gradient:'#3d8bff-#8fc3ff' \
  -fill 'rgba(255,255,255,0.18)' -draw 'circle 1050,80 1050,300' -draw 'circle 120,560 120,760' \
  -fill white -stroke '#d6e6ff' -strokewidth 6 \
  -draw 'roundrectangle 170,170 470,430 24,24' -draw 'roundrectangle 730,170 1030,430 24,24' \
  -stroke none -fill '#ffb74a' -draw 'polygon 200,400 290,290 350,360 390,320 440,400' \
  -fill '#4fc36e' -draw 'polygon 760,400 850,290 910,360 950,320 1000,400' \
  -fill '#ffd84a' -draw 'circle 400,240 400,268' -draw 'circle 960,240 960,268' \
  -fill white -draw 'polygon 540,270 640,270 640,235 700,300 640,365 640,330 540,330' \
  PNG32:"$out/install_banner.png"

# Crosses of the close buttons.
cross() { # size colour file
  local s=$1 c=$2 f=$3 a=$(( $1 * 3 / 10 )) b=$(( $1 - $1 * 3 / 10 - 1 ))
  save -size "${s}x${s}" xc:none -stroke "$c" -strokewidth 2.5 -draw "stroke-linecap round line $a,$a $b,$b" -draw "stroke-linecap round line $b,$a $a,$b" \
    PNG32:"$out/$f"
}
cross 28 '#8a8a8a' global_btn_close_normal.png
cross 32 '#c4c4c4' global_btn_close_hover.png
cross 32 '#000000' global_btn_close_press.png

# Chevrons: back (one, pointing left) and custom install (two, pointing right).
back() { save -size 32x32 xc:none -fill none -stroke "$1" -strokewidth 3 -draw 'stroke-linecap round stroke-linejoin round path "M 20,7 L 11,16 L 20,25"' PNG32:"$out/$2"; }
back '#8a8a8a' custom_btn_back_normal.png
back '#8cc2ff' custom_btn_back_hover.png
back '#1873de' custom_btn_back_press.png
double() {
  save -size 32x32 xc:none -fill none -stroke "$1" -strokewidth 2.5 \
    -draw 'stroke-linecap round stroke-linejoin round path "M 8,8 L 15,16 L 8,24 M 17,8 L 24,16 L 17,24"' PNG32:"$out/$2"
}
double '#8a8a8a' main_word_custom_normal.png
double '#8cc2ff' main_word_custom_hover.png
double '#1873de' main_word_custom_press.png

# Checkboxes: a light grey box, with or without a grey tick.
box=(-fill '#ffffff' -stroke '#c8c8c8' -strokewidth 2 -draw 'roundrectangle 5,5 26,26 3,3')
save -size 32x32 xc:none "${box[@]}" -fill none -stroke '#6e6e6e' -strokewidth 3 -draw 'stroke-linecap round stroke-linejoin round path "M 9,16 L 14,21 L 23,11"' \
  PNG32:"$out/main_checkbox_select.png"
save -size 32x32 xc:none "${box[@]}" PNG32:"$out/main_checkbox_deselect.png"

# Dialog icons: a white question mark on a blue disc, a white exclamation mark on a red disc.
save -size 60x60 xc:none -fill '#4197ff' -draw 'circle 30,30 30,2' \
  -fill none -stroke white -strokewidth 6 \
  -draw 'stroke-linecap round stroke-linejoin round path "M 21,22 A 9,9 0 1 1 34,29 L 30,33 L 30,37"' -stroke none -fill white -draw 'circle 30,47 30,50.5' PNG32:"$out/inquire_icon.png"
save -size 60x60 xc:none -fill '#f0514b' -draw 'circle 30,30 30,2' \
  -fill white -draw 'roundrectangle 26.5,12 33.5,38 3,3' -draw 'circle 30,46 30,50' PNG32:"$out/error_icon.png"

ls -l "$out"
