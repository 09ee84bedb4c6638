#!/usr/bin/env bash
# Throughput of the UI library's XML reader (against rapidxml on the same
# bytes, in one Windows program under Wine) and of extracting every item of a
# 50 MiB skin archive into memory (against Debian's native `unzip -p`), each
# side timed in every round; prints each round's ratio, their median and the
# machine's load.
#   tools/bench/uilib-foundations.sh [rounds, default 3]
set -euo pipefail
rounds="${1:-3}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build uilib_foundations_bench
bench="$build/bin/uilib_foundations_bench.exe"
run() { "$here/wine-run" --build "$build" "$bench" "$@"; }
bench_scratch foundations-bench
bench_wine_session

run make-xml "$(winepath -w "$work/skin.xml" 2>/dev/null || echo "Z:$work/skin.xml")" $((5 * 1024 * 1024))
run make-zip "Z:$work/skin.zip" $((50 * 1024 * 1024))
echo "inputs: $(stat -c %s "$work/skin.xml") byte XML, $(stat -c %s "$work/skin.zip") byte zip"

field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }
for round in $(seq 1 "$rounds"); do
    xml=$(run xml "Z:$work/skin.xml" | tr -d '\r')
    echo "round $round, XML: $xml"
    bench_record xml "$(echo "$xml" | field ratio)"
    ours=$(run zip "Z:$work/skin.zip" | tr -d '\r')
    unc=$(echo "$ours" | field zip_uncompressed_bytes)
    start=$(now)
    unzip -p "$work/skin.zip" >/dev/null
    unzip_s=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
    unzip_rate=$(awk -v u="$unc" -v s="$unzip_s" 'BEGIN { print u / 1048576 / s }')
    ratio=$(bench_ratio "$(echo "$ours" | field zip_mib_s)" "$unzip_rate")
    printf 'round %d, zip: %s unzip_seconds=%.3f unzip_mib_s=%.1f ratio=%s\n' "$round" "$ours" "$unzip_s" "$unzip_rate" "$ratio"
    bench_record zip "$ratio"
done
echo "== ratios"
bench_summary xml "XML, CMarkup vs rapidxml (target >= 0.5)"
bench_summary zip "zip, every item to memory vs unzip -p (target >= 0.7)"
bench_load_line
