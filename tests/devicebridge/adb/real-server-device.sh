#!/usr/bin/env bash
# Hemlar's adb client through Debian's real adb server, with the scripted
# device attached over loopback: files of every size around the protocol's
# 64 KiB chunk cross both ways intact (the device refuses larger chunks),
# and shell, install and failures read as they do with a real phone.
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

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
