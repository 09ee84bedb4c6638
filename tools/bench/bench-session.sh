# The common start of the benchmark scripts; sourced, not run.
#   bench_build [target...]   build everything, or these targets of a configured build
#   bench_enter_netns "$@"    re-run the script in a private network namespace
#   bench_scratch <name> [GiB in memory]   make $work in $scratch, removed at exit
#   bench_wine_session        start the display and Wine server of the test build
#   bench_on_exit <command...> add a step to the exit cleanup (the last added runs first)
#   now, winpath <path>       a timestamp in seconds; a Linux path as Wine's Z: path
# Figures, printed the same way by every script:
#   bench_ratio <a> <b>       a / b with two decimals ("inf" when b is 0)
#   bench_median [values...]  the median of the values (or of stdin's, one per line or
#                             blank-separated); the mean of the middle two for an even count
#   bench_record <name> <value>   keep one round's value (a ratio, a time) under a name
#   bench_summary <name> [label]  print "label: per round v1 v2 ..., median m" of the kept values
#   bench_load_line           print the machine's load while the script ran: the load average
#                             now and the share of all CPUs busy since the script started

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
    if [ $# -gt 0 ] && [ -f "$build/build.ninja" ]; then
        cmake --build "$build" --target "$@" >/dev/null
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

bench_ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "inf"; else printf "%.2f\n", a / b }'
}

bench_median() {
    { if [ $# -gt 0 ]; then printf '%s\n' "$@"; else cat; fi; } | tr -s ' \t' '\n\n' | grep . | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m }'
}

declare -A bench_values=()
bench_record() { bench_values[$1]="${bench_values[$1]:-} $2"; }
bench_summary() {
    local values="${bench_values[$1]:-}"
    [ -n "$values" ] || { echo "${2:-$1}: no rounds"; return; }
    printf '%s: per round%s, median %s\n' "${2:-$1}" "$values" "$(bench_median $values)"
}

# The busy share counts every CPU of the machine (the namespace shares them),
# so a figure taken while other work ran says so.
bench_cpu_ticks() { awk '/^cpu / { busy = $2 + $3 + $4 + $7 + $8 + $9; print busy, busy + $5 + $6 }' /proc/stat; }
bench_load_start="$(bench_cpu_ticks)"
bench_load_line() {
    local start end
    read -r -a start <<<"$bench_load_start"
    read -r -a end <<<"$(bench_cpu_ticks)"
    awk -v b0="${start[0]}" -v t0="${start[1]}" -v b1="${end[0]}" -v t1="${end[1]}" -v cpus="$(nproc)" \
        -v avg="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
            busy = (t1 > t0) ? 100 * (b1 - b0) / (t1 - t0) : 0
            printf "machine load while this ran: %.0f%% of %d CPUs busy (this benchmark included), load average %s\n", busy, cpus, avg
        }'
}
winpath() { printf 'Z:%s' "${1//\//\\}"; }
