#!/usr/bin/env bash
# Inserts and reads through Ostrune over the SQLCipher DLL, keyed and plain,
# against Debian's sqlcipher and sqlite3 command lines doing the same work.
# Each side opens the database, sets the key and creates the table untimed
# (creating it derives the key); then, timed inside its own process (the
# command line's .timer, the driver's clock), it runs the insert text as one
# input (one transaction) and reads every row, printed in list form into a
# file (the two files must be equal). Rounds alternate the sides; each round
# gives the ratios of the
# command line's time to Ostrune's (above 1: Ostrune is faster), and the
# median of the rounds is the figure. Runs the test build under Wine.
#   tools/bench/ostrune.sh [rows, default 100000] [rounds, default 5]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bench-session.sh"
bench_build ostrune_bench
bench_enter_netns "$@"
rows="${1:-100000}"
rounds="${2:-5}"
key=s3cret
bench="$build/bin/ostrune_bench.exe"
bench_scratch ostrune-bench 1
bench_wine_session

load() { echo "load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) CPUs"; }
echo "$rows rows, $rounds rounds; $(load) at the start"

echo "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, size INTEGER);" >"$work/table.sql"
# One line: the command line runs (and times) it as one input, as Ostrune's
# Execute runs the text in one call.
awk -v n="$rows" 'BEGIN {
    printf "BEGIN;"
    for (i = 0; i < n; i++) printf " INSERT INTO t(name, size) VALUES(%cpackage-%d.zip%c, %d);", 39, i, 39, i * 7
    print " COMMIT;" }' >"$work/inserts.sql"

# cli <program> <key or empty>: prints "<insert seconds> <read seconds>".
cli() {
    local program="$1" db="$work/cli.db"
    rm -f "$db"
    {
        [ -z "$2" ] || echo "PRAGMA key='$2';"
        cat "$work/table.sql"
        [ -z "$2" ] || echo "PRAGMA cipher_provider; PRAGMA cipher_provider_version;"
        echo ".timer on"
        cat "$work/inserts.sql"
        echo ".output $work/cli-rows.txt"
        echo "SELECT id, name, size FROM t;"
    } | "$program" "$db" >"$work/cli.txt"
    [ -z "$2" ] || echo "$program provider: $(head -2 "$work/cli.txt" | paste -sd' ')" >>"$work/providers.txt"
    awk '/^Run Time:/ { printf "%s ", $4 } END { print "" }' "$work/cli.txt"
}

# ours <key or empty>: the same, through Ostrune.
ours() {
    "$WINE_LOADER" "$bench" "$(winpath "$work/ours.db")" "$(winpath "$work/table.sql")" \
        "$(winpath "$work/inserts.sql")" ${1:+"$1"} 2>"$work/ours.txt" >"$work/ours-rows.txt"
    tr -d '\r' <"$work/ours.txt" >"$work/ours.clean"
    [ "$(awk '/^rows/ {print $2}' "$work/ours.clean")" = "$rows" ] || echo "WARNING: Ostrune read $(awk '/^rows/ {print $2}' "$work/ours.clean") rows" >&2
    [ -z "$1" ] || echo "Ostrune $(grep '^provider' "$work/ours.clean")" >>"$work/providers.txt"
    cmp -s "$work/ours-rows.txt" "$work/cli-rows.txt" || echo "WARNING: Ostrune printed other rows than the command line" >&2
    echo "$(awk '/^inserts_s/ {print $2}' "$work/ours.clean") $(awk '/^reads_s/ {print $2}' "$work/ours.clean")"
}

ratio() { awk -v theirs="$1" -v mine="$2" 'BEGIN { printf "%.2f", theirs / mine }'; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A ratios
for round in $(seq 1 "$rounds"); do
    line="round $round:"
    for kind in keyed plain; do
        if [ "$kind" = keyed ]; then tool=sqlcipher k="$key"; else tool=sqlite3 k=""; fi
        # Alternate which side goes first, so neither always meets a warmer machine.
        if [ $((round % 2)) -eq 1 ]; then
            read -r ti tr <<<"$(cli "$tool" "$k")"; read -r oi or <<<"$(ours "$k")"
        else
            read -r oi or <<<"$(ours "$k")"; read -r ti tr <<<"$(cli "$tool" "$k")"
        fi
        ri=$(ratio "$ti" "$oi") rr=$(ratio "$tr" "$or")
        ratios[$kind-inserts]+="$ri " ratios[$kind-reads]+="$rr "
        line+=" $kind inserts ${ti}s/${oi}s = $ri, reads ${tr}s/${or}s = $rr;"
    done
    echo "$line"
done
sort -u "$work/providers.txt"
for kind in keyed plain; do
    tool=sqlcipher; [ "$kind" = plain ] && tool=sqlite3
    echo "$kind vs $tool (its time / Ostrune's), median of $rounds rounds:" \
        "inserts $(median <<<"${ratios[$kind-inserts]}") (rounds: ${ratios[$kind-inserts]% })," \
        "reads $(median <<<"${ratios[$kind-reads]}") (rounds: ${ratios[$kind-reads]% })"
done
echo "$(load) at the end"
