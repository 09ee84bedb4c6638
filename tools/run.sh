#!/usr/bin/env bash
# Installs, builds and starts the main program under Wine. Until the main
# program exists it lists what was built.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/paths.sh"

bash "$here/build.sh"
# The 32-bit build runs where the machine can execute 32-bit code; elsewhere
# the 64-bit build of the same sources does.
bin="$TEST_BUILD_DIR/bin"
. "$here/wine-session.sh"
TORVANIK_KEEP_DISPLAY=1
trap 'wine_session_stop "$TEST_BUILD_DIR"' EXIT
wine_session_start "$TEST_BUILD_DIR"
if [ -f "$bin/Torvanik.exe" ]; then
    echo "Starting Torvanik.exe on display $DISPLAY"
    cd "$bin" && "$here/wine-run" --build "$TEST_BUILD_DIR" Torvanik.exe
else
    echo "Torvanik.exe is not built yet. The 32-bit deliverables built so far, in $BUILD_DIR/bin:"
    (cd "$BUILD_DIR/bin" && ls -1 ./*.dll 2>/dev/null | sed 's|^\./|  |')
    echo "Starting the skinned-window demo instead, on display $DISPLAY (close it to end)"
    cd "$bin" && "$here/wine-run" --build "$TEST_BUILD_DIR" skindemo.exe
fi
