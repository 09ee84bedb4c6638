#!/usr/bin/env bash
# Load on the main program's local download-request server: 1,000 requests
# from 50 concurrent loopback clients while 20 idle connections stay open.
# Prints the request rate, the worst latency and the lost requests; run after
# tools/build.sh.
#   tools/bench/local-server.sh [requests] [concurrent clients] [idle connections]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_enter_netns "$@"
bench_wine_session
cd "$build/bin"
"$here/wine-run" --build "$build" "$build/bin/local_server_bench.exe" "${1:-1000}" "${2:-50}" "${3:-20}"
