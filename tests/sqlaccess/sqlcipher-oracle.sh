#!/usr/bin/env bash
# Judges the databases ostrune_test wrote through Ostrune with Debian's own
# command lines: the keyed one opens in sqlcipher with the same key and is no
# database to sqlite3; the unkeyed one is an ordinary SQLite file.
set -euo pipefail
folder="$1"
status=0
check() {
    local what="$1" expected="$2" actual="$3"
    if [ "$actual" = "$expected" ]; then
        echo "ok: $what"
    else
        printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$what" "$expected" "$actual"
        status=1
    fi
}
rows=$'张三|30\nli|41'
query='SELECT name, age FROM people ORDER BY age;'

check "sqlcipher reads the keyed database with its key" "$rows" \
    "$(printf "PRAGMA key='s3cret';\n%s\n" "$query" | sqlcipher "$folder/keyed.db" 2>&1)"
check "sqlcipher refuses a wrong key" "not a database" \
    "$(printf "PRAGMA key='other';\n%s\n" "$query" | sqlcipher "$folder/keyed.db" 2>&1 | grep -o 'not a database' | head -n 1)"
check "sqlite3 finds no database in the keyed file" "not a database" \
    "$(sqlite3 "$folder/keyed.db" "$query" 2>&1 | grep -o 'not a database' | head -n 1)"
check "sqlite3 reads the unkeyed database" "$rows" "$(sqlite3 "$folder/plain.db" "$query" 2>&1)"
exit "$status"
