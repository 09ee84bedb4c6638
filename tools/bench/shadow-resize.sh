#!/usr/bin/env bash
# Window shadow of an 800x600 frame: the pixel generation alone and each step
# of a live resize (resize, shadow regeneration and the frame's paint), median
# per frame, and the same resize without a shadow in the same round. Prints
# each round's ratio (the frame's time without the shadow over its time with
# it), their median and the machine's load.
#   tools/bench/shadow-resize.sh [frames (default 200)] [rounds (default 3)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_shadow_bench
bench="$build/bin/uilib_shadow_bench.exe"
bench_wine_session

resize_ms() { sed -n 's/^ *live resize, per frame *\([0-9.]*\) ms.*/\1/p'; }
for round in $(seq 1 "${2:-3}"); do
    echo "-- round $round"
    with=$("$here/wine-run" --build "$build" "$bench" "${1:-200}" | tr -d '\r')
    without=$("$here/wine-run" --build "$build" "$bench" "${1:-200}" noshadow | tr -d '\r')
    printf '%s\n%s\n' "$with" "$without"
    ratio=$(bench_ratio "$(echo "$without" | resize_ms)" "$(echo "$with" | resize_ms)")
    echo "ratio of a resize step without the shadow to one with it: $ratio"
    bench_record resize "$ratio"
done
bench_summary resize "resize step, without shadow over with shadow"
bench_load_line
