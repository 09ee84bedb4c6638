#!/usr/bin/env bash
# Window shadow of an 800x600 frame: the pixel generation alone and each step
# of a live resize (resize, shadow regeneration and the frame's paint), median
# per frame, and the same resize without a shadow for comparison.
#   tools/bench/shadow-resize.sh [frames (default 200)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/paths.sh"
bash "$here/build.sh" >/dev/null
bench="$TEST_BUILD_DIR/bin/uilib_shadow_bench.exe"

display=:$((200 + RANDOM % 600))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1

DISPLAY=$display "$here/wine-run" --build "$TEST_BUILD_DIR" "$bench" "${1:-200}"
DISPLAY=$display "$here/wine-run" --build "$TEST_BUILD_DIR" "$bench" "${1:-200}" noshadow
