#!/usr/bin/env bash
# A tree of 10,000 nodes (one root, 100 children of 100 leaves): build,
# collapse the root, expand it, check it, each with its repaint; the
# library's tree view and the system TreeView (SysTreeView32) under the same
# Wine, alternating, each round a fresh process per side. Per round: the
# first build of the fresh process and the medians of the runs inside it,
# with our-to-system ratios; then the median of each over the rounds. The
# system tree does not propagate checks: its "check the root" sets one item.
#   tools/bench/tree.sh [runs per process (default 5)] [rounds (default 5)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_tree_bench
bench_enter_netns "$@"
bench="$build/bin/uilib_tree_bench.exe"
runs="${1:-5}"
rounds="${2:-5}"
bench_scratch tree-bench
bench_wine_session

results="$work/results"
cut -d' ' -f1-3 /proc/loadavg >"$work/load-before"
for round in $(seq 1 "$rounds"); do
    for tree in ours system; do
        printf 'round=%s ' "$round" >>"$results"
        "$here/wine-run" --build "$build" "$bench" "$tree" "$runs" | tr -d '\r' | grep '^tree=' >>"$results"
    done
done
cut -d' ' -f1-3 /proc/loadavg >"$work/load-after"

python3 - "$results" "$work" "$runs" "$(nproc)" <<'PY'
import statistics, sys
results, work, runs, cpus = sys.argv[1:5]
rounds = {}
for line in open(results):
    fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
    rounds.setdefault(int(fields["round"]), {})[fields["tree"]] = fields
keys = ["first_build_ms", "build_ms", "collapse_root_ms", "expand_root_ms", "check_root_ms"]
print(f"== tree of 10,000 nodes, times in ms with the repaint; each process on each side builds {runs} trees")
print("   first_build_ms: the first build in a fresh process; the others: median of that process's runs")
print(f"{'round':<6}{'tree':<8}" + "".join(f"{k:>18}" for k in keys) + f"{'peak_ws_mib':>14}")
ratios = {k: [] for k in keys}
for r in sorted(rounds):
    for tree in ("ours", "system"):
        if tree in rounds[r]:
            f = rounds[r][tree]
            print(f"{r:<6}{tree:<8}" + "".join(f"{float(f[k]):>18.1f}" for k in keys) +
                  f"{float(f['peak_working_set_mib']):>14.1f}")
    if {"ours", "system"} <= rounds[r].keys():
        line = []
        for k in keys:
            theirs = float(rounds[r]["system"][k])
            if theirs > 0:
                ratios[k].append(float(rounds[r]["ours"][k]) / theirs)
                line.append(f"{k}={ratios[k][-1]:.2f}")
        print(f"{r:<6}ratio ours/system: " + "  ".join(line))
print("median ratio ours/system over the rounds (below 1: ours is faster): " +
      "  ".join(f"{k}={statistics.median(v):.2f}" for k, v in ratios.items() if v))
for tree in ("ours", "system"):
    values = [float(rounds[r][tree]["first_build_ms"]) for r in rounds if tree in rounds[r]]
    if values:
        print(f"first build in a fresh process, {tree}: median {statistics.median(values):.1f} ms, "
              f"min {min(values):.1f}, max {max(values):.1f}")
before = open(f"{work}/load-before").read().split()
after = open(f"{work}/load-after").read().split()
print(f"machine load (1/5/15-minute averages, {cpus} CPUs): before {' '.join(before)}, after {' '.join(after)}")
PY
