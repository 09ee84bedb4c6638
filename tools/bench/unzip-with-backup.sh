#!/usr/bin/env bash
# UnzipWithBackup (under Wine) against Debian's `unzip -o` on the same
# archives in the same run: one 1 GiB entry, and 5,000 small files. Both
# extract into fresh folders, taking turns at going first. Prints each round's
# times and ratio (unzip's time over ours: above 1 means faster than unzip),
# the median ratio, and the machine's load while it ran.
#   tools/bench/unzip-with-backup.sh [rounds, default 3]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bench-session.sh"

bench_build unzip_bench
bench_enter_netns "$@"
rounds="${1:-3}"
bench="$build/bin/unzip_bench.exe"
bench_scratch unzip-bench 4
bench_wine_session
# The program wants its folders with a trailing backslash.
folder() { printf '%s\\' "$(winpath "$1")"; }

run_unzip() { unzip -q -o "$1" -d "$work/out-unzip"; }
run_ours() {
    "$WINE_LOADER" "$bench" "$(winpath "$1")" "$(folder "$work/out-ours")" "$(folder "$work/backup")" \
        | tr -d '\r' >"$work/ours.txt"
}

# compare <label> <archive>: the rounds of one archive, each side timed on its own.
compare() {
    local label="$1" archive="$2" round t0 t1 unzip_s ours_s inside
    for round in $(seq 1 "$rounds"); do
        rm -rf "$work/out-unzip" "$work/out-ours" "$work/backup"
        mkdir -p "$work/out-unzip" "$work/out-ours"
        sync
        for side in $( ((round % 2)) && echo "unzip ours" || echo "ours unzip"); do
            t0=$(now); "run_$side" "$archive"; t1=$(now)
            printf -v "${side}_s" '%s' "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')"
        done
        grep -q 'result ok' "$work/ours.txt" || echo "UnzipWithBackup FAILED"
        diff -r -q "$work/out-unzip" "$work/out-ours" >/dev/null || echo "$label: EXTRACTED TREES DIFFER"
        inside=$(awk '/seconds/ {print $2}' "$work/ours.txt")
        bench_record "$label" "$(bench_ratio "$unzip_s" "$ours_s")"
        bench_record "$label inside" "$(bench_ratio "$unzip_s" "$inside")"
        awk -v r="$round" -v u="$unzip_s" -v o="$ours_s" -v i="$inside" -v l="$label" 'BEGIN {
            printf "%s, round %d: unzip -o %.2fs, UnzipWithBackup %.2fs wall (%.2fs inside Wine), ratio %.2f (%.2f inside)\n",
                   l, r, u, o, i, u / o, u / i }'
    done
    rm -rf "$work/out-unzip" "$work/out-ours" "$work/backup"
    echo "$label: extracted trees compared identical in every round unless said above"
}

echo "Preparing one 1 GiB entry (text-like data) ..."
mkdir -p "$work/big"
head -c 805306368 /dev/urandom | base64 -w 76 >"$work/big/rom.img"
truncate -s 1G "$work/big/rom.img"
(cd "$work/big" && zip -q -1 "$work/big.zip" rom.img)
rm -rf "$work/big"
echo "archive: $(($(stat -c %s "$work/big.zip") / 1048576)) MiB"
compare "1 GiB entry" "$work/big.zip"
rm -f "$work/big.zip"

echo "Preparing 5,000 small files in folders of 50 ..."
# Each file is 2,500 random bytes as an od-style hex dump, made in one process.
python3 - "$work/small" <<'PY'
import os, sys
for i in range(1, 5001):
    folder = os.path.join(sys.argv[1], "d%d" % (i // 50))
    os.makedirs(folder, exist_ok=True)
    data = os.urandom(2500)
    with open(os.path.join(folder, "f%d.txt" % i), "w") as out:
        out.writelines(" " + " ".join("%02x" % b for b in data[at:at + 16]) + "\n" for at in range(0, len(data), 16))
PY
(cd "$work/small" && zip -q -r "$work/small.zip" .)
rm -rf "$work/small"
compare "5,000 small files" "$work/small.zip"

echo "== ratios (unzip's time over ours; aims: 1 GiB entry >= 1.0, 5,000 small files >= 0.5)"
for label in "1 GiB entry" "5,000 small files"; do
    bench_summary "$label" "$label, wall"
    bench_summary "$label inside" "$label, inside Wine"
done
bench_load_line
