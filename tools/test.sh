#!/usr/bin/env bash
# Installs, builds and runs every test under Wine, in a private network
# namespace (only loopback exists there, and fixed ports such as adb's 5037
# cannot clash with anything else on the machine). Arguments go to CTest.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/paths.sh"

if [ -z "${TORVANIK_IN_NETNS:-}" ]; then
    bash "$here/build.sh"
    exec unshare --net env TORVANIK_IN_NETNS=1 bash "$0" "$@"
fi

ip link set lo up
. "$here/wine-session.sh"
trap 'wine_session_stop "$TEST_BUILD_DIR"' EXIT
wine_session_start "$TEST_BUILD_DIR"
echo "Testing the $TORVANIK_TEST_ARCH build in $TEST_BUILD_DIR"
cd "$TEST_BUILD_DIR"
# A test that fails is run once more before it counts as failed: Wine under
# load has rare hangs of its own (its desktop and service processes).
ctest --output-on-failure --repeat until-pass:2 -j "$(nproc)" "$@"
