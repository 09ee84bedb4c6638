#!/usr/bin/env bash
# The download database against the sqlite3 command line: what the program
# saves is read back by sqlite3, and what sqlite3 writes is loaded by the
# program.
#   download-db-crosscheck.sh <build dir>
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
tool() { "$root/tools/wine-run" --build "$build" "$build/bin/download_db_tool.exe" "$@"; }
failures=0
check() {  # check <what> <expected> <actual>
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") || true
        failures=$((failures + 1))
    fi
}

# 1. The program saves; sqlite3 reads.
mkdir "$work/saved"
tool save "$(winpath "$work/saved")" || { echo "FAILED: save run"; failures=$((failures + 1)); }
db="$work/saved/Downloader.db"
current="CREATE TABLE Packages (Id VARCHAR, Name VARCHAR, ObjectUrl VARCHAR NOT NULL, PngUrl VARCHAR, Size VARCHAR, Type VARCHAR, Hash VARCHAR, PromptMsg VARCHAR, Err VARCHAR)"
check "table as created" "$current" \
    "$(sqlite3 "$db" "SELECT sql FROM sqlite_master WHERE name='Packages'")"
check "quotes round-trip" \
    "1|it's \"quoted\"|http://h/a'b.zip|msg with 'quotes'; DROP TABLE Packages; --|-1" \
    "$(sqlite3 "$db" "SELECT Id, Name, ObjectUrl, PromptMsg, Err FROM Packages WHERE Id='1'")"
check "Chinese text stored as UTF-8" \
    "刷机包 ROM|http://h/中文.zip|0" \
    "$(sqlite3 "$db" "SELECT Name, ObjectUrl, Err FROM Packages WHERE Id='2'")"
check "259-byte fields whole" \
    "11|259|259|259|259|259|259|259|4" \
    "$(sqlite3 "$db" "SELECT length(Id), length(Name), length(ObjectUrl), length(PngUrl), length(Size), length(Type), length(Hash), length(PromptMsg), Err FROM Packages WHERE Id LIKE 'iii%'")"
check "two tasks without Id stay two rows; the finished one followed its new path" \
    "$(printf '|first|D:\\down\\first.apk|1.00M|3\n|second|http://h/second.apk|1024|-1')" \
    "$(sqlite3 "$db" "SELECT Id, Name, ObjectUrl, Size, Err FROM Packages WHERE Id='' AND Name IN ('first', 'second') ORDER BY Name")"
check "deleted task has no row" "0" "$(sqlite3 "$db" "SELECT count(*) FROM Packages WHERE Name='gone'")"
check "one URL, two Ids: two rows, each updated by its Id" \
    "$(printf '7|ROM|http://h/same.zip|1\n8|App|D:\\down\\App.zip|3')" \
    "$(sqlite3 "$db" "SELECT Id, Name, ObjectUrl, Err FROM Packages WHERE Id IN ('7', '8') ORDER BY Id")"
check "one URL, no Ids: two rows by name" \
    "$(printf '|Port A|http://h/port.zip|-1\n|Port B|http://h/port.zip|1')" \
    "$(sqlite3 "$db" "SELECT Id, Name, ObjectUrl, Err FROM Packages WHERE Name LIKE 'Port %' ORDER BY Name")"
check "row count" "9" "$(sqlite3 "$db" "SELECT count(*) FROM Packages")"

# 2. sqlite3 writes; the program loads, mapping Err.
mkdir "$work/loaded"
sqlite3 "$work/loaded/Downloader.db" <<'SQL'
CREATE TABLE Packages (Id VARCHAR, Name VARCHAR, ObjectUrl VARCHAR PRIMARY KEY NOT NULL, PngUrl VARCHAR, Size VARCHAR, Type VARCHAR, Hash VARCHAR, PromptMsg VARCHAR, Err VARCHAR);
INSERT INTO Packages VALUES ('a', 'waiting', 'http://h/a', '', '1', '0', '', '', '-1');
INSERT INTO Packages VALUES ('b', 'downloading when it crashed', 'http://h/b', '', '1', '0', '', '', '0');
INSERT INTO Packages VALUES ('c', 'paused', 'http://h/c', '', '1', '1', '', '', '1');
INSERT INTO Packages VALUES ('d', 'deleted', 'http://h/d', '', '1', '1', '', '', '2');
INSERT INTO Packages VALUES ('e', '下载完成的 ''包''', 'D:\down\e.zip', '', '1.00M', '2', '', '', '3');
INSERT INTO Packages VALUES ('f', 'failed', 'http://h/f', '', '1', '-1', '', '', '4');
INSERT INTO Packages VALUES ('g', 'five', 'http://h/g', '', '1', '1', '', '', '5');
INSERT INTO Packages VALUES ('h', 'seven', 'http://h/h', '', '1', '1', '', '', '7');
INSERT INTO Packages VALUES ('i', 'not a number', 'http://h/i', '', '1', '1', '', '', 'x');
INSERT INTO Packages VALUES (NULL, NULL, 'http://h/j', NULL, NULL, NULL, NULL, NULL, '1');
SQL
expected="$(printf '%s\n' \
    'a|waiting|http://h/a|0|1' \
    'b|downloading when it crashed|http://h/b|0|1' \
    'c|paused|http://h/c|1|1' \
    "e|下载完成的 '包'|D:\\down\\e.zip|2|3" \
    'f|failed|http://h/f|-1|4' \
    '||http://h/j||1')"
check "load maps Err and reads NULL as empty" "$expected" "$(tool load "$(winpath "$work/loaded")")"

# 3. A database of an earlier build (ObjectUrl its primary key) keeps every
#    row, and from then on takes two packages of one URL.
check "the earlier table is rebuilt as the current one" "$current" \
    "$(sqlite3 "$work/loaded/Downloader.db" "SELECT sql FROM sqlite_master WHERE name='Packages'")"
check "every row kept" "10" "$(sqlite3 "$work/loaded/Downloader.db" "SELECT count(*) FROM Packages")"
tool save "$(winpath "$work/loaded")" || { echo "FAILED: save into the rebuilt table"; failures=$((failures + 1)); }
check "two packages of one URL in the rebuilt table" "2" \
    "$(sqlite3 "$work/loaded/Downloader.db" "SELECT count(*) FROM Packages WHERE ObjectUrl='http://h/same.zip' OR Name IN ('App')")"
check "earlier rows still there" "10" \
    "$(sqlite3 "$work/loaded/Downloader.db" "SELECT count(*) FROM Packages WHERE ObjectUrl LIKE 'http://h/_' OR Id='e'")"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
