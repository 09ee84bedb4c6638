#!/usr/bin/env bash
# A tree of 10,000 nodes (one root, 100 children of 100 leaves): build,
# collapse the root, expand it, check it, each with its repaint; the
# library's tree view and the system TreeView (SysTreeView32) under the same
# Wine, one after the other in this run. Medians over the runs. The system
# tree does not propagate checks: its "check the root" sets one item.
#   tools/bench/tree.sh [runs (default 5)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build
bench="$build/bin/uilib_tree_bench.exe"
bench_wine_session

echo "== tree of 10,000 nodes, times in ms including the repaint (median of ${1:-5} runs)"
for tree in ours system; do
    "$here/wine-run" --build "$build" "$bench" "$tree" "${1:-5}"
done
