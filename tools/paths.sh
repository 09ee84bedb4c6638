# Shared locations of the build and test scripts; sourced, not run.
TORVANIK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Cross-built libraries live outside the work tree so a fresh clone reuses them.
DEPS_CACHE="${TORVANIK_DEPS_CACHE:-/opt/torvanik-deps}"
# The deliverables: 32-bit Windows programs and DLLs.
BUILD_DIR="${TORVANIK_BUILD_DIR:-$TORVANIK_ROOT/build}"

# Tests run the 32-bit build under Wine where this machine can execute 32-bit
# code. Some kernels run 64-bit user code only (Wine's 32-bit loader then fails
# with "Exec format error"); there the same sources are built as 64-bit
# Windows programs and those are tested.
if [ -z "${TORVANIK_TEST_ARCH:-}" ]; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        TORVANIK_TEST_ARCH=i686
    else
        TORVANIK_TEST_ARCH=x86_64
    fi
fi
if [ "$TORVANIK_TEST_ARCH" = i686 ]; then
    TEST_BUILD_DIR="$BUILD_DIR"
else
    TEST_BUILD_DIR="${TORVANIK_TEST_BUILD_DIR:-$TORVANIK_ROOT/build-x64}"
fi
export TORVANIK_ROOT DEPS_CACHE BUILD_DIR TORVANIK_TEST_ARCH TEST_BUILD_DIR
