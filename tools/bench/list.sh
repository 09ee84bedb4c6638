#!/usr/bin/env bash
# The list against the system ListView (SysListView32, report mode, filled by
# LVM_INSERTITEM) under the same Wine. Two pairs, each scenario in its own
# process, alternating round by round:
#   text vs listview        10,000 rows of the same three texts in three columns: like for like
#   container vs listview2k 2,000 download rows: ours are containers (icon, name over a progress bar,
#                           speed, two buttons), the ListView's three text columns of the same texts;
#                           the same count of rows built, scrolled, selected and removed, but our rows
#                           draw more, so only wheel, Ctrl+A and removal compare like work
# Figures: build, first layout and paint, 200 wheel steps each repainted, Ctrl+A, removing every row
# with its repaint, peak working set. Per round the list-to-ListView ratios (below 1: the list is
# faster), then the median of each ratio over the rounds and the machine's load while it ran.
#   tools/bench/list.sh [rounds (default 5)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_list_bench
bench_enter_netns "$@"
bench="$build/bin/uilib_list_bench.exe"
rounds="${1:-5}"
bench_scratch list-bench
bench_wine_session

results="$work/results"
cut -d' ' -f1-3 /proc/loadavg >"$work/load-before"
for round in $(seq 1 "$rounds"); do
    for scenario in text listview container listview2k; do
        printf 'round=%s ' "$round" >>"$results"
        "$here/wine-run" --build "$build" "$bench" "$scenario" | tr -d '\r' | grep '^scenario=' >>"$results"
    done
done
cut -d' ' -f1-3 /proc/loadavg >"$work/load-after"

python3 - "$results" "$work" "$(nproc)" <<'PY'
import statistics, sys
results, work, cpus = sys.argv[1:4]
rounds = {}
for line in open(results):
    fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
    rounds.setdefault(int(fields["round"]), {})[fields["scenario"]] = fields
keys = ["build_ms", "first_paint_ms", "wheel200_ms", "ctrl_a_ms", "remove_all_ms", "peak_working_set_mib"]
pairs = [("text", "listview", "10,000 text rows (like for like)"),
         ("container", "listview2k", "2,000 download rows (like work: wheel, Ctrl+A, removal)")]
print(f"== list vs ListView, {len(rounds)} rounds")
print(f"{'round':<6}{'scenario':<12}" + "".join(f"{k:>22}" for k in keys))
ratios = {ours: {k: [] for k in keys} for ours, _, _ in pairs}
for r in sorted(rounds):
    got = rounds[r]
    for s in ("text", "listview", "container", "listview2k"):
        if s in got:
            print(f"{r:<6}{s:<12}" + "".join(f"{float(got[s][k]):>22.1f}" for k in keys))
    for ours, theirs, what in pairs:
        if ours in got and theirs in got:
            line = []
            for k in keys:
                base = float(got[theirs][k])
                if base > 0:
                    ratios[ours][k].append(float(got[ours][k]) / base)
                    line.append(f"{k}={ratios[ours][k][-1]:.2f}")
            print(f"{r:<6}ratio list/ListView, {what}: " + "  ".join(line))
for ours, theirs, what in pairs:
    print(f"median ratio list/ListView, {what}: " +
          "  ".join(f"{k}={statistics.median(v):.2f}" for k, v in ratios[ours].items() if v))
before = open(f"{work}/load-before").read().split()
after = open(f"{work}/load-after").read().split()
print(f"machine load (1/5/15-minute averages, {cpus} CPUs): before {' '.join(before)}, after {' '.join(after)}")
PY
