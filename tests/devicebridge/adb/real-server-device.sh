#!/usr/bin/env bash
# Hemlar's adb client through Debian's real adb server, with the scripted
# device attached over loopback: files of every size around the protocol's
# 64 KiB chunk cross both ways intact (the device refuses larger chunks),
# and shell, install and failures read as they do with a real phone; the
# phone exports read its texts and wait for a slow install.
#   real-server-device.sh <build dir>
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
. "$root/tools/paths.sh"
. "$root/tools/adb-device-session.sh"
work="$(mktemp -d)"
cleanup() {
    adb_device_stop
    rm -rf "$work"
}
trap cleanup EXIT
adb_device_start "$build" "$work"
phone="$work/phone"

. "$root/tests/support/checks.sh"
hemlar() { "$root/tools/wine-run" --build "$build" "$build/bin/hemlar_adb.exe" "$@" | tr -d '\r'; }
digest() { md5sum <"$1" 2>/dev/null | cut -d' ' -f1 || echo missing; }

check "device list" "$(printf 'List of devices attached \n%s\tdevice' "$ADB_DEVICE_SERIAL")" "$(hemlar devices)"
check "shell through the server" "MI 3" "$(hemlar shell getprop ro.product.model)"

# Sizes around a chunk, around a 256 KiB send and a file far larger than any buffer.
for size in 0 1 65535 65536 65537 262143 262144 262152 $((5 * 1048576 + 3)); do
    head -c "$size" /dev/urandom >"$work/up-$size.bin"
    hemlar push "$(winpath "$work/up-$size.bin")" "/sdcard/up-$size.bin" >/dev/null
    check "push of $size bytes" "$(digest "$work/up-$size.bin")" "$(digest "$phone/sdcard/up-$size.bin")"
    hemlar pull "/sdcard/up-$size.bin" "$(winpath "$work/down-$size.bin")" >/dev/null
    check "pull of $size bytes" "$(digest "$work/up-$size.bin")" "$(digest "$work/down-$size.bin")"
done

name='中文 файл.bin'
head -c 300000 /dev/urandom >"$work/$name"
hemlar push "$(winpath "$work/$name")" "/sdcard/$name" >/dev/null
check "push of a name outside the ANSI code page" "$(digest "$work/$name")" "$(digest "$phone/sdcard/$name")"
adb pull "/sdcard/$name" "$work/adb-$name" >/dev/null 2>&1
check "Debian's adb pulls what Hemlar pushed" "$(digest "$work/$name")" "$(digest "$work/adb-$name")"

hemlar pull /sdcard/missing.bin "$(winpath "$work/missing.bin")" >/dev/null
check "pull of a missing file leaves nothing" "no" "$([ -e "$work/missing.bin" ] && echo yes || echo no)"

printf 'PK\003\004 an apk' >"$work/app.apk"
check "install" "Success" "$(hemlar install -r "$(winpath "$work/app.apk")")"
check "install removes the phone copy" "" "$(ls "$phone/data/local/tmp" 2>/dev/null)"
printf 'not a zip' >"$work/bad.apk"
check "install of a broken APK" "Failure [INSTALL_FAILED_INVALID_APK]" "$(hemlar install "$(winpath "$work/bad.apk")")"

# The phone's text is UTF-8: the DLL hands it to its callers unchanged,
# whatever the PC's code page.
export_call() {
    rm -f "$work/call.out"
    # A call that hangs fails its check instead of holding the whole test.
    timeout 150 "$root/tools/wine-run" --build "$build" "$build/bin/hemlar_export_call.exe" "$(winpath "$work/call.out")" "$@" \
        >/dev/null || true
    cat "$work/call.out" 2>/dev/null
}
adb shell setprop ro.product.model "'红米 Note&3'" >/dev/null
adb shell setprop ro.product.brand 小米 >/dev/null
check "model outside ASCII" "$(printf '1\n红米 Note&3')" "$(export_call GetPhoneVersion)"
check "brand outside ASCII" "$(printf '1\n小米')" "$(export_call GetPhoneBrand)"

# A phone that stays silent while it optimises a large app: the bound on the
# server's answers (2 s here, a setting) does not cut the install short.
adb shell setprop test.pm.install_delay_ms 6000 >/dev/null
started=$(date +%s)
check "install answered after 6 s, bound 2 s" "Success" \
    "$(HEMLAR_ADB_REPLY_TIMEOUT_MS=2000 hemlar install -r "$(winpath "$work/app.apk")")"
check "the install waited for the phone" yes "$([ $(($(date +%s) - started)) -ge 6 ] && echo yes || echo no)"
# The same through the DLL with its own bound, as the main program installs.
adb shell setprop test.pm.install_delay_ms 40000 >/dev/null
check "InstallAndroidApp answered after 40 s" "1" "$(export_call InstallAndroidApp "$(winpath "$work/app.apk")")"

# A connection that dies while the phone is silent (the phone unplugged: the
# server drops its streams) still ends the wait. Last: the phone is gone.
adb shell setprop test.pm.install_delay_ms 120000 >/dev/null
started=$(date +%s)
HEMLAR_ADB_REPLY_TIMEOUT_MS=2000 timeout 90 "$root/tools/wine-run" --build "$build" "$build/bin/hemlar_adb.exe" \
    install -r "$(winpath "$work/app.apk")" >"$work/cut.out" &
hemlar_pid=$!
sleep 4
kill "$ADB_DEVICE_PID"
wait "$hemlar_pid" || true
check "install on a dead connection" "" "$(cat "$work/cut.out")"
check "a dead connection ends the wait" yes "$([ $(($(date +%s) - started)) -lt 60 ] && echo yes || echo no)"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
