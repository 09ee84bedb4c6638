#!/usr/bin/env bash
# Keeps the stand-in adb server honest: Debian's own adb client and Hemlar's
# in-process client talk to the same server and must see the same phone.
#   debian-adb-crosscheck.sh <build dir>
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
port=5037
work="$(mktemp -d)"
peer_pid=
# Naming the server by address keeps Debian's adb from starting a server of
# its own when the stand-in is not there (it does that for "localhost" only):
# a lost stand-in fails the check at once instead of hanging on that server.
adb() { command adb -H 127.0.0.1 "$@"; }
cleanup() {
    adb -P "$port" kill-server >/dev/null 2>&1 || true
    [ -n "$peer_pid" ] && wait "$peer_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

. "$root/tests/support/checks.sh"
wine_run() { "$root/tools/wine-run" --build "$build" "$@"; }
hemlar() { wine_run "$build/bin/hemlar_adb.exe" "$@"; }

mkdir -p "$work/phone/sdcard" "$work/home"
printf 'state=device\nserial=HEMLAR0001\nprop.ro.product.model=MI 3\nprop.ro.product.brand=Xiaomi\n' >"$work/scenario.txt"
export HOME="$work/home"
export ADB_PEER_PHONE="$(winpath "$work/phone")"
export ADB_PEER_SCENARIO="$(winpath "$work/scenario.txt")"
export ADB_PEER_LOG="$(winpath "$work/requests.log")"
export ADB_PEER_PORT="$port"

wine_run "$build/bin/adb_server_peer.exe" >"$work/peer.out" 2>&1 &
peer_pid=$!
for _ in $(seq 1 400); do
    grep -q OK "$work/peer.out" 2>/dev/null && break
    sleep 0.05
done
# Without the stand-in listening, adb would start a server of its own.
grep -q OK "$work/peer.out" || { echo "the stand-in adb server did not start"; cat "$work/peer.out"; exit 1; }

adb_() { adb -P "$port" "$@" 2>>"$work/adb.err" || echo "(adb exit $?)" >>"$work/adb.err"; }

check "devices" "$(printf 'List of devices attached\nHEMLAR0001\tdevice\n')" "$(adb_ devices)"
check "devices from hemlar" "$(printf 'List of devices attached \nHEMLAR0001\tdevice')" "$(hemlar devices | tr -d '\r')"
check "get-state" "device" "$(adb_ get-state)"
check "getprop" "MI 3" "$(adb_ shell getprop ro.product.model | tr -d '\r')"
check "getprop from hemlar" "MI 3" "$(hemlar shell getprop ro.product.model | tr -d '\r')"

# Files cross over between the two clients through the phone.
name='中文 файл.bin'
head -c 300000 /dev/urandom >"$work/$name"
adb_ push "$work/$name" "/sdcard/$name" >/dev/null
check "push stored the file" "$(md5sum <"$work/$name")" "$(md5sum <"$work/phone/sdcard/$name")"
hemlar pull "/sdcard/$name" "$(winpath "$work/back-$name")" >/dev/null
check "hemlar pulls what adb pushed" "$(md5sum <"$work/$name")" "$(md5sum <"$work/back-$name")"
head -c 200000 /dev/urandom >"$work/from-hemlar.bin"
hemlar push "$(winpath "$work/from-hemlar.bin")" /sdcard/from-hemlar.bin >/dev/null
adb_ pull /sdcard/from-hemlar.bin "$work/pulled.bin" >/dev/null
check "adb pulls what hemlar pushed" "$(md5sum <"$work/from-hemlar.bin")" "$(md5sum <"$work/pulled.bin")"
adb -P "$port" pull /sdcard/missing.bin "$work/missing.bin" >/dev/null 2>&1 && missing=pulled || missing=refused
check "adb refuses a missing file" refused "$missing"

adb_ forward tcp:10086 tcp:10086
check "adb forward list" "HEMLAR0001 tcp:10086 tcp:10086" "$(adb_ forward --list)"
check "hemlar sees adb's forward" "HEMLAR0001 tcp:10086 tcp:10086" "$(hemlar forward --list | tr -d '\r')"
hemlar forward --remove tcp:10086 >/dev/null
check "adb sees hemlar's removal" "" "$(adb_ forward --list)"

sed -i 's/state=device/state=offline/' "$work/scenario.txt"
check "offline phone: adb" "error: device offline" "$(adb -P "$port" shell getprop ro.product.model 2>&1 | tr -d '\r' | head -1)"
check "offline phone: hemlar" "device offline" "$(hemlar shell getprop ro.product.model | tr -d '\r')"

if [ "$failures" -ne 0 ]; then
    echo "--- requests seen by the server:"; cat "$work/requests.log" || true
    echo "--- adb errors:"; cat "$work/adb.err" || true
    echo "--- the stand-in server's output:"; cat "$work/peer.out" || true
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
