#!/usr/bin/env bash
# Push and pull throughput of Hemlar's adb client against Debian's adb client,
# both talking to the stand-in adb server, and the client's peak memory on a
# 1 GiB push. Prints the figures; run after tools/build.sh.
#   tools/bench/adb-sync.sh [MiB per transfer, default 256] [rounds, default 3]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/paths.sh"
if [ -z "${TORVANIK_IN_NETNS:-}" ]; then
    exec unshare --net env TORVANIK_IN_NETNS=1 bash "$0" "$@"
fi
ip link set lo up
. "$here/wine-session.sh"
build="$TEST_BUILD_DIR"
work="$(mktemp -d /var/tmp/adb-bench.XXXXXX)"
peer_pid=
finish() {
    adb kill-server >/dev/null 2>&1 || true
    [ -n "$peer_pid" ] && wait "$peer_pid" 2>/dev/null || true
    wine_session_stop "$build"
    rm -rf "$work"
}
trap finish EXIT
wine_session_start "$build"

size_mib="${1:-256}"
rounds="${2:-3}"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
hemlar() { "$here/wine-run" --build "$build" "$build/bin/hemlar_adb.exe" "$@"; }
now() { date +%s.%N; }
# Seconds the Hemlar client spent on the command itself (Wine's program start
# excluded: in the suite the client runs inside an already started program).
hemlar_seconds() { HEMLAR_ADB_TIME=1 hemlar "$@" 2>&1 >/dev/null | awk '/command seconds:/ {print $3}'; }
rate_s() { awk -v mib="$1" -v s="$2" 'BEGIN { printf "%.1f", mib / s }'; }
rate() { awk -v mib="$1" -v a="$2" -v b="$3" 'BEGIN { printf "%.1f", mib / (b - a) }'; }

mkdir -p "$work/phone/sdcard" "$work/home"
export HOME="$work/home"
export ADB_PEER_PHONE="$(winpath "$work/phone")" ADB_PEER_LOG='NUL'
export ADB_PEER_SCENARIO="$(winpath "$work/scenario.txt")"
printf 'state=device\nserial=BENCH\n' >"$work/scenario.txt"
"$here/wine-run" --build "$build" "$build/bin/adb_server_peer.exe" >"$work/peer.out" 2>&1 &
peer_pid=$!
for _ in $(seq 1 400); do grep -q OK "$work/peer.out" 2>/dev/null && break; sleep 0.05; done
grep -q OK "$work/peer.out" || { echo "the stand-in adb server did not start"; exit 1; }

head -c "$((size_mib * 1048576))" /dev/urandom >"$work/data.bin"
echo "transfer size: $size_mib MiB, $rounds rounds, alternating clients"

# The server's own capacity: two Debian clients pushing at once move about
# twice the data of one in the same time when the server is not the limit.
t0=$(now); adb push "$work/data.bin" /sdcard/one.bin >/dev/null; t1=$(now)
single=$(rate "$size_mib" "$t0" "$t1")
t0=$(now)
adb push "$work/data.bin" /sdcard/p1.bin >/dev/null & a=$!
adb push "$work/data.bin" /sdcard/p2.bin >/dev/null & b=$!
wait $a $b; t1=$(now)
double=$(rate "$((2 * size_mib))" "$t0" "$t1")
echo "server capacity: one push $single MiB/s, two pushes at once $double MiB/s together"
rm -f "$work/phone/sdcard/"p?.bin

declare -A total=()
for r in $(seq 1 "$rounds"); do
    t0=$(now); adb push "$work/data.bin" /sdcard/a.bin >/dev/null; t1=$(now)
    v=$(rate "$size_mib" "$t0" "$t1"); total[adb_push]+=" $v"
    s=$(hemlar_seconds push "$(winpath "$work/data.bin")" /sdcard/h.bin)
    v=$(rate_s "$size_mib" "$s"); total[hemlar_push]+=" $v"
    cmp -s "$work/data.bin" "$work/phone/sdcard/h.bin" || { echo "hemlar push corrupted the data"; exit 1; }
    t0=$(now); adb pull /sdcard/h.bin "$work/back-adb.bin" >/dev/null; t1=$(now)
    v=$(rate "$size_mib" "$t0" "$t1"); total[adb_pull]+=" $v"
    s=$(hemlar_seconds pull /sdcard/a.bin "$(winpath "$work/back-hemlar.bin")")
    v=$(rate_s "$size_mib" "$s"); total[hemlar_pull]+=" $v"
    cmp -s "$work/data.bin" "$work/back-hemlar.bin" || { echo "hemlar pull corrupted the data"; exit 1; }
    rm -f "$work/back-adb.bin" "$work/back-hemlar.bin"
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for op in push pull; do
    a=$(echo "${total[adb_$op]}" | median); h=$(echo "${total[hemlar_$op]}" | median)
    echo "$op MiB/s per round: Debian adb:${total[adb_$op]}  Hemlar:${total[hemlar_$op]}"
    awk -v op="$op" -v a="$a" -v h="$h" 'BEGIN { printf "%s median: Debian adb %.1f MiB/s, Hemlar %.1f MiB/s, ratio %.2f\n", op, a, h, h / a }'
done
rm -f "$work/phone/sdcard/"*.bin

head -c 1073741824 /dev/zero >"$work/big.bin"
HEMLAR_ADB_PEAK=1 hemlar push "$(winpath "$work/big.bin")" /sdcard/big.bin 2>&1 >/dev/null | grep peak |
    sed 's/^/1 GiB push, Hemlar client /'
