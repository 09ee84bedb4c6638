# Starts Debian's real adb server with the scripted device attached over
# loopback, for the benchmark and the tests that compare against it;
# sourced, not run. Needs a private network namespace (fixed port 5037).
#   adb_device_start <build dir> <work dir>   sets ADB_DEVICE_PID, ADB_DEVICE_SERIAL
#   adb_device_stop
# The device keeps its files in <work dir>/phone; the server's keys go to
# <work dir>/home.

adb_device_start() {
    local build="$1" work="$2" device port
    device="$build/host/adb_device"
    bash "$TORVANIK_ROOT/tests/peers/adbdevice/build.sh" "$device"
    mkdir -p "$work/phone/sdcard" "$work/home"
    export HOME="$work/home"
    "$device" --store "$work/phone" --prop ro.product.model="MI 3" --prop ro.product.brand=Xiaomi \
        >"$work/device.out" 2>&1 &
    ADB_DEVICE_PID=$!
    for _ in $(seq 1 100); do grep -q listening "$work/device.out" 2>/dev/null && break; sleep 0.05; done
    port=$(awk '/listening on/ {print $3}' "$work/device.out")
    [ -n "$port" ] || { echo "the scripted device did not start"; return 1; }
    adb start-server >/dev/null 2>&1
    adb connect "127.0.0.1:$port" >/dev/null
    ADB_DEVICE_SERIAL="127.0.0.1:$port"
    for _ in $(seq 1 100); do [ "$(adb get-state 2>/dev/null)" = device ] && return 0; sleep 0.05; done
    echo "the adb server did not attach the scripted device"
    return 1
}

adb_device_stop() {
    adb kill-server >/dev/null 2>&1 || true
    if [ -n "${ADB_DEVICE_PID:-}" ]; then
        kill "$ADB_DEVICE_PID" 2>/dev/null || true
        wait "$ADB_DEVICE_PID" 2>/dev/null || true
    fi
}
