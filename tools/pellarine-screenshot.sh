#!/usr/bin/env bash
# Shows the downloader with three packages in different states under a
# private Xvfb display and saves the screen as a PNG:
#   tools/pellarine-screenshot.sh [build dir (default build-x64)] [output png (default pellarine.png)] [done]
# With "done" the three packages finish and the finished tab is shown.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-x64}" && pwd)"
out="${2:-pellarine.png}"
cmake --build "$build" --target downloader_showcase >/dev/null

. "$root/tools/wine-session.sh"
wine_display_start 800x600x24
display=$DISPLAY
xvfb=$TORVANIK_XVFB_PID
log="$(mktemp)"
showcase=
cleanup() {
    [ -n "$showcase" ] && kill "$showcase" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -f "$log"
}
trap cleanup EXIT

DISPLAY=$display "$root/tools/wine-run" --build "$build" "$build/bin/downloader_showcase.exe" 30 ${3:-} >"$log" 2>&1 &
showcase=$!
for _ in $(seq 1 120); do
    grep -q ready "$log" && break
    sleep 0.5
done
grep -q ready "$log" || { echo "the showcase did not get ready" >&2; cat "$log" >&2; exit 1; }
xwd -root -display "$display" | convert xwd:- "png:$out"
wait "$showcase" || true
showcase=
echo "saved $out"
