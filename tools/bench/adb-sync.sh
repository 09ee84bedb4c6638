#!/usr/bin/env bash
# Push and pull throughput of Hemlar's adb client against Debian's adb client,
# both through Debian's real adb server with the scripted device attached
# over loopback, alternating; the device's own capacity; the client's peak
# memory on a 1 GiB push. Prints the figures; run after tools/build.sh.
#   tools/bench/adb-sync.sh [MiB per transfer, default 256] [rounds, default 3]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
. "$here/adb-device-session.sh"
bench_enter_netns "$@"
bench_scratch adb-bench 4
bench_wine_session
bench_on_exit adb_device_stop
adb_device_start "$build" "$work"

size_mib="${1:-256}"
rounds="${2:-3}"
phone="$work/phone/sdcard"
hemlar() { "$here/wine-run" --build "$build" "$build/bin/hemlar_adb.exe" "$@"; }
# Seconds each client spent on the transfer itself: Debian's adb reports
# them ("... bytes in 1.234s"), Hemlar's console front is asked for them
# (Wine's program start excluded: in the suite the client runs inside an
# already started program).
adb_seconds() { adb "$@" 2>&1 | sed -n 's/.* bytes in \([0-9.]*\)s).*/\1/p'; }
hemlar_seconds() { HEMLAR_ADB_TIME=1 hemlar "$@" 2>&1 >/dev/null | awk '/command seconds:/ {print $3}'; }
rate() { awk -v mib="$1" -v s="$2" 'BEGIN { printf "%.1f", mib / s }'; }
# CPU seconds (user + system) the scripted device has used so far.
device_cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$ADB_DEVICE_PID/stat"; }

head -c "$((size_mib * 1048576))" /dev/urandom >"$work/data.bin"
echo "transfer size: $size_mib MiB, $rounds rounds, alternating clients, Debian's adb server, files in $scratch"

# The device must not be what limits the comparison: the CPU time it spends
# on a push and a pull gives its own ceiling (it waits on the server the
# rest of the time).
c0=$(device_cpu); t0=$(now)
adb push "$work/data.bin" /sdcard/one.bin >/dev/null
adb pull /sdcard/one.bin "$work/one-back.bin" >/dev/null
adb push "$work/data.bin" /sdcard/one.bin >/dev/null
adb pull /sdcard/one.bin "$work/one-back.bin" >/dev/null
t1=$(now); c1=$(device_cpu)
echo "scripted device alone: $(rate "$((4 * size_mib))" "$(awk -v a="$c0" -v b="$c1" 'BEGIN { print b - a }')") MiB per CPU second" \
    "(two pushes and two pulls of $size_mib MiB; Debian's client moved $(rate "$((4 * size_mib))" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')") MiB/s)"
rm -f "$phone"/*.bin "$work/one-back.bin"

declare -A total=()
for r in $(seq 1 "$rounds"); do
    s=$(adb_seconds push "$work/data.bin" /sdcard/a.bin); total[adb_push]+=" $(rate "$size_mib" "$s")"
    s=$(hemlar_seconds push "$(winpath "$work/data.bin")" /sdcard/h.bin); total[hemlar_push]+=" $(rate "$size_mib" "$s")"
    cmp -s "$work/data.bin" "$phone/h.bin" || { echo "hemlar push corrupted the data"; exit 1; }
    s=$(adb_seconds pull /sdcard/h.bin "$work/back-adb.bin"); total[adb_pull]+=" $(rate "$size_mib" "$s")"
    s=$(hemlar_seconds pull /sdcard/a.bin "$(winpath "$work/back-hemlar.bin")"); total[hemlar_pull]+=" $(rate "$size_mib" "$s")"
    cmp -s "$work/data.bin" "$work/back-hemlar.bin" || { echo "hemlar pull corrupted the data"; exit 1; }
    rm -f "$work/back-adb.bin" "$work/back-hemlar.bin"
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for op in push pull; do
    a=$(echo "${total[adb_$op]}" | median); h=$(echo "${total[hemlar_$op]}" | median)
    echo "$op MiB/s per round: Debian adb:${total[adb_$op]}  Hemlar:${total[hemlar_$op]}"
    awk -v op="$op" -v a="$a" -v h="$h" 'BEGIN { printf "%s median: Debian adb %.1f MiB/s, Hemlar %.1f MiB/s, ratio %.2f\n", op, a, h, h / a }'
done
rm -f "$phone"/*.bin

head -c 1073741824 /dev/zero >"$work/big.bin"
HEMLAR_ADB_PEAK=1 hemlar push "$(winpath "$work/big.bin")" /sdcard/big.bin 2>&1 >/dev/null | grep peak |
    sed 's/^/1 GiB push, Hemlar client /'
