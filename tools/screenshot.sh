#!/usr/bin/env bash
# Runs the skin demo under a private Xvfb display and saves the screen as a PNG:
#   tools/screenshot.sh [build dir (default build-x64)] [output png (default skindemo.png)]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-x64}" && pwd)"
out="${2:-skindemo.png}"

. "$root/tools/wine-session.sh"
wine_display_start 800x600x24
display=$DISPLAY
xvfb=$TORVANIK_XVFB_PID
demo=
cleanup() {
    [ -n "$demo" ] && kill "$demo" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

DISPLAY=$display "$root/tools/wine-run" --build "$build" "$build/bin/skindemo.exe" >/dev/null 2>&1 &
demo=$!
sleep "${SCREENSHOT_WAIT:-4}"
xwd -root -display "$display" | convert xwd:- "png:$out"
echo "saved $out"
