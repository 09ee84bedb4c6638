#!/usr/bin/env bash
# Window shadow of an 800x600 frame: the pixel generation alone and each step
# of a live resize (resize, shadow regeneration and the frame's paint), median
# per frame, and the same resize without a shadow for comparison.
#   tools/bench/shadow-resize.sh [frames (default 200)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build
bench="$build/bin/uilib_shadow_bench.exe"
bench_wine_session

"$here/wine-run" --build "$build" "$bench" "${1:-200}"
"$here/wine-run" --build "$build" "$bench" "${1:-200}" noshadow
