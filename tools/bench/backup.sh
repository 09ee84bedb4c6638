#!/usr/bin/env bash
# Backup and restore of a large phone data set (10,000 contacts, 50,000
# messages, 20,000 call records) by the real Torvanik.exe, wall time of each,
# against Debian's adb moving the same three files through the same adb
# server (Debian's, with the scripted device attached), round after round in
# the same run. The backup is compared with three adb pulls; the restore with
# six adb pushes, each file to the legacy and then to the current storage
# folder, as the restore does. Torvanik's times also hold the stand-in
# phone's own work (writing the backup files, reading the restored ones back),
# which the adb side does not do: it is timed apart and subtracted for the
# like-for-like ratio. Prints every round's times and ratios (Debian's time
# over Torvanik's: 1.0 is as fast as a bare adb transfer), their medians and
# the machine's load while each round ran.
#   tools/bench/backup.sh [rounds] [contacts messages calls]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
. "$here/adb-device-session.sh"
bench_enter_netns "$@"
bench_scratch backup-bench 2
bench_wine_session
bench_on_exit adb_device_stop
adb_device_start "$build" "$work"

rounds=${1:-3}
shift || true
counts=("${@:-10000 50000 20000}")
folder=/storage/emulated/0/doruvadedi
legacy=/storage/emulated/legacy/doruvadedi

ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", (b - a) * 1000 }'; }
ratio() { awk -v a="$1" -v t="$2" 'BEGIN { printf "%.2f", a / t }'; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
load() { cut -d' ' -f1 /proc/loadavg; }

declare -a backup_raw backup_like restore_raw restore_like loads
echo "data set: ${counts[*]} (contacts messages calls); $rounds rounds on $(nproc) CPUs"
printf '%-5s %-31s %-31s %-12s %-12s %s\n' round "backup ms: Torvanik (phone) adb" "restore ms: Torvanik (phone) adb" \
    "backup ratio" "restore ratio" "load 1 min"
for (( round = 1; round <= rounds; round++ )); do
    load_before=$(load)
    rm -rf "$work/run" "$work/adb"
    mkdir -p "$work/run" "$work/adb"
    out="$("$here/wine-run" --build "$build" "$build/bin/backup_bench.exe" "$(winpath "$work/phone")" \
        "$(winpath "$work/run")" ${counts[*]} 2>/dev/null | tr -d '\r')" || true  # a failed run says why below
    echo "$out" | grep -q '^restore_ms' || { echo "the Torvanik run failed:"; echo "$out"; exit 1; }
    stamp=$(echo "$out" | awk '$1 == "stamp" {print $2}')
    t_backup=$(echo "$out" | awk '$1 == "backup_ms" {print $2}')
    t_restore=$(echo "$out" | awk '$1 == "restore_ms" {print $2}')
    p_backup=$(echo "$out" | awk '$1 == "backup_phone_ms" {print $2}')
    p_restore=$(echo "$out" | awk '$1 == "restore_phone_ms" {print $2}')
    t_request=$(echo "$out" | awk '$1 == "backup_request_ms" {print $2}')
    t_first=$(echo "$out" | awk '$1 == "backup_first_item_ms" {print $2}')

    # Debian's adb: the same three files pulled, then each pushed to both folders.
    t0=$(now)
    for e in vcf xml vcl; do adb pull "$folder/$stamp.$e" "$work/adb/$stamp.$e" >/dev/null 2>&1; done
    t1=$(now)
    for e in vcf xml vcl; do
        adb push "$work/adb/$stamp.$e" "$legacy/restore/$stamp.$e" >/dev/null 2>&1
        adb push "$work/adb/$stamp.$e" "$folder/restore/$stamp.$e" >/dev/null 2>&1
    done
    t2=$(now)
    for e in vcf xml vcl; do
        cmp -s "$work/adb/$stamp.$e" "$work/phone$folder/$stamp.$e" || { echo "adb pull differs"; exit 1; }
        cmp -s "$work/adb/$stamp.$e" "$work/phone$legacy/restore/$stamp.$e" || { echo "adb push differs"; exit 1; }
    done
    a_pull=$(ms "$t0" "$t1")
    a_push=$(ms "$t1" "$t2")
    loads+=("$(awk -v a="$load_before" -v b="$(load)" 'BEGIN { printf "%.1f", (a + b) / 2 }')")

    backup_raw+=("$(ratio "$a_pull" "$t_backup")")
    backup_like+=("$(ratio "$a_pull" "$((t_backup - p_backup))")")
    restore_raw+=("$(ratio "$a_push" "$t_restore")")
    restore_like+=("$(ratio "$a_push" "$((t_restore - p_restore))")")
    printf '%-5s %-31s %-31s %-12s %-12s %s\n' "$round" "$t_backup ($p_backup) $a_pull" "$t_restore ($p_restore) $a_push" \
        "${backup_like[-1]} (${backup_raw[-1]})" "${restore_like[-1]} (${restore_raw[-1]})" "${loads[-1]}"
    echo "      Torvanik's backup: request handed on after $t_request ms, first item copied after $t_first ms"
done
echo "ratios are Debian adb's time over Torvanik's without the stand-in phone's work (with it in brackets)"
echo "backup  median $(echo "${backup_like[*]}" | median) ($(echo "${backup_raw[*]}" | median)), per round: ${backup_like[*]}"
echo "restore median $(echo "${restore_like[*]}" | median) ($(echo "${restore_raw[*]}" | median)), per round: ${restore_like[*]}"
echo "load while it ran (1-minute average, per round): ${loads[*]}"
