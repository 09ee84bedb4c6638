#!/usr/bin/env bash
# The downloader's list: time to load 200 tasks from the database and paint
# them, and the UI thread's round trip for a sent message while 11 workers
# download 100 MiB files at full speed from a fast native loopback server.
# Run after tools/build.sh.
#   tools/bench/pellarine-list.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build downloader_list_bench
bench_enter_netns "$@"
bench_scratch list-bench
bench_wine_session

mkdir -p "$work/files"
for i in $(seq 0 10); do head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/files/part$i.bin"; done
python3 "$here/bench/range-server.py" "$work/files" "$work/port" &
bench_on_exit kill $!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
"$here/wine-run" --build "$build" "$build/bin/downloader_list_bench.exe" "http://127.0.0.1:$(cat "$work/port")" 11
bench_load_line
