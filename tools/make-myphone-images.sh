#!/usr/bin/env bash
# Draws the pictures of the my-phone panel with ImageMagick into
# skins/Torvanik: the default frame of a connected phone (its screen dark, for
# the phone's screenshot to cover) and the numbered dots of the USB debugging
# steps. The results are committed; run again only to change them.
set -euo pipefail
skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/Torvanik" && pwd)"

mkdir -p "$skin/PhoneScreen"
# 170 x 300 like the waiting phone (phone.png), the screen at 14,40-156,250.
convert -size 170x300 xc:none -fill '#1F2733' -draw 'roundrectangle 2,2 167,297 22,22' \
    -fill '#3A4656' -draw 'roundrectangle 62,16 108,22 3,3' -draw 'circle 85,272 85,262' \
    -fill '#0E141C' -draw 'rectangle 14,40 156,250' \
    -fill '#2ECC71' -draw 'circle 128,19 128,16' "PNG32:$skin/PhoneScreen/Default.png"

# Step dots, 22 x 22: a blue disc with the step's number in white.
for n in 1 2 3; do
    convert -size 22x22 xc:none -fill '#1E6FD9' -draw 'circle 11,11 11,0' \
        -fill '#FFFFFF' -font DejaVu-Sans-Bold -pointsize 13 -gravity center -annotate +0+0 "$n" "PNG32:$skin/step$n.png"
done
