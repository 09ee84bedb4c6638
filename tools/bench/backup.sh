#!/usr/bin/env bash
# Backup and restore of a large phone data set (10,000 contacts, 50,000
# messages, 20,000 call records) by the real Torvanik.exe, wall time of
# each, against Debian's adb pulling and pushing the same three files
# through the same adb server (Debian's, with the scripted device attached)
# in the same run. Prints the times and the ratios (Debian's time over
# Torvanik's: 1.0 is as fast as a bare adb transfer).
#   tools/bench/backup.sh [contacts messages calls]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
. "$here/adb-device-session.sh"
bench_enter_netns "$@"
bench_scratch backup-bench 2
bench_wine_session
bench_on_exit adb_device_stop
adb_device_start "$build" "$work"
mkdir -p "$work/run"

counts=("${@:-10000 50000 20000}")
out="$("$here/wine-run" --build "$build" "$build/bin/backup_bench.exe" "$(winpath "$work/phone")" \
    "$(winpath "$work/run")" ${counts[*]} 2>/dev/null | tr -d '\r')"
echo "$out" | grep -q '^restore_ms' || { echo "the Torvanik run failed:"; echo "$out"; exit 1; }
stamp=$(echo "$out" | awk '$1 == "stamp" {print $2}')
torvanik_backup=$(echo "$out" | awk '$1 == "backup_ms" {print $2}')
torvanik_restore=$(echo "$out" | awk '$1 == "restore_ms" {print $2}')
phone_backup=$(echo "$out" | awk '$1 == "backup_phone_ms" {print $2}')
phone_restore=$(echo "$out" | awk '$1 == "restore_phone_ms" {print $2}')
folder=/storage/emulated/0/doruvadedi
sizes=$(for e in vcf xml vcl; do stat -c %s "$work/phone$folder/$stamp.$e"; done | paste -sd+ | bc)

# Debian's adb: the same three files, pulled, then pushed into the restore folder.
mkdir -p "$work/adb"
t0=$(now)
for e in vcf xml vcl; do adb pull "$folder/$stamp.$e" "$work/adb/$stamp.$e" >/dev/null 2>&1; done
t1=$(now)
for e in vcf xml vcl; do adb push "$work/adb/$stamp.$e" "$folder/restore/$stamp.$e" >/dev/null 2>&1; done
t2=$(now)
for e in vcf xml vcl; do cmp -s "$work/adb/$stamp.$e" "$work/phone$folder/$stamp.$e" || { echo "adb pull differs"; exit 1; }; done
adb_pull=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
adb_push=$(awk -v a="$t1" -v b="$t2" 'BEGIN { printf "%.0f", (b - a) * 1000 }')

echo "data set: ${counts[*]} (contacts messages calls), three files, $sizes bytes"
ratio() { awk -v a="$1" -v t="$2" 'BEGIN { printf "%.2f", a / t }'; }
echo "backup:  Torvanik ${torvanik_backup} ms (request, phone writes, three pulls; the stand-in phone's own work" \
    "${phone_backup} ms), Debian adb pull ${adb_pull} ms, ratio $(ratio "$adb_pull" "$torvanik_backup")," \
    "without the phone's work $(ratio "$adb_pull" "$((torvanik_backup - phone_backup))")"
echo "restore: Torvanik ${torvanik_restore} ms (folder request, three pushes, restore request and replies; the" \
    "stand-in phone's own work ${phone_restore} ms), Debian adb push ${adb_push} ms, ratio $(ratio "$adb_push" "$torvanik_restore")," \
    "without the phone's work $(ratio "$adb_push" "$((torvanik_restore - phone_restore))")"
