#!/usr/bin/env bash
# Layout (SetPos) plus a full paint of 10,000 labels: a vertical layout, a
# tile grid, and the core container with the same count of plain controls for
# comparison; median per run and peak working set, each in its own process.
#   tools/bench/layouts.sh [runs (default 15)] [count (default 10000)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/paths.sh"
bash "$here/build.sh" >/dev/null
bench="$TEST_BUILD_DIR/bin/uilib_layout_bench.exe"

display=:$((200 + RANDOM % 600))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1

echo "== layout + paint of ${2:-10000} children (median of ${1:-15} runs)"
for scenario in vertical tile container; do
    DISPLAY=$display "$here/wine-run" --build "$TEST_BUILD_DIR" "$bench" "$scenario" "${1:-15}" "${2:-10000}"
done
