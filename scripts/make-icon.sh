#!/usr/bin/env bash
# Draws the installer's icon (a white "V" on a blue rounded square) into src/res/installer.ico.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48 256; do
  r=$((s / 5)); w=$((s > 16 ? s / 10 : 2))
  /usr/bin/convert -size ${s}x${s} xc:none -fill '#2f7bf5' -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $r,$r" \
    -stroke white -strokewidth $w -fill none \
    -draw "polyline $((s*28/100)),$((s*30/100)) $((s/2)),$((s*74/100)) $((s*72/100)),$((s*30/100))" \
    "PNG32:$tmp/$s.png"
done
/usr/bin/convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$tmp/256.png" src/res/installer.ico
