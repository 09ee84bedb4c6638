#!/usr/bin/env bash
# Draws the demo skin's pictures with ImageMagick into skins/demo/images.
# The results are committed; run again only to change them.
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../skins/demo" && pwd)/images"
mkdir -p "$out"
cd "$out"

# A rounded button face: fill colour, border colour.
face() {
    convert -size 96x32 xc:none -fill "$2" -stroke "$3" -strokewidth 1 \
        -draw "roundrectangle 0.5,0.5 95.5,31.5 5,5" "PNG32:$1"
}
face btn_normal.png '#2F6FC4' '#245A9F'
face btn_hot.png '#4287E0' '#2F6FC4'
face btn_pushed.png '#22538F' '#1A4275'
face btn_disabled.png '#C3CCD6' '#AEB8C4'
face btn_light.png '#FFFFFF' '#B9C6D6'
face btn_light_hot.png '#EEF4FB' '#8FA9C8'

# Page tabs: a plain one and the selected one with a blue rule underneath.
convert -size 96x34 xc:none "PNG32:tab_normal.png"
convert -size 96x34 xc:none -fill '#EAF1FA' -draw 'rectangle 0,0 95,33' "PNG32:tab_hot.png"
convert -size 96x34 xc:'#FFFFFF' -fill '#2F6FC4' -draw 'rectangle 8,31 87,33' "PNG32:tab_selected.png"

# Check boxes, 16 x 16.
convert -size 16x16 xc:none -fill '#FFFFFF' -stroke '#8FA0B5' -draw 'roundrectangle 0.5,0.5 15.5,15.5 3,3' \
    "PNG32:check_off.png"
convert -size 16x16 xc:none -fill '#2F6FC4' -stroke '#245A9F' -draw 'roundrectangle 0.5,0.5 15.5,15.5 3,3' \
    -stroke '#FFFFFF' -strokewidth 2 -fill none -draw 'polyline 4,8 7,11 12,5' "PNG32:check_on.png"

# Progress and slider tracks, with a green filled part and a round thumb.
convert -size 40x10 xc:none -fill '#DDE4EC' -draw 'roundrectangle 0,0 39,9 4,4' "PNG32:track.png"
convert -size 40x10 xc:none -fill '#35B26B' -draw 'roundrectangle 0,0 39,9 4,4' "PNG32:track_fill.png"
# The slider's track sits in the middle of the thumb's height.
convert -size 40x16 xc:none -fill '#DDE4EC' -draw 'roundrectangle 0,3 39,12 4,4' "PNG32:slider_track.png"
convert -size 40x16 xc:none -fill '#2F6FC4' -draw 'roundrectangle 0,3 39,12 4,4' "PNG32:slider_fill.png"
convert -size 10x40 xc:none -fill '#DDE4EC' -draw 'roundrectangle 0,0 9,39 4,4' "PNG32:vtrack.png"
convert -size 10x40 xc:none -fill '#F0A030' -draw 'roundrectangle 0,0 9,39 4,4' "PNG32:vtrack_fill.png"
convert -size 16x16 xc:none -fill '#FFFFFF' -stroke '#2F6FC4' -strokewidth 2 -draw 'circle 8,8 8,2' \
    "PNG32:thumb.png"
convert -size 16x16 xc:none -fill '#2F6FC4' -stroke '#22538F' -strokewidth 2 -draw 'circle 8,8 8,2' \
    "PNG32:thumb_hot.png"

# The call list's scroll bar thumb.
convert -size 8x30 xc:none -fill '#B9C6D6' -draw 'roundrectangle 1,0 6,29 3,3' "PNG32:scroll_thumb.png"
convert -size 8x30 xc:none -fill '#8FA0B5' -draw 'roundrectangle 1,0 6,29 3,3' "PNG32:scroll_thumb_hot.png"

# The title bar's close button.
convert -size 28x28 xc:none -stroke '#FFFFFF' -strokewidth 2 -draw 'line 9,9 19,19' -draw 'line 19,9 9,19' \
    "PNG32:close_normal.png"
convert -size 28x28 xc:'#D9443A' -stroke '#FFFFFF' -strokewidth 2 -draw 'line 9,9 19,19' -draw 'line 19,9 9,19' \
    "PNG32:close_hot.png"

# A busy spinner: eight frames of a dot going round a faint ring.
frames=()
for i in 0 1 2 3 4 5 6 7; do
    x=$(awk -v i="$i" 'BEGIN { printf "%.1f", 12 + 8 * cos(i * 3.14159265 / 4) }')
    y=$(awk -v i="$i" 'BEGIN { printf "%.1f", 12 + 8 * sin(i * 3.14159265 / 4) }')
    frames+=(\( -size 24x24 xc:'#FFFFFF' -fill none -stroke '#D5DFEA' -strokewidth 2 -draw 'circle 12,12 12,4'
             -fill '#2F6FC4' -stroke none -draw "circle $x,$y $x,$((${y%.*} + 3))" \))
done
convert -delay 10 "${frames[@]}" -loop 0 spinner.gif
ls -la "$out"
