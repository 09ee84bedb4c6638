#!/usr/bin/env bash
# Installs the dependencies, then configures and builds everything: the 32-bit
# deliverables in build/, and the 64-bit test build where tests need it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/paths.sh"

configure_and_build() {
    local dir="$1" arch="$2"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$TORVANIK_ROOT" -B "$dir" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$TORVANIK_ROOT/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
            -DTORVANIK_DELIVERABLES_BIN="$BUILD_DIR/bin"
    fi
    cmake --build "$dir"
}

bash "$here/install-deps.sh"
configure_and_build "$BUILD_DIR" i686
if [ "$TEST_BUILD_DIR" != "$BUILD_DIR" ]; then
    configure_and_build "$TEST_BUILD_DIR" "$TORVANIK_TEST_ARCH"
fi
# The scripted adb device of the tests and benchmark runs natively.
bash "$TORVANIK_ROOT/tests/peers/adbdevice/build.sh" "$TEST_BUILD_DIR/host/adb_device"
