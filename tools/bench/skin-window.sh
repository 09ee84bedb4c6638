#!/usr/bin/env bash
# Time from building a skinned window of about 500 controls (from a skin the
# driver writes into a scratch folder) to the end of its first paint, in a
# fresh window each run, plus the process's peak working set.
# Target: median below 100 ms.
#   tools/bench/skin-window.sh [runs (default 15)] [--sections]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_skin_window_bench
bench="$build/bin/uilib_skin_window_bench.exe"
bench_wine_session

echo "== skinned window: build to end of first paint (target: median < 100 ms)"
"$here/wine-run" --build "$build" "$bench" "${1:-15}" "${@:2}"
bench_load_line
