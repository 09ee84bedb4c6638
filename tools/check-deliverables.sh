#!/usr/bin/env bash
# Checks the built deliverables in a bin folder: every program and DLL is a
# 32-bit Windows image (PE32), needs no mingw runtime DLL beside it, and DLLs
# export undecorated names.
set -euo pipefail
export LC_ALL=C  # objdump output is parsed
bin="$1"
objdump=i686-w64-mingw32-objdump
status=0
fail() { echo "FAIL: $*"; status=1; }

shopt -s nullglob
images=("$bin"/*.exe "$bin"/*.dll)
[ "${#images[@]}" -gt 0 ] || { echo "FAIL: nothing built in $bin"; exit 1; }
for image in "${images[@]}"; do
    format=$($objdump -f "$image" 2>/dev/null | awk '/file format/ {print $NF}')
    [ "$format" = pei-i386 ] || fail "$(basename "$image") is '$format', not pei-i386"
    if $objdump -p "$image" | grep -E 'DLL Name: (libgcc|libstdc|libwinpthread)' >/dev/null; then
        fail "$(basename "$image") needs a mingw runtime DLL"
    fi
done

for dll in "$bin"/*.dll; do
    # Exported functions keep their plain names: no cdecl underscore, no @N.
    # C++ class exports (the UI library's) carry their mangled names (_Z...).
    decorated=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {f=1; next} f && /^\t\[/ {print $NF} f && /^$/ {f=0}' | grep -E '^_[A-Za-z]|@[0-9]+$' | grep -v '^_Z' || true)
    [ -z "$decorated" ] || fail "$(basename "$dll") exports decorated names: $decorated"
done

[ "$status" -eq 0 ] && echo "deliverables in $bin: PE32, static runtime, plain export names"
exit "$status"
