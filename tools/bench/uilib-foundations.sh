#!/usr/bin/env bash
# Throughput of the UI library's XML reader (against rapidxml on the same
# bytes, in one Windows program under Wine) and of extracting every item of a
# 50 MiB skin archive into memory (against Debian's native `unzip -p`).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/bench/bench-session.sh"
bench_build
bench="$build/bin/uilib_foundations_bench.exe"
run() { "$here/wine-run" --build "$build" "$bench" "$@"; }
bench_scratch foundations-bench
bench_wine_session

run make-xml "$(winepath -w "$work/skin.xml" 2>/dev/null || echo "Z:$work/skin.xml")" $((5 * 1024 * 1024))
run make-zip "Z:$work/skin.zip" $((50 * 1024 * 1024))
echo "inputs: $(stat -c %s "$work/skin.xml") byte XML, $(stat -c %s "$work/skin.zip") byte zip"

echo "== XML: CMarkup vs rapidxml (target: ratio >= 0.5)"
run xml "Z:$work/skin.xml"

echo "== zip: every item to memory (target: >= 0.7 of unzip -p)"
ours=$(run zip "Z:$work/skin.zip")
echo "$ours"
unc=$(echo "$ours" | sed -n 's/.*zip_uncompressed_bytes=\([0-9]*\).*/\1/p')
best=""
for _ in 1 2 3; do
    start=$(date +%s.%N)
    unzip -p "$work/skin.zip" >/dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
done
ours_rate=$(echo "$ours" | sed -n 's/.*zip_mib_s=\([0-9.]*\).*/\1/p')
unzip_rate=$(echo "$unc / 1048576 / $best" | bc -l)
printf 'unzip_seconds=%.3f unzip_mib_s=%.1f ratio=%.2f\n' "$best" "$unzip_rate" "$(echo "$ours_rate / $unzip_rate" | bc -l)"
