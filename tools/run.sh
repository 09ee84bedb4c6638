#!/usr/bin/env bash
# Installs, builds and starts the main program under Wine, from the
# installation folder the build assembles, together with two simulated peers:
# the maker's web service (a stand-in serving a demo site on 127.0.0.1) and
# the adb server holding a demo phone. Nothing leaves the machine.
#   tools/run.sh                      show the program (close it with its tray menu or Ctrl+C)
#   tools/run.sh --screenshot out.png start on a private display, save a screenshot, end
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/paths.sh"

screenshot=
if [ "${1:-}" = --screenshot ]; then
    screenshot="$(realpath -m "${2:?png file}")"
fi

bash "$here/build.sh"
# The 32-bit build runs where the machine can execute 32-bit code; elsewhere
# the 64-bit build of the same sources does.
bin="$TEST_BUILD_DIR/bin"
installation="$TEST_BUILD_DIR/installation"
. "$here/wine-session.sh"
if [ -z "$screenshot" ]; then
    TORVANIK_KEEP_DISPLAY=1
fi
trap 'wine_session_stop "$TEST_BUILD_DIR"' EXIT
wine_session_start "$TEST_BUILD_DIR"
run() { "$here/wine-run" --build "$TEST_BUILD_DIR" "$@"; }

if [ ! -f "$installation/Torvanik.exe" ]; then
    echo "Torvanik.exe is not built yet; starting the skinned-window demo instead, on display $DISPLAY"
    cd "$bin" && run skindemo.exe
    exit
fi

# The simulated maker's service: API, page and probe host all on one port.
port=8090
export TORVANIK_API_HOST="127.0.0.1:$port" TORVANIK_PAGE_HOST="127.0.0.1:$port" TORVANIK_PROBE_HOST="127.0.0.1:$port"
session="$TEST_BUILD_DIR/run-session"
mkdir -p "$session/phone"
run "$bin/web_service_peer.exe" --port "$port" --site "Z:$TORVANIK_ROOT/tests/peers/webservice/demo" \
    --log "Z:$session/web-requests.log" >"$session/web-service.out" 2>&1 </dev/null &
# The simulated phone: the adb server stand-in with the demo phone's scenario.
export ADB_PEER_PHONE="Z:$session/phone" ADB_PEER_SCENARIO="Z:$TORVANIK_ROOT/tests/peers/adbserver/demo/phone.txt"
export ADB_PEER_LOG="Z:$session/adb-requests.log"
# devcon lists the demo phone's ADB interface, so the phone's USB ids are known.
mkdir -p "$session/tools"
cp "$TORVANIK_ROOT"/tests/peers/tools/demo/*.scenario "$session/tools/"
export TORVANIK_STANDIN_DIR="Z:$session/tools"
(cd "$installation/Rirorivuvi" && run RirorivUvi.exe fork-server server >"$session/adb-server.out" 2>&1 </dev/null &)

echo "Starting Torvanik.exe from $installation on display $DISPLAY"
echo "The phone and the maker's web service are simulated (requests: $session/*.log)"
cd "$installation"
if [ -z "$screenshot" ]; then
    run Torvanik.exe
else
    run Torvanik.exe &
    sleep "${SCREENSHOT_WAIT:-8}"
    xwd -root -display "$DISPLAY" | convert xwd:- -crop 800x600+240+212 "png:$screenshot"
    echo "saved $screenshot"
fi
