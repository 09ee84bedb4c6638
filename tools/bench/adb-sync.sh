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

# The machine's load while the rounds ran: the load average at both ends
# and the share of every CPU that was busy (from /proc/stat), so a figure
# taken on a busy shared machine shows as such.
cpu_ticks() { awk '/^cpu / { busy = $2 + $3 + $4 + $7 + $8; print busy, busy + $5 + $6 }' /proc/stat; }
load_start=$(cut -d' ' -f1-3 /proc/loadavg); ticks_start=$(cpu_ticks)

# Each round runs the same transfer with both clients back to back (the
# order alternating between rounds), and the ratio is taken within the round,
# so both sides of a ratio saw the same machine.
declare -A rates=() ratios=()
for r in $(seq 1 "$rounds"); do
    for op in push pull; do
        clients="adb hemlar"; [ $((r % 2)) -eq 0 ] && clients="hemlar adb"
        for client in $clients; do
            case "$client-$op" in
            adb-push) s=$(adb_seconds push "$work/data.bin" /sdcard/a.bin) || s= ;;
            hemlar-push)
                s=$(hemlar_seconds push "$(winpath "$work/data.bin")" /sdcard/h.bin) || s=
                cmp -s "$work/data.bin" "$phone/h.bin" || { echo "hemlar push corrupted the data"; exit 1; } ;;
            adb-pull) s=$(adb_seconds pull /sdcard/h.bin "$work/back-adb.bin") || s= ;;
            hemlar-pull)
                s=$(hemlar_seconds pull /sdcard/a.bin "$(winpath "$work/back-hemlar.bin")") || s=
                cmp -s "$work/data.bin" "$work/back-hemlar.bin" || { echo "hemlar pull corrupted the data"; exit 1; } ;;
            esac
            # A client that failed says so instead of ending the script unexplained.
            [ -n "$s" ] || { echo "round $r: $client $op failed"; exit 1; }
            rates[$client-$op-$r]=$(rate "$size_mib" "$s")
        done
        rm -f "$work/back-adb.bin" "$work/back-hemlar.bin"
        ratios[$op]+=" $(awk -v h="${rates[hemlar-$op-$r]}" -v a="${rates[adb-$op-$r]}" 'BEGIN { printf "%.2f", h / a }')"
    done
done
ticks_end=$(cpu_ticks)
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for op in push pull; do
    line=""; a_all=""; h_all=""
    for r in $(seq 1 "$rounds"); do
        line+=" ${rates[hemlar-$op-$r]}/${rates[adb-$op-$r]}"
        a_all+=" ${rates[adb-$op-$r]}"; h_all+=" ${rates[hemlar-$op-$r]}"
    done
    echo "$op per round, Hemlar/Debian adb MiB/s:$line"
    echo "$op ratio per round:${ratios[$op]}"
    echo "$op median: Debian adb $(echo "$a_all" | median) MiB/s, Hemlar $(echo "$h_all" | median) MiB/s," \
        "ratio median $(echo "${ratios[$op]}" | median), min $(echo "${ratios[$op]}" | tr ' ' '\n' | grep . | sort -g | head -1)"
done
read -r b0 t0 <<<"$ticks_start"; read -r b1 t1 <<<"$ticks_end"
echo "machine load during the rounds: $(nproc) CPUs, $(awk -v b="$((b1 - b0))" -v t="$((t1 - t0))" 'BEGIN { printf "%.0f", 100 * b / t }')% busy;" \
    "load average $load_start at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end"
rm -f "$phone"/*.bin

head -c 1073741824 /dev/zero >"$work/big.bin"
HEMLAR_ADB_PEAK=1 hemlar push "$(winpath "$work/big.bin")" /sdcard/big.bin 2>&1 >/dev/null | grep peak |
    sed 's/^/1 GiB push, Hemlar client /'
