#!/usr/bin/env bash
# Layout (SetPos) plus a full paint of 10,000 labels: a vertical layout and a
# tile grid, against the core container with the same count of plain controls;
# each scenario in its own process, the three alternating round by round. Per
# round: each scenario's median over its runs and the ratio of each layout to
# the container; then the median of the ratios over the rounds, and the
# machine's load while it ran.
#   tools/bench/layouts.sh [runs per process (default 15)] [count (default 10000)] [rounds (default 5)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_layout_bench
bench_enter_netns "$@"
bench="$build/bin/uilib_layout_bench.exe"
runs="${1:-15}"
count="${2:-10000}"
rounds="${3:-5}"
bench_scratch layout-bench
bench_wine_session

results="$work/results"
cut -d' ' -f1-3 /proc/loadavg >"$work/load-before"
for round in $(seq 1 "$rounds"); do
    for scenario in vertical tile container; do
        printf 'round=%s ' "$round" >>"$results"
        "$here/wine-run" --build "$build" "$bench" "$scenario" "$runs" "$count" | tr -d '\r' |
            grep '^scenario=' >>"$results"
    done
done
cut -d' ' -f1-3 /proc/loadavg >"$work/load-after"

python3 - "$results" "$work" "$runs" "$count" "$(nproc)" <<'PY'
import statistics, sys
results, work, runs, count, cpus = sys.argv[1:6]
rounds = {}
for line in open(results):
    fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
    rounds.setdefault(int(fields["round"]), {})[fields["scenario"]] = fields
print(f"== layout + paint of {count} children, ms: median of {runs} runs per process")
ratios = {"vertical": [], "tile": []}
for r in sorted(rounds):
    got = rounds[r]
    line = "  ".join(f"{s}={float(got[s]['median_ms']):.2f}" for s in ("vertical", "tile", "container") if s in got)
    if "container" in got:
        base = float(got["container"]["median_ms"])
        for s in ratios:
            if s in got and base > 0:
                ratios[s].append(float(got[s]["median_ms"]) / base)
        line += "   ratio to the container: " + "  ".join(
            f"{s}={ratios[s][-1]:.2f}" for s in ratios if s in got and base > 0)
    print(f"round {r}: {line}")
for s in ("vertical", "tile", "container"):
    values = [float(rounds[r][s]["median_ms"]) for r in rounds if s in rounds[r]]
    peaks = [float(rounds[r][s]["peak_working_set_mib"]) for r in rounds if s in rounds[r]]
    if values:
        print(f"{s:<10} median over the rounds {statistics.median(values):.2f} ms, peak working set "
              f"{max(peaks):.1f} MiB")
print("median ratio to the container over the rounds: " +
      "  ".join(f"{s}={statistics.median(v):.2f}" for s, v in ratios.items() if v))
before = open(f"{work}/load-before").read().split()
after = open(f"{work}/load-after").read().split()
print(f"machine load (1/5/15-minute averages, {cpus} CPUs): before {' '.join(before)}, after {' '.join(after)}")
PY
