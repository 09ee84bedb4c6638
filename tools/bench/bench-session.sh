# The common start of the benchmark scripts; sourced, not run.
#   bench_build [target]      build everything, or one target of a configured build
#   bench_enter_netns "$@"    re-run the script in a private network namespace
#   bench_scratch <name> [GiB in memory]   make $work in $scratch, removed at exit
#   bench_wine_session        start the display and Wine server of the test build
#   bench_on_exit <command...> add a step to the exit cleanup (the last added runs first)
#   now, winpath <path>       a timestamp in seconds; a Linux path as Wine's Z: path

# shellcheck source=tools/wine-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../wine-session.sh"
build="$TEST_BUILD_DIR"

bench_cleanup=()
bench_on_exit() { bench_cleanup=("$(printf '%q ' "$@")" "${bench_cleanup[@]}"); }
bench_finish() {
    local step
    for step in "${bench_cleanup[@]}"; do eval "$step" 2>/dev/null || true; done
}
trap bench_finish EXIT

# The build runs before the namespace is entered (it may need the network);
# the re-entered script finds it done.
bench_build() {
    [ -z "${TORVANIK_IN_NETNS:-}" ] || return 0
    if [ -n "${1:-}" ] && [ -f "$build/build.ninja" ]; then
        cmake --build "$build" --target "$1" >/dev/null
    else
        bash "$TORVANIK_ROOT/tools/build.sh" >/dev/null
    fi
}

# Only loopback exists there, so fixed ports (adb's 5037) clash with nothing.
bench_enter_netns() {
    if [ -z "${TORVANIK_IN_NETNS:-}" ]; then
        exec unshare --net env TORVANIK_IN_NETNS=1 bash "$0" "$@"
    fi
    ip link set lo up
}

# Files live in memory when /dev/shm has the GiB asked for: the disk's
# write-back stalls would otherwise swamp the differences measured.
bench_scratch() {
    scratch="${TMPDIR:-/var/tmp}"
    if [ -n "${2:-}" ] && [ "$(df --output=avail -k /dev/shm 2>/dev/null | tail -1)" -gt $(($2 * 1048576)) ] 2>/dev/null; then
        scratch=/dev/shm
    fi
    work="$(mktemp -d "$scratch/$1.XXXXXX")"
    bench_on_exit rm -rf "$work"
}

bench_wine_session() {
    bench_on_exit wine_session_stop "$build"
    wine_session_start "$build"
}

now() { date +%s.%N; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
