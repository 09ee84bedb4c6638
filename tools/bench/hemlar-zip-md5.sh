#!/usr/bin/env bash
# Throughput of the device bridge's zip reader against Debian's unzip on a
# 200 MiB archive of mixed entries, and of GetFileMD5 against md5sum on a
# 1 GiB file. Runs the test build under Wine; prints each round's ratio
# (the Debian tool's time over ours: above 1 means faster), their median and
# the machine's load.
#   tools/bench/hemlar-zip-md5.sh [rounds, default 3]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bench-session.sh"
rounds="${1:-3}"

bench_build hemlar_zip_md5_bench
bench="$build/bin/hemlar_zip_md5_bench.exe"
bench_scratch hemlar-bench
bench_wine_session
mib_per_s() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }

echo "Preparing a mixed archive (incompressible, text-like and many small entries)..."
mkdir -p "$work/src/random" "$work/src/text" "$work/src/small"
for i in $(seq 1 60); do head -c 2M /dev/urandom >"$work/src/random/blob$i.bin"; done
for i in $(seq 1 50); do head -c 1536K /dev/urandom | base64 >"$work/src/text/log$i.txt"; done
# Small entries sit in folders of 50, as in a ROM's system tree. (Under Wine
# every new file name costs a scan of its folder, so thousands of files in
# one folder measure Wine's file creation rather than the reader.)
for i in $(seq 1 3000); do
    mkdir -p "$work/src/small/d$((i / 50))"
    head -c 3300 /dev/urandom | od -An -tx1 >"$work/src/small/d$((i / 50))/f$i.txt"
done
(cd "$work/src" && zip -q -r "$work/mixed.zip" .)
archive_bytes=$(stat -c %s "$work/mixed.zip")
content_bytes=$(du -sb "$work/src" | cut -f1)
echo "archive: $((archive_bytes / 1048576)) MiB, content: $((content_bytes / 1048576)) MiB, $(unzip -Z1 "$work/mixed.zip" | wc -l) entries"

unzip_total=0 ours_total=0
for r in $(seq 1 "$rounds"); do
    rm -rf "$work/out-unzip" "$work/out-ours"
    mkdir -p "$work/out-unzip" "$work/out-ours"
    t0=$(now); unzip -q -o "$work/mixed.zip" -d "$work/out-unzip"; t1=$(now)
    "$WINE_LOADER" "$bench" unzip "$(winpath "$work/mixed.zip")" "$(winpath "$work/out-ours")" >"$work/ours.txt"
    t2=$(now)
    unzip_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    ours_s=$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')
    echo "round $r: unzip ${unzip_s}s, Hemlar reader ${ours_s}s wall ($(grep seconds "$work/ours.txt" | cut -d' ' -f2)s inside Wine; $(grep entries "$work/ours.txt")), ratio $(bench_ratio "$unzip_s" "$ours_s")"
    bench_record zip "$(bench_ratio "$unzip_s" "$ours_s")"
    unzip_total=$(awk -v a="$unzip_total" -v b="$unzip_s" 'BEGIN { print a + b }')
    ours_total=$(awk -v a="$ours_total" -v b="$ours_s" 'BEGIN { print a + b }')
done
diff -r -q "$work/out-unzip" "$work/out-ours" >/dev/null && echo "extracted trees are identical" || echo "EXTRACTED TREES DIFFER"
echo "zip extraction: unzip $(mib_per_s "$((archive_bytes * rounds))" "$unzip_total") MiB/s, Hemlar reader $(mib_per_s "$((archive_bytes * rounds))" "$ours_total") MiB/s (archive bytes), ratio $(awk -v u="$unzip_total" -v o="$ours_total" 'BEGIN { printf "%.2f", u / o }')"
rm -rf "$work/src" "$work/out-unzip" "$work/out-ours"

echo "Preparing a 1 GiB file..."
head -c 1G /dev/urandom >"$work/big.bin"
md5sum_total=0 ours_total=0
for r in $(seq 1 "$rounds"); do
    t0=$(now); expected=$(md5sum "$work/big.bin" | cut -d' ' -f1); t1=$(now)
    "$WINE_LOADER" "$bench" md5 "$(winpath "$work/big.bin")" >"$work/ours.txt"
    t2=$(now)
    got=$(grep md5 "$work/ours.txt" | cut -d' ' -f2 | tr -d '\r')
    [ "$got" = "$expected" ] || echo "DIGESTS DIFFER: $got vs $expected"
    md5sum_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    ours_s=$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')
    echo "round $r: md5sum ${md5sum_s}s, GetFileMD5 ${ours_s}s wall ($(grep seconds "$work/ours.txt" | cut -d' ' -f2)s inside Wine), ratio $(bench_ratio "$md5sum_s" "$ours_s")"
    bench_record md5 "$(bench_ratio "$md5sum_s" "$ours_s")"
    md5sum_total=$(awk -v a="$md5sum_total" -v b="$md5sum_s" 'BEGIN { print a + b }')
    ours_total=$(awk -v a="$ours_total" -v b="$ours_s" 'BEGIN { print a + b }')
done
echo "file MD5: md5sum $(mib_per_s "$((1073741824 * rounds))" "$md5sum_total") MiB/s, GetFileMD5 $(mib_per_s "$((1073741824 * rounds))" "$ours_total") MiB/s, ratio $(awk -v m="$md5sum_total" -v o="$ours_total" 'BEGIN { printf "%.2f", m / o }')"
echo "== ratios (the Debian tool's time over ours)"
bench_summary zip "zip extraction, Hemlar reader vs unzip"
bench_summary md5 "file MD5, GetFileMD5 vs md5sum"
bench_load_line
