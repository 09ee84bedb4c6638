#!/usr/bin/env bash
# Load on the main program's local download-request server: 1,000 requests
# from 50 concurrent loopback clients while 20 idle connections stay open.
# Prints each round's request rate, worst latency and lost requests, the
# median rate and the machine's load.
#   tools/bench/local-server.sh [requests] [concurrent clients] [idle connections] [rounds, default 3]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build local_server_bench
bench_enter_netns "$@"
bench_wine_session
cd "$build/bin"
for round in $(seq 1 "${4:-3}"); do
    echo "-- round $round"
    out=$("$here/wine-run" --build "$build" "$build/bin/local_server_bench.exe" "${1:-1000}" "${2:-50}" "${3:-20}" | tr -d '\r')
    echo "$out"
    bench_record rate "$(echo "$out" | sed -n 's/^requests per second: \([0-9.]*\).*/\1/p')"
    bench_record worst "$(echo "$out" | sed -n 's/^worst latency: \([0-9.]*\).*/\1/p')"
done
bench_summary rate "requests per second"
bench_summary worst "worst latency, ms"
bench_load_line
