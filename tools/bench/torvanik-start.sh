#!/usr/bin/env bash
# Time from starting Torvanik.exe (from the installation) to its first painted
# main window, each run and the median of 10, with Wine's own start of a
# minimal windowed program measured the same way and subtracted; plus the peak
# working set and the machine's load. Target: below 300 ms of the program's own.
#   tools/bench/torvanik-start.sh [runs (default 10)]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build torvanik_start_bench
bench_enter_netns "$@"  # the program starts an adb server on the fixed port
bench_wine_session

echo "== Torvanik.exe: start to first painted main window (target: own share < 300 ms)"
"$here/wine-run" --build "$build" "$build/bin/torvanik_start_bench.exe" "${1:-10}"
bench_load_line
