#!/usr/bin/env bash
# Download throughput of the downloader program end to end against the curl
# command line, both fetching from a fast native loopback server with byte
# ranges. The program's figure runs from its first package request (by
# WM_COPYDATA, as the main program sends it) to the last file in place; its
# start is not counted, as curl's is not either. Three cases:
#   1 GiB       one file: Pellarine_u.exe vs `curl -o`
#   1 GiB busy  the same while two busy loops keep two CPUs occupied, on both sides
#   11 x 100M   eleven files at once: the program's eleven workers vs eleven
#               curl processes started together
# Every round runs both sides back to back (alternating which goes first)
# and prints the ratio of that round (program / curl, higher is better);
# the last lines give each case's per-round ratios and their median, the
# program's peak working set and the machine's load before and after.
#   tools/bench/downloader-throughput.sh [rounds, default 3]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build downloader_program_bench
bench_enter_netns "$@"
bench_scratch dl-bench 4
bench_wine_session
rounds="${1:-3}"

load_line() { echo "$(nproc) CPUs, load average $(cut -d' ' -f1-3 /proc/loadavg)"; }
load_before="$(load_line)"

mkdir -p "$work/files"
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/files/big.bin"
for i in $(seq 0 10); do head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/files/part$i.bin"; done
python3 "$here/bench/range-server.py" "$work/files" "$work/port" &
bench_on_exit kill $!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
base="http://127.0.0.1:$(cat "$work/port")"

mib_s() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.0f", b / 1048576 / s }'; }
fresh_out() { rm -rf "$work/out"; mkdir -p "$work/out"; sync; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }

# program <urls...>: prints "<seconds> <peak MiB>"
program() {
    fresh_out
    local out
    out="$("$here/wine-run" --build "$build" "$build/bin/downloader_program_bench.exe" "$(winpath "$work/out/program")" "$@")"
    tr -d '\r' <<<"$out" | awk '/^seconds/ {s=$2} /^peak_working_set_mib/ {p=$2} /^failed/ {f=$2} END { if (f != 0) exit 1; print s, p }'
}
# curls <urls...>: one curl process per URL, all started together; prints seconds.
curls() {
    fresh_out
    local t0 t1 url pids=() i=0
    t0=$(now)
    for url in "$@"; do
        curl -s -f --no-progress-meter -o "$work/out/file$i" "$url" &
        pids+=($!); i=$((i + 1))
    done
    for pid in "${pids[@]}"; do wait "$pid"; done
    t1=$(now)
    elapsed "$t0" "$t1"
}

busy_pids=()
busy_start() { for _ in 1 2; do (while :; do :; done) & busy_pids+=($!); done; }
busy_stop() {
    [ "${#busy_pids[@]}" -gt 0 ] || return 0
    kill "${busy_pids[@]}" 2>/dev/null || true
    wait "${busy_pids[@]}" 2>/dev/null || true
    busy_pids=()
}
bench_on_exit busy_stop

parallel_urls=()
for i in $(seq 0 10); do parallel_urls+=("$base/part$i.bin"); done
declare -A bytes=([single]=$((1024 * 1024 * 1024)) [busy]=$((1024 * 1024 * 1024)) [parallel]=$((11 * 100 * 1024 * 1024)))
declare -A ratios=()
peak=0

# one_round <case> <round>: both sides, the order alternating by round.
one_round() {
    local case="$1" r="$2" urls=() result p_s c_s
    if [ "$case" = parallel ]; then urls=("${parallel_urls[@]}"); else urls=("$base/big.bin"); fi
    [ "$case" = busy ] && busy_start
    if [ $((r % 2)) -eq 1 ]; then
        result="$(program "${urls[@]}")"; c_s="$(curls "${urls[@]}")"
    else
        c_s="$(curls "${urls[@]}")"; result="$(program "${urls[@]}")"
    fi
    [ "$case" = busy ] && busy_stop
    p_s="${result% *}"
    peak=$(awk -v a="$peak" -v b="${result#* }" 'BEGIN { print (b > a ? b : a) }')
    local p c ratio
    p="$(mib_s "${bytes[$case]}" "$p_s")"; c="$(mib_s "${bytes[$case]}" "$c_s")"
    ratio="$(awk -v a="$p_s" -v b="$c_s" 'BEGIN { printf "%.2f", b / a }')"
    ratios[$case]+="$ratio "
    printf '%-9s round %d: program %5s MiB/s, curl %5s MiB/s, ratio %s\n' "$case" "$r" "$p" "$c" "$ratio"
}

for r in $(seq 1 "$rounds"); do
    for case in single busy parallel; do one_round "$case" "$r"; done
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "== program / curl, per round and median"
echo "1 GiB:                    ${ratios[single]}-> median $(echo "${ratios[single]}" | median)"
echo "1 GiB, two CPUs busy:     ${ratios[busy]}-> median $(echo "${ratios[busy]}" | median)"
echo "11 x 100 MiB vs 11 curls: ${ratios[parallel]}-> median $(echo "${ratios[parallel]}" | median)"
echo "program peak working set: $peak MiB"
echo "machine before: $load_before"
echo "machine after:  $(load_line)"
