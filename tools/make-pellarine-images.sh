#!/usr/bin/env bash
# Draws the downloader skin's pictures with ImageMagick into skins/Pellarine.
# The results are committed; run again only to change them.
set -euo pipefail
skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/Pellarine" && pwd)"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
cd "$skin"

# Caption: a vertical blue gradient; the logo: a white arrow into a tray.
convert -size 8x44 gradient:'#2A76D2-#1A5FB4' "PNG32:caption.png"
convert -size 26x26 xc:none -fill '#FFFFFF' -draw 'roundrectangle 0,0 25,25 6,6' \
    -fill '#1A5FB4' -draw 'rectangle 11,4 14,13' -draw 'polygon 7,12 18,12 12.5,18' \
    -draw 'rectangle 5,20 20,21' "PNG32:logo.png"
# Close button: a white cross, a red face when hot or pushed.
close() {
    convert -size 32x32 xc:none -fill "$2" -draw 'roundrectangle 2,2 29,29 4,4' \
        -stroke '#FFFFFF' -strokewidth 2 -draw 'line 11,11 21,21' -draw 'line 21,11 11,21' "PNG32:$1"
}
close close_n.png 'none'
close close_h.png '#E04848'
close close_p.png '#B83232'
# Tabs: the selected one with a blue rule underneath; kind filters as pills.
convert -size 92x40 xc:none -fill '#1A5FB4' -draw 'rectangle 14,37 77,39' "PNG32:tab_sel.png"
convert -size 92x40 xc:none -fill '#F0F5FC' -draw 'rectangle 0,0 91,39' "PNG32:tab_hot.png"
convert -size 56x24 xc:none -fill '#1A5FB4' -draw 'roundrectangle 0,0 55,23 11,11' "PNG32:kind_sel.png"
convert -size 56x24 xc:none -fill '#E4EEFB' -draw 'roundrectangle 0,0 55,23 11,11' "PNG32:kind_hot.png"
# Balloon: a pale yellow rounded box with a pointer at the bottom left.
convert -size 220x48 xc:none -fill '#FFF8DC' -stroke '#E0C060' -draw 'roundrectangle 0.5,0.5 219.5,39.5 6,6' \
    -stroke none -draw 'polygon 22,39 38,39 26,47' "PNG32:balloon.png"

mkdir -p images-downslistitem
cd images-downslistitem
# The icon a row shows until its own arrives: a blue package box.
convert -size 44x44 xc:none -fill '#E8F0FB' -draw 'roundrectangle 0,0 43,43 9,9' \
    -fill '#3B82D6' -draw 'polygon 10,16 22,10 34,16 22,22' -fill '#2A6BBE' -draw 'polygon 10,16 22,22 22,35 10,29' \
    -fill '#5596E0' -draw 'polygon 34,16 22,22 22,35 34,29' "PNG32:DefaultIcon.png"
convert -size 40x6 xc:none -fill '#E3E8EF' -draw 'roundrectangle 0,0 39,5 3,3' "PNG32:ProgressTrack.png"
convert -size 40x6 xc:none -fill '#2F9E5F' -draw 'roundrectangle 0,0 39,5 3,3' "PNG32:ProgressFill.png"
# Status buttons, 32 x 32 circles.
convert -size 32x32 xc:none -fill '#8A94A3' -draw 'circle 16,16 16,2' \
    -stroke '#FFFFFF' -strokewidth 2 -fill none -draw 'circle 16,16 16,9' -draw 'line 16,16 16,11' -draw 'line 16,16 20,16' \
    "PNG32:WaitButton.png"
convert -size 32x32 xc:'#FFFFFF' -fill '#2F9E5F' -draw 'circle 16,16 16,2' \
    -fill '#FFFFFF' -draw 'polygon 13,10 23,16 13,22' -quality 95 RunButton.jpg
convert -size 32x32 xc:'#FFFFFF' -fill '#E6961E' -draw 'circle 16,16 16,2' \
    -fill '#FFFFFF' -draw 'rectangle 11,10 14,22' -draw 'rectangle 18,10 21,22' -quality 95 PauseButton.jpg
convert -size 32x32 xc:none -fill '#D84343' -draw 'circle 16,16 16,2' \
    -fill '#FFFFFF' -draw 'rectangle 15,8 17,19' -draw 'rectangle 15,22 17,24' "PNG32:ErrorButton.png"
convert -size 32x32 xc:none -fill '#C3CAD3' -draw 'circle 16,16 16,2' "PNG32:NoneButton.png"
# Install buttons with their words: ROMs are flashed, apps and games installed.
install() {
    convert -size 72x28 xc:none -fill "$2" -draw 'roundrectangle 0,0 71,27 5,5' \
        -font "$font" -pointsize 13 -fill '#FFFFFF' -gravity center -annotate +0+0 "$3" "PNG32:$1"
}
install InstallRomButton-n.png '#E6731E' '刷入ROM'
install InstallRomButton-h.png '#F28A3A' '刷入ROM'
install InstallAppButton-n.png '#1A5FB4' '安装'
install InstallAppButton-h.png '#2A76D2' '安装'
# Delete: a grey cross, red when hot.
del() {
    convert -size 22x22 xc:none -fill "$2" -draw 'circle 11,11 11,1' \
        -stroke "$3" -strokewidth 2 -draw 'line 7,7 15,15' -draw 'line 15,7 7,15' "PNG32:$1"
}
del DeleteButton-n.png '#EEF1F5' '#8A94A3'
del DeleteButton-h.png '#FBE3E3' '#D84343'
