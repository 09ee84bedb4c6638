#!/usr/bin/env bash
# Draws the main window's loading animations with ImageMagick into
# skins/Torvanik/Loading: a small turning ring for the web-pane toolbars and
# the phone data button, and a larger one over the phone's screen while the
# phone is being connected. Transparent, so they sit on any background. The
# results are committed; run again only to change them.
set -euo pipefail
skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../skins/Torvanik" && pwd)"
mkdir -p "$skin/Loading"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# ring <out> <size> <dots> <radius> <dot radius>: dots on a circle, the lead
# one dark blue and the three behind it fading, turning one place a frame.
ring() {
    local out=$1 size=$2 dots=$3 radius=$4 dot=$5
    local centre frames=() i j x y color
    centre=$(awk -v s="$size" 'BEGIN { printf "%.1f", (s - 1) / 2 }')
    for (( i = 0; i < dots; i++ )); do
        local args=(-size "${size}x${size}" xc:none +antialias)
        for (( j = 0; j < dots; j++ )); do
            read -r x y < <(awk -v c="$centre" -v r="$radius" -v a="$j" -v n="$dots" \
                'BEGIN { t = a * 6.2831853 / n; printf "%.1f %.1f\n", c + r * sin(t), c - r * cos(t) }')
            case $(( (i - j + dots) % dots )) in
                0) color='#1E6FD9' ;;
                1) color='#4A8DE3' ;;
                2) color='#7FAEEB' ;;
                *) color='#C9D6E8' ;;
            esac
            args+=(-fill "$color" -draw "circle $x,$y $(awk -v x="$x" -v d="$dot" 'BEGIN { print x + d }'),$y")
        done
        convert "${args[@]}" "$work/frame-$i.png"
        frames+=("$work/frame-$i.png")
    done
    convert -delay 8 -loop 0 -dispose Background "${frames[@]}" "$out"
}

ring "$skin/Loading/loading24.gif" 24 8 8 2.4
ring "$skin/Loading/connecting48.gif" 48 12 17 3.6
