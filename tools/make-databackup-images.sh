#!/usr/bin/env bash
# Draws the backup window's pictures with ImageMagick into
# skins/Torvanik/DataBackup. The results are committed; run again only to
# change them.
set -euo pipefail
skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/Torvanik" && pwd)"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
mkdir -p "$skin/DataBackup"
cd "$skin/DataBackup"

# Progress strip: three steps (choose, transfer, done) on a rail; the steps
# reached are blue.
strip() {
    local out=$1 reached=$2
    local args=(-size 700x20 xc:none -fill '#DCE3EC' -draw 'roundrectangle 20,8 680,12 2,2')
    local x
    for step in 1 2 3; do
        x=$(( (step - 1) * 330 + 20 ))
        if (( step <= reached )); then
            args+=(-fill '#1E6FD9' -draw "circle $x,10 $((x + 9)),10")
            if (( step < reached )); then args+=(-draw "rectangle $x,8 $((x + 330)),12"); fi
        else
            args+=(-fill '#B8C3D1' -draw "circle $x,10 $((x + 9)),10")
        fi
    done
    convert "${args[@]}" "PNG32:$out"
}
strip backprocess1.png 1
strip backprocess2.png 2
strip backprocess3.png 3

# A backup row: a pale card with a blue date badge on the left.
convert -size 663x51 xc:none -fill '#F5F8FC' -stroke '#E1E8F0' -draw 'roundrectangle 0.5,0.5 662.5,50.5 4,4' \
    -stroke none -fill '#1E6FD9' -draw 'roundrectangle 4,4 60,46 4,4' "PNG32:restoritembk.png"

# Item icons, 30 x 30 rounded squares in the item's colour with a white sign.
icon() {
    local out=$1 color=$2; shift 2
    convert -size 30x30 xc:none -fill "$color" -draw 'roundrectangle 0,0 29,29 6,6' \
        -fill '#FFFFFF' -stroke '#FFFFFF' "$@" "PNG32:$out"
}
icon labelcontactors.png '#00A115' -draw 'circle 15,11 15,6' -draw 'ellipse 15,24 8,5 180,360'
icon restoremessage.png '#EF294D' -stroke none -draw 'roundrectangle 6,7 24,20 3,3' -draw 'polygon 9,19 14,19 9,24'
icon restorecallrecord.png '#F04E0E' -strokewidth 3 -fill none -draw 'arc 7,7 23,23 100,260'
icon restoreapps.png '#3B82D6' -stroke none -draw 'rectangle 7,7 13,13' -draw 'rectangle 17,7 23,13' \
    -draw 'rectangle 7,17 13,23' -draw 'rectangle 17,17 23,23'
icon restorewifi.png '#7A5AF8' -fill none -strokewidth 2 -draw 'arc 5,9 25,29 225,315' -draw 'arc 9,13 21,25 225,315' \
    -fill '#FFFFFF' -stroke none -draw 'circle 15,21 15,19'
icon restoreclock.png '#E6961E' -fill none -strokewidth 2 -draw 'circle 15,15 15,6' -draw 'line 15,15 15,9' \
    -draw 'line 15,15 19,15'

# Restore point: a ring, filled blue when chosen.
convert -size 16x16 xc:none -fill '#FFFFFF' -stroke '#9AA6B5' -strokewidth 1.5 -draw 'circle 8,8 8,1.5' \
    "PNG32:restoreuncheck.png"
convert -size 16x16 xc:none -fill '#FFFFFF' -stroke '#1E6FD9' -strokewidth 1.5 -draw 'circle 8,8 8,1.5' \
    -stroke none -fill '#1E6FD9' -draw 'circle 8,8 8,4.5' "PNG32:restoercheck.png"
# Delete marks and item check boxes: a box, red or blue with a tick when checked.
box() {
    local out=$1 size=$2 color=$3 ticked=$4
    local last=$((size - 1)) args=()
    if [[ $ticked == yes ]]; then
        args=(-fill "$color" -stroke "$color" -draw "roundrectangle 1,1 $((last - 1)),$((last - 1)) 3,3"
              -stroke '#FFFFFF' -strokewidth 2 -fill none
              -draw "polyline $((size / 4)),$((size / 2)) $((size * 2 / 5)),$((size * 7 / 10)) $((size * 3 / 4)),$((size * 3 / 10))")
    else
        args=(-fill '#FFFFFF' -stroke '#9AA6B5' -draw "roundrectangle 1,1 $((last - 1)),$((last - 1)) 3,3")
    fi
    convert -size "${size}x${size}" xc:none "${args[@]}" "PNG32:$out"
}
box delCheckboxU.png 20 '#D84343' no
box delCheckbox.png 20 '#D84343' yes
box uncheck.png 18 '#1E6FD9' no
box check.png 18 '#1E6FD9' yes

# Completion: a green disc with a white tick.
convert -size 64x64 xc:none -fill '#2ECC71' -draw 'circle 32,32 32,3' \
    -stroke '#FFFFFF' -strokewidth 6 -fill none -draw 'polyline 17,33 28,44 48,22' "PNG32:complete.png"

# Start page buttons: a large card with a sign and the action's words.
card() {
    local out=$1 color=$2 words=$3 sign=$4
    convert -size 200x150 xc:none -fill "$color" -draw 'roundrectangle 0,0 199,149 10,10' \
        -fill '#FFFFFF' -stroke '#FFFFFF' -strokewidth 6 -draw "$sign" -stroke none \
        -font "$font" -pointsize 18 -gravity south -annotate +0+18 "$words" "PNG32:$out"
}
card mainbackup.png '#1E6FD9' '备份数据' 'line 100,30 100,80 line 80,62 100,82 line 120,62 100,82'
card mainbackup_hot.png '#2A7DE8' '备份数据' 'line 100,30 100,80 line 80,62 100,82 line 120,62 100,82'
card mainrestore.png '#2E9E5F' '还原数据' 'line 100,32 100,82 line 80,50 100,30 line 120,50 100,30'
card mainrestore_hot.png '#37B26C' '还原数据' 'line 100,32 100,82 line 80,50 100,30 line 120,50 100,30'

# Busy: a ring of eight dots, one of them dark, turning.
frames=()
for i in 0 1 2 3 4 5 6 7; do
    args=(-size 20x20 xc:white)
    for j in 0 1 2 3 4 5 6 7; do
        read -r x y < <(awk -v a="$j" 'BEGIN { printf "%.1f %.1f\n", 10 + 7 * cos(a * 0.785398), 10 + 7 * sin(a * 0.785398) }')
        color='#C9D6E8'
        if (( j == i )); then color='#1E6FD9'; fi
        args+=(-fill "$color" -draw "circle $x,$y $x,$(awk -v y="$y" 'BEGIN { print y + 2 }')")
    done
    convert "${args[@]}" "/tmp/busy-$i.png"
    frames+=("/tmp/busy-$i.png")
done
convert -delay 10 -loop 0 "${frames[@]}" busy.gif
rm -f "${frames[@]}"
