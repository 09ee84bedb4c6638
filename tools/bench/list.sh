#!/usr/bin/env bash
# The list against the system ListView (SysListView32, report mode, filled by
# LVM_INSERTITEM) under the same Wine: 10,000 three-column text rows and 2,000
# container rows shaped like a download item. Figures: build, first layout and
# paint, 200 wheel steps each repainted, Ctrl+A, removing every row, peak
# working set. Each scenario runs in its own process; the medians of the runs
# are printed with the list-to-ListView ratios (below 1: the list is faster).
#   tools/bench/list.sh [runs (default 3)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build
bench="$build/bin/uilib_list_bench.exe"
runs="${1:-3}"
bench_scratch list-bench
bench_wine_session

results="$work/results"
for run in $(seq 1 "$runs"); do
    for scenario in text listview container listview2k; do
        "$here/wine-run" --build "$build" "$bench" "$scenario" | tr -d '\r' | grep '^scenario=' >>"$results"
    done
done

python3 - "$results" "$runs" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    fields = dict(part.split("=", 1) for part in line.split())
    rows.setdefault(fields.pop("scenario"), []).append(fields)
keys = ["build_ms", "first_paint_ms", "wheel200_ms", "ctrl_a_ms", "remove_all_ms", "peak_working_set_mib"]
median = {s: {k: statistics.median(float(r[k]) for r in rs) for k in keys} for s, rs in rows.items()}
print(f"== list vs ListView, median of {sys.argv[2]} runs")
print(f"{'scenario':<12}" + "".join(f"{k:>22}" for k in keys))
for s in ["text", "listview", "container", "listview2k"]:
    if s in median:
        print(f"{s:<12}" + "".join(f"{median[s][k]:>22.1f}" for k in keys))
for ours, theirs, what in [("text", "listview", "10,000 text rows"), ("container", "listview2k", "2,000 download rows")]:
    if ours in median and theirs in median:
        ratios = "  ".join(f"{k}={median[ours][k] / median[theirs][k]:.2f}" for k in keys if median[theirs][k] > 0)
        print(f"ratio list/ListView, {what}: {ratios}")
PY
