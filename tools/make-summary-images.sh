#!/usr/bin/env bash
# Draws the pictures of the phone data summary and of the feedback result
# window with ImageMagick into skins/Torvanik. The results are committed; run
# again only to change them.
set -euo pipefail
skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/Torvanik" && pwd)"

cd "$skin/IndexSecPage"
# Summary icons, 40 x 40 rounded tiles: a person, a speech bubble, a handset.
convert -size 40x40 xc:none -fill '#E6F0FC' -draw 'roundrectangle 0,0 39,39 10,10' \
    -fill '#1E6FD9' -draw 'circle 20,15 20,9' -draw 'ellipse 20,32 11,8 180,360' "PNG32:contacts.png"
convert -size 40x40 xc:none -fill '#E5F6EC' -draw 'roundrectangle 0,0 39,39 10,10' \
    -fill '#2F9E5F' -draw 'roundrectangle 8,10 31,26 5,5' -draw 'polygon 13,25 19,25 12,32' \
    -fill '#E5F6EC' -draw 'circle 14,18 14,16' -draw 'circle 20,18 20,16' -draw 'circle 26,18 26,16' "PNG32:messages.png"
convert -size 40x40 xc:none -fill '#FDF0E3' -draw 'roundrectangle 0,0 39,39 10,10' \
    -fill none -stroke '#E07B20' -strokewidth 5 -draw "path 'M 13,13 Q 11,27 27,27'" \
    -stroke none -fill '#E07B20' -draw 'roundrectangle 8,8 17,15 3,3' -draw 'roundrectangle 25,23 32,32 3,3' \
    "PNG32:calls.png"

cd "$skin/Questionback/BackTip"
# Result pictures, 64 x 64: a green tick for thanks, a red cross for failure.
convert -size 64x64 xc:none -fill '#E5F6EC' -draw 'circle 32,32 32,2' \
    -fill none -stroke '#2F9E5F' -strokewidth 6 -draw 'line 18,33 28,43' -draw 'line 28,43 46,23' -stroke none -fill '#2F9E5F' -draw 'circle 28,43 28,40' "PNG32:okbk.png"
convert -size 64x64 xc:none -fill '#FDE8E8' -draw 'circle 32,32 32,2' \
    -fill none -stroke '#D64545' -strokewidth 6 -draw 'line 22,22 42,42' -draw 'line 42,22 22,42' "PNG32:failbk.png"

cd "$skin/Questionback"
# Drop-down boxes of the form, drawn with corners of 4 and an arrow field of
# 26 on the right: grey border, blue when hot.
combo() {
    convert -size 150x28 xc:none -fill '#FFFFFF' -stroke "$2" -draw 'roundrectangle 0.5,0.5 149.5,27.5 3,3' \
        -stroke none -fill "$3" -draw 'polygon 131,11 141,11 136,17' "PNG32:$1"
}
combo combo_normal.png '#B9C6D6' '#5B6675'
combo combo_hot.png '#1E6FD9' '#1E6FD9'
