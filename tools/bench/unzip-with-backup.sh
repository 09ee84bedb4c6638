#!/usr/bin/env bash
# UnzipWithBackup (under Wine) against Debian's `unzip -o` on the same
# archives in the same run: one 1 GiB entry, and 5,000 small files. Both
# extract into fresh folders. Prints the times and the ratios (unzip's time
# over ours: above 1 means faster than unzip).
#   tools/bench/unzip-with-backup.sh
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bench-session.sh"

bench_build unzip_bench
bench="$build/bin/unzip_bench.exe"
bench_scratch unzip-bench
bench_wine_session
# The program wants its folders with a trailing backslash.
folder() { printf '%s\\' "$(winpath "$1")"; }

# compare <label> <archive>
compare() {
    local label="$1" archive="$2"
    rm -rf "$work/out-unzip" "$work/out-ours" "$work/backup"
    mkdir -p "$work/out-unzip" "$work/out-ours"
    local t0 t1 t2
    t0=$(now); unzip -q -o "$archive" -d "$work/out-unzip"; t1=$(now)
    "$WINE_LOADER" "$bench" "$(winpath "$archive")" "$(folder "$work/out-ours")" "$(folder "$work/backup")" \
        | tr -d '\r' >"$work/ours.txt"
    t2=$(now)
    grep -q 'result ok' "$work/ours.txt" || echo "UnzipWithBackup FAILED"
    diff -r -q "$work/out-unzip" "$work/out-ours" >/dev/null && echo "$label: extracted trees are identical" \
        || echo "$label: EXTRACTED TREES DIFFER"
    awk -v a="$t0" -v b="$t1" -v c="$t2" -v inside="$(awk '/seconds/ {print $2}' "$work/ours.txt")" -v l="$label" \
        'BEGIN { printf "%s: unzip -o %.2fs, UnzipWithBackup %.2fs wall (%.2fs inside Wine), ratio %.2f (%.2f inside)\n",
                 l, b - a, c - b, inside, (b - a) / (c - b), (b - a) / inside }'
    rm -rf "$work/out-unzip" "$work/out-ours"
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
mkdir -p "$work/small"
for i in $(seq 1 5000); do
    mkdir -p "$work/small/d$((i / 50))"
    head -c 2500 /dev/urandom | od -An -tx1 >"$work/small/d$((i / 50))/f$i.txt"
done
(cd "$work/small" && zip -q -r "$work/small.zip" .)
rm -rf "$work/small"
compare "5,000 small files" "$work/small.zip"
