#!/usr/bin/env bash
# Time from building a skinned window of about 500 controls (from a skin the
# driver writes into a scratch folder) to the end of its first paint, in a
# fresh window each run, plus the process's peak working set.
# Target: median below 100 ms.
#   tools/bench/skin-window.sh [runs (default 15)] [--sections]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/paths.sh"
bash "$here/build.sh" >/dev/null
bench="$TEST_BUILD_DIR/bin/uilib_skin_window_bench.exe"

display=:$((200 + RANDOM % 600))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1

echo "== skinned window: build to end of first paint (target: median < 100 ms)"
DISPLAY=$display "$here/wine-run" --build "$TEST_BUILD_DIR" "$bench" "${1:-15}" "${@:2}"
