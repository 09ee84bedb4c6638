#!/usr/bin/env bash
# Runs the skin demo under a private Xvfb display and saves the screen as a PNG:
#   tools/screenshot.sh [build dir (default build-x64)] [output png (default skindemo.png)]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-x64}" && pwd)"
out="${2:-skindemo.png}"

display=:$((200 + RANDOM % 600))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
demo=
cleanup() {
    [ -n "$demo" ] && kill "$demo" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

DISPLAY=$display "$root/tools/wine-run" --build "$build" "$build/bin/skindemo.exe" >/dev/null 2>&1 &
demo=$!
sleep "${SCREENSHOT_WAIT:-4}"
xwd -root -display "$display" | convert xwd:- "png:$out"
echo "saved $out"
