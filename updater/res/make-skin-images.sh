#!/usr/bin/env bash
# Draws the update dialog's pictures with ImageMagick into skins/Updater/images,
# and the tray's three icons beside this script. The results are committed;
# run again only to change them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
skin="$here/../../skins/Updater"
out="$skin/images"
mkdir -p "$out"
cd "$out"

# Page backgrounds: a blue header band over a light body, a thin border.
convert -size 602x402 xc:'#F4F7FB' \
    -fill '#1F6FD1' -draw 'rectangle 0,0 601,49' \
    -fill '#2B7DE3' -draw 'rectangle 0,50 601,51' \
    -fill none -stroke '#1559AE' -draw 'rectangle 0,0 601,401' "PNG32:UpgradeInfo.png"
convert -size 602x259 xc:'#F4F7FB' \
    -fill '#1F6FD1' -draw 'rectangle 0,0 601,49' \
    -fill '#2B7DE3' -draw 'rectangle 0,50 601,51' \
    -fill none -stroke '#1559AE' -strokewidth 1 -draw 'rectangle 0,0 601,258' "PNG32:UpgradeDone.png"
# The done page's mark: a tick on a green disc.
convert -size 46x46 xc:none -fill '#35B26B' -draw 'circle 23,23 23,1' \
    -stroke '#FFFFFF' -strokewidth 5 -fill none -draw 'polyline 12,23 20,32 36,14' "PNG32:DoneMark.png"

# Close button: hot face only, the normal state shows the band through.
convert -size 30x30 xc:none -fill '#FFFFFF33' -draw 'rectangle 0,0 29,29' \
    -stroke '#FFFFFF' -strokewidth 2 -draw 'line 9,9 20,20' -draw 'line 20,9 9,20' "PNG32:btnExit2.png"
convert -size 30x30 xc:none \
    -stroke '#FFFFFF' -strokewidth 2 -draw 'line 9,9 20,20' -draw 'line 20,9 9,20' "PNG32:btnExit.png"

# Rounded button faces: fill, border.
face() {
    convert -size "$2" xc:none -fill "$3" -stroke "$4" -strokewidth 1 \
        -draw "roundrectangle 0.5,0.5 $5 6,6" "PNG32:$1"
}
face btnOk.png 200x46 '#1F6FD1' '#1559AE' '199.5,45.5'
face btnOk2.png 200x46 '#3A86E6' '#1F6FD1' '199.5,45.5'
face btnCancel.png 200x46 '#FFFFFF' '#B9C6D6' '199.5,45.5'
face btnCancel2.png 200x46 '#EEF4FB' '#8FA9C8' '199.5,45.5'
face btnDone.png 143x45 '#35B26B' '#2A8F56' '142.5,44.5'
face btnDone2.png 143x45 '#46C47C' '#35B26B' '142.5,44.5'

# Progress: a track band and its green fill.
convert -size 580x46 xc:none -fill '#E3EAF2' -draw 'roundrectangle 10,15 569,30 7,7' "PNG32:Progress_bk.png"
convert -size 552x15 xc:none -fill '#35B26B' -draw 'roundrectangle 0,0 551,14 7,7' "PNG32:Progress_fore.png"

# Change-list marks: an open circle, then a tick.
convert -size 17x15 xc:none -fill none -stroke '#9AA8B8' -strokewidth 1.5 -draw 'circle 8,7 8,2' "PNG32:Circle.png"
convert -size 18x13 xc:none -fill none -stroke '#35B26B' -strokewidth 2.5 -draw 'polyline 2,6 7,11 16,2' "PNG32:Check.png"

# The change list's scroll bar: a pale rounded track and a thumb that darkens
# under the mouse; both stretch between their rounded ends.
convert -size 10x40 xc:none -fill '#E6ECF3' -draw 'roundrectangle 1,0 8,39 4,4' "PNG32:scroll_bk.png"
convert -size 10x40 xc:none -fill '#A9BACD' -draw 'roundrectangle 1,0 8,39 4,4' "PNG32:scroll_thumb.png"
convert -size 10x40 xc:none -fill '#7F97B3' -draw 'roundrectangle 1,0 8,39 4,4' "PNG32:scroll_thumb_hot.png"

# Tray icons: an arrow over a disc, its shade turning.
res="$here"
for i in 1 2 3; do
    case $i in 1) c='#1F6FD1' ;; 2) c='#3A86E6' ;; 3) c='#6AA5F0' ;; esac
    convert -size 32x32 xc:none -fill "$c" -draw 'circle 16,16 16,1' \
        -fill '#FFFFFF' -draw 'polygon 16,25 8,15 13,15 13,7 19,7 19,15 24,15' "$res/tray$i.ico"
done
