#!/usr/bin/env bash
# Download throughput of the downloader's engine against the curl command
# line, both fetching from a fast native loopback server with byte ranges:
# one 1 GiB file, and 11 files of 100 MiB at once (curl -Z --parallel-max 11),
# alternating engine and curl in every round. Prints MiB/s, the engine/curl
# ratio and the engine's peak working set. Run after tools/build.sh.
#   tools/bench/downloader-throughput.sh [rounds, default 2]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_enter_netns "$@"
bench_scratch dl-bench
bench_wine_session
rounds="${1:-2}"

mkdir -p "$work/files" "$work/out"
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/files/big.bin"
for i in $(seq 0 10); do head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/files/part$i.bin"; done
python3 "$here/bench/range-server.py" "$work/files" "$work/port" &
bench_on_exit kill $!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
base="http://127.0.0.1:$(cat "$work/port")"

mib_s() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.0f", b / 1048576 / s }'; }
clean_out() { rm -rf "$work/out"; mkdir -p "$work/out"; sync; }

# The engine: seconds measured inside the program (Wine's start excluded).
engine_run() {  # engine_run <urls...>; prints "<seconds> <peak MiB>"
    local out
    out="$("$here/wine-run" --build "$build" "$build/bin/engine_bench.exe" "$(winpath "$work/out")" "$@")"
    tr -d '\r' <<<"$out" | awk '/^seconds/ {s=$2} /^peak_working_set_mib/ {p=$2} /^failed/ {f=$2} END { if (f != 0) exit 1; print s, p }'
}
curl_single() {
    local t0 t1
    t0=$(now); curl -s -f --no-progress-meter -o "$work/out/big.bin" "$base/big.bin"; t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }'
}
curl_parallel() {
    local t0 t1 args=()
    for i in $(seq 0 10); do args+=(-o "$work/out/part$i.bin" "$base/part$i.bin"); done
    t0=$(now); curl -s -f --no-progress-meter -Z --parallel-max 11 "${args[@]}"; t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }'
}
parallel_urls=()
for i in $(seq 0 10); do parallel_urls+=("$base/part$i.bin"); done

single_bytes=$((1024 * 1024 * 1024))
parallel_bytes=$((11 * 100 * 1024 * 1024))
peak=0
es=(); ec=(); ps=(); pc=()
for r in $(seq 1 "$rounds"); do
    clean_out; result="$(engine_run "$base/big.bin")"; s="${result% *}"; p="${result#* }"
    es+=("$(mib_s $single_bytes "$s")")
    peak=$(awk -v a="$peak" -v b="$p" 'BEGIN { print (b > a ? b : a) }')
    clean_out; ec+=("$(mib_s $single_bytes "$(curl_single)")")
    clean_out; result="$(engine_run "${parallel_urls[@]}")"; s="${result% *}"; p="${result#* }"
    ps+=("$(mib_s $parallel_bytes "$s")")
    peak=$(awk -v a="$peak" -v b="$p" 'BEGIN { print (b > a ? b : a) }')
    clean_out; pc+=("$(mib_s $parallel_bytes "$(curl_parallel)")")
    echo "round $r: 1 GiB engine ${es[-1]} MiB/s, curl ${ec[-1]} MiB/s; 11 x 100 MiB engine ${ps[-1]} MiB/s, curl ${pc[-1]} MiB/s"
done
best() { printf '%s\n' "$@" | sort -n | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "best of $rounds: 1 GiB: engine $(best "${es[@]}") MiB/s, curl $(best "${ec[@]}") MiB/s, ratio $(ratio "$(best "${es[@]}")" "$(best "${ec[@]}")")"
echo "best of $rounds: 11 x 100 MiB: engine $(best "${ps[@]}") MiB/s, curl $(best "${pc[@]}") MiB/s, ratio $(ratio "$(best "${ps[@]}")" "$(best "${pc[@]}")")"
echo "engine peak working set: $peak MiB"
