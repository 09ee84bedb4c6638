#!/usr/bin/env bash
# Draws the flashing page's pictures with ImageMagick into skins/BrevlinsUI.
# The results are committed; run again only to change them.
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/BrevlinsUI" && pwd)"
cd "$out"
mkdir -p images
# The button faces are the main program's, so both windows look alike.
cp ../Torvanik/btn_primary_*.png ../Torvanik/btn_plain_*.png .

# Check boxes and the step index marks.
convert -size 16x16 xc:none -fill '#FFFFFF' -stroke '#8FA0B5' -draw 'roundrectangle 0.5,0.5 15.5,15.5 3,3' PNG32:check_off.png
convert -size 16x16 xc:none -fill '#1E6FD9' -stroke '#175BB5' -draw 'roundrectangle 0.5,0.5 15.5,15.5 3,3' \
    -stroke '#FFFFFF' -strokewidth 2 -fill none -draw 'polyline 4,8 7,11 12,5' PNG32:check_on.png
convert -size 150x30 xc:none -fill '#E4EEFC' -stroke '#1E6FD9' -draw 'roundrectangle 0.5,0.5 149.5,29.5 14,14' PNG32:step_current.png
convert -size 150x30 xc:none -fill '#FFFFFF' -stroke '#C9D2DD' -draw 'roundrectangle 0.5,0.5 149.5,29.5 14,14' PNG32:step_todo.png
convert -size 150x30 xc:none -fill '#E8F6EE' -stroke '#35B26B' -draw 'roundrectangle 0.5,0.5 149.5,29.5 14,14' PNG32:step_done.png
convert -size 200x2 xc:'#C9D2DD' PNG32:step_line.png
convert -size 200x2 xc:'#35B26B' PNG32:step_line_done.png

# The progress bar: track, a striped fill wider than the bar (it trembles
# sideways by shifting its source), and the thumb that carries the percentage.
convert -size 638x14 xc:none -fill '#E3E9F0' -draw 'roundrectangle 0,0 637,13 7,7' PNG32:progress_bg.png
convert -size 660x14 xc:'#2F86E8' -fill '#58A2F0' \
    -draw "$(for x in $(seq -14 16 660); do printf 'polygon %d,0 %d,0 %d,14 %d,14 ' $x $((x+8)) $((x+16)) $((x+8)); done)" \
    PNG32:progress_fore.png
convert -size 48x28 xc:none -fill '#1E6FD9' -stroke '#175BB5' -draw 'roundrectangle 0.5,0.5 47.5,27.5 13,13' PNG32:progress_thumb.png

# A phone waiting for its cable, and the result page's mark.
convert -size 120x180 xc:none -fill '#34404F' -draw 'roundrectangle 20,4 100,170 12,12' \
    -fill '#DCEBFD' -draw 'rectangle 26,22 94,146' -fill '#8A96A6' -draw 'circle 60,158 60,152' \
    -fill '#1E6FD9' -draw 'rectangle 56,170 64,180' PNG32:phone_wait.png
convert -size 96x96 xc:none -fill '#35B26B' -draw 'circle 48,48 48,4' \
    -stroke '#FFFFFF' -strokewidth 8 -fill none -draw 'polyline 26,50 42,66 72,34' PNG32:result_icon.png

# The flashing animations: a phone with a moving mark, one colour per phase.
phone_frames() {  # name colour
    local frames=()
    for i in 0 1 2 3 4 5; do
        local f="/tmp/brevlin_frame_$i.png"
        convert -size 150x150 xc:white -fill '#34404F' -draw 'roundrectangle 45,8 105,142 9,9' \
            -fill '#F3F6FA' -draw 'rectangle 50,22 100,122' \
            -fill "$2" -draw "rectangle 56,$((104 - i * 14)) 94,$((116 - i * 14))" \
            -fill "$2" -draw "circle $((62 + (i % 3) * 13)),132 $((62 + (i % 3) * 13)),129" "$f"
        frames+=("$f")
    done
    convert -delay 18 -loop 0 "${frames[@]}" "images/$1"
    rm -f "${frames[@]}"
}
phone_frames FlashingGif.gif '#8A96A6'
phone_frames FlashingGif-3-recovery.gif '#F0A030'
phone_frames FlashingGif-4-push.gif '#1E6FD9'
phone_frames FlashingGif-5-wipe.gif '#E0703A'
phone_frames FlashingGif-6-relive.gif '#35B26B'
phone_frames 备份配图.gif '#7A5CD6'

convert -size 96x96 xc:none -fill '#E0503A' -draw 'circle 48,48 48,4' \
    -stroke '#FFFFFF' -strokewidth 8 -draw 'line 32,32 64,64' -draw 'line 64,32 32,64' PNG32:result_error.png
