#!/usr/bin/env bash
# Layout (SetPos) plus a full paint of 10,000 labels: a vertical layout, a
# tile grid, and the core container with the same count of plain controls for
# comparison; median per run and peak working set, each in its own process.
#   tools/bench/layouts.sh [runs (default 15)] [count (default 10000)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build
bench="$build/bin/uilib_layout_bench.exe"
bench_wine_session

echo "== layout + paint of ${2:-10000} children (median of ${1:-15} runs)"
for scenario in vertical tile container; do
    "$here/wine-run" --build "$build" "$bench" "$scenario" "${1:-15}" "${2:-10000}"
done
