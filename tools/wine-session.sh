# Starts and stops the display and the Wine server that Windows programs run
# under; sourced by the test and run commands, not run.
#
# One wineserver stays up for the whole session so each program starts in a
# few tens of milliseconds. Its service processes would otherwise inherit the
# caller's output pipes (and keep CTest waiting), so all of them start with
# their standard streams redirected.

# shellcheck source=tools/paths.sh
. "$(dirname "${BASH_SOURCE[0]}")/paths.sh"

# wine_env <build dir>: the prefix, locale and quiet settings of that build.
wine_env() {
    export WINEPREFIX="$1/wineprefix"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
    # Xvfb has no compositing manager: layered window shadows would show black.
    export TORVANIK_WINDOW_SHADOW=off
    if [ -f "$1/CMakeCache.txt" ] && grep -q 'mingw-x86_64' "$1/CMakeCache.txt"; then
        WINE_LOADER=/usr/lib/wine/wine64
    else
        WINE_LOADER=/usr/lib/wine/wine
    fi
    export WINE_LOADER
}

# The number of a display no one has: neither an X server's lock file nor its
# socket exists. Call it holding the display lock (wine_display_start does).
free_display() {
    local n
    for n in $(seq 90 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return
        fi
    done
    return 1
}

# wine_display_start [screen, default 1280x1024x24]: starts a private Xvfb
# display and exports DISPLAY and TORVANIK_XVFB_PID.
# The tests, the run command and the benchmarks all start theirs here, each
# holding one machine-wide lock (flock) from choosing the number until the
# server's socket exists, so two starts at once never pick the same display.
TORVANIK_DISPLAY_LOCK="${TORVANIK_DISPLAY_LOCK:-/tmp/.torvanik-display.lock}"
wine_display_start() {
    local lock n i
    exec {lock}>>"$TORVANIK_DISPLAY_LOCK"
    flock "$lock"
    for _ in 1 2 3; do
        n=$(free_display) || break
        # The server gets no copy of the lock, which is released below.
        Xvfb ":$n" -screen 0 "${1:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 </dev/null {lock}>&- &
        TORVANIK_XVFB_PID=$!
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$TORVANIK_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$TORVANIK_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            break
        fi
        TORVANIK_XVFB_PID=
    done
    exec {lock}>&-
    [ -n "${TORVANIK_XVFB_PID:-}" ] || { echo "no free X display could be started" >&2; return 1; }
}

# Brings up the desktop process (explorer.exe /desktop) with its streams
# redirected and keeps it up for the whole session. Wine starts it from the
# first program that makes a window and ends it about a second after the last
# program leaves the desktop; as a child of a test it kept that test's
# standard error, so CTest waited for the end of that pipe, not of the test,
# until its time-out whenever other window tests kept the desktop busy. The
# keeper (a command interpreter waiting for input that never comes) is one
# more program on the desktop; it ends when the session's shell closes its
# input, or at wine_session_stop.
wine_desktop_start() {
    exec {TORVANIK_DESKTOP_KEEPER}> >(exec setsid "$WINE_LOADER" cmd.exe /q /k >/dev/null 2>&1)
    setsid "$WINE_LOADER" explorer.exe /desktop >/dev/null 2>&1 </dev/null &
}

# One session per build at a time. A second one (a benchmark started while
# the tests run in the same build, say) waits for the first to end: stopping
# the shared Wine server would kill the programs the first one is running,
# which then end silently half-way. The owner is the session shell's process.
wine_session_claim() {
    local owner="$1/.wine-session.owner" lock pid said=
    exec {lock}>>"$1/.wine-session.lock"
    while :; do
        flock "$lock"
        pid="$(cat "$owner" 2>/dev/null || true)"
        if [ -z "$pid" ] || [ "$pid" = "$$" ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "$$" >"$owner"
            break
        fi
        flock -u "$lock"
        [ -n "$said" ] || echo "waiting for the Wine session of process $pid in $1 to end" >&2
        said=1
        sleep 1
    done
    exec {lock}>&-
}

# True when this shell's session owns the build (or nobody does).
wine_session_owned() {
    local pid
    pid="$(cat "$1/.wine-session.owner" 2>/dev/null || true)"
    [ -z "$pid" ] || [ "$pid" = "$$" ] || ! kill -0 "$pid" 2>/dev/null
}

wine_session_start() {
    local build="$1"
    wine_env "$build"
    mkdir -p "$build"
    wine_session_claim "$build"
    if [ -z "${TORVANIK_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
        wine_display_start
    fi
    echo "$DISPLAY" >"$build/.wine-display"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE_LOADER" wineboot -i >/dev/null 2>&1 </dev/null || true
        wineserver -w >/dev/null 2>&1 </dev/null || true
    fi
    setsid wineserver -p >/dev/null 2>&1 </dev/null || true
    wine_desktop_start
    # A program that crashes ends at once: Wine's default debugger would keep
    # it alive (and its ports, mutexes and windows with it) while it waits on
    # a console that never comes here. The unhandled-fault line still prints.
    local view
    for view in 64 32; do
        "$WINE_LOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
            /d 'no-debugger-in-this-session.exe %ld %ld' /f "/reg:$view" >/dev/null 2>&1 </dev/null || true
    done
}

wine_session_stop() {
    wine_env "$1"
    if wine_session_owned "$1"; then
        wineserver -k >/dev/null 2>&1 </dev/null || true
        rm -f "$1/.wine-session.owner"
    fi
    if [ -n "${TORVANIK_DESKTOP_KEEPER:-}" ]; then
        exec {TORVANIK_DESKTOP_KEEPER}>&-
        TORVANIK_DESKTOP_KEEPER=
    fi
    if [ -n "${TORVANIK_XVFB_PID:-}" ]; then
        kill "$TORVANIK_XVFB_PID" 2>/dev/null || true
        wait "$TORVANIK_XVFB_PID" 2>/dev/null || true
    fi
}
