#!/usr/bin/env bash
# Inserts and reads per second through Ostrune over the SQLCipher DLL, keyed
# and plain, against Debian's sqlcipher and sqlite3 command lines running the
# same statements in one transaction. Runs the test build under Wine.
#   tools/bench/ostrune.sh [rows]   (default 100000)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bench-session.sh"
rows="${1:-100000}"
key=s3cret

bench_build ostrune_bench
bench="$build/bin/ostrune_bench.exe"
bench_scratch ostrune-bench
bench_wine_session
rate() { awk -v n="$1" -v a="$2" -v b="$3" 'BEGIN { printf "%.0f", n / (b - a) }'; }

# The statements ostrune_bench runs, for the command lines.
{
    echo "BEGIN; CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, size INTEGER);"
    awk -v n="$rows" 'BEGIN { for (i = 0; i < n; i++) printf "INSERT INTO t(name, size) VALUES(%cpackage-%d.zip%c, %d);\n", 39, i, 39, i * 7 }'
    echo "COMMIT;"
} >"$work/inserts.sql"

# cli <program> <database> <key or empty>: prints "inserts/s reads/s".
cli() {
    local program="$1" db="$2" pragma=""
    [ -n "$3" ] && pragma="PRAGMA key='$3';"
    rm -f "$db"
    local t0 t1 t2
    t0=$(now)
    { echo "$pragma"; cat "$work/inserts.sql"; } | "$program" "$db" >/dev/null
    t1=$(now)
    local read
    read=$({ echo "$pragma"; echo "SELECT id, name, size FROM t;"; } | "$program" "$db" | wc -l)
    t2=$(now)
    [ "$read" -eq "$rows" ] || echo "WARNING: $program read $read rows" >&2
    echo "$(rate "$rows" "$t0" "$t1") $(rate "$rows" "$t1" "$t2")"
}

ours() {
    "$WINE_LOADER" "$bench" "$(winpath "$work/ours.db")" "$rows" ${1:+"$1"} | tr -d '\r' >"$work/ours.txt"
    echo "$(awk '/inserts_per_s/ {print $2}' "$work/ours.txt") $(awk '/reads_per_s/ {print $2}' "$work/ours.txt")"
}

report() {
    local label="$1" theirs="$2" mine="$3" tool="$4"
    read -r ti tr <<<"$theirs"
    read -r oi or <<<"$mine"
    echo "$label: $tool ${ti} inserts/s ${tr} reads/s; Ostrune ${oi} inserts/s ${or} reads/s;" \
        "ratios inserts $(awk -v o="$oi" -v t="$ti" 'BEGIN { printf "%.2f", o / t }')" \
        "reads $(awk -v o="$or" -v t="$tr" 'BEGIN { printf "%.2f", o / t }')"
}

echo "$rows rows, one transaction"
report "keyed" "$(cli sqlcipher "$work/cli.db" "$key")" "$(ours "$key")" sqlcipher
report "plain" "$(cli sqlite3 "$work/cli.db" "")" "$(ours)" sqlite3
