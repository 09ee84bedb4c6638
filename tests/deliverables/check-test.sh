#!/usr/bin/env bash
# The deliverables check catches the faults it is there for: a DLL built to
# the conventions passes, and DLLs that pop the hidden record pointer, lose
# it, or export at the wrong ordinal or convention fail with the reason.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check="$here/../../tools/check-deliverables.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
for variant in Good:NONE Pop:POP_HIDDEN_POINTER Lost:LOSE_HIDDEN_POINTER; do
    i686-w64-mingw32-g++-posix -O2 -shared -static -Wl,--kill-at -D"${variant#*:}" \
        -o "$work/bin/${variant%%:*}.dll" "$here/Sample.cpp"
done

failures=0
# expect <what> <table line> <expected text in the output, or "pass">
expect() {
    local out
    printf '%s\n' "$2" >"$work/table.txt"
    if out=$(bash "$check" "$work/bin" "$work/table.txt" 2>&1); then out="pass"; fi
    if grep -qF -- "$3" <<<"$out"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"; echo "  expected: $3"; echo "  output:   $out"
        failures=$((failures + 1))
    fi
}
expect "conventions kept" \
    "Good.dll exports=2 export=Factory ordinal=Factory@1 stdcall=Factory@4 hidden-return=GetRecord cdecl=GetRecord" pass
expect "callee pops the hidden pointer" "Pop.dll hidden-return=GetRecord" "GetRecord returns with 'ret    \$0x4'"
expect "hidden pointer not handed back" "Lost.dll hidden-return=GetRecordLost" "GetRecordLost does not return the caller's hidden pointer"
expect "wrong ordinal" "Good.dll ordinal=Factory@2" "exports Factory at ordinal '1', not 2"
expect "stdcall taken for cdecl" "Good.dll cdecl=Factory" "Factory returns with 'ret    \$0x4', expected to pop 0 bytes"
expect "export count" "Good.dll exports=3" "exports 2 names, not 3"
expect "missing export" "Good.dll export=new_CBrevlinsUI" "does not export new_CBrevlinsUI"
expect "deliverable not built" "Ostrune.dll exports=1" "Ostrune.dll is not built"
mkdir -p "$work/include"
printf '#define SAMPLE_API __declspec(dllexport)\nSAMPLE_API int __cdecl Kept(int);\nclass SAMPLE_API Widget {};\nSAMPLE_API int Bare(int);\n' \
    >"$work/include/Sample.h"
expect "exported function without a calling convention" "Good.dll calls-in=$work/include:SAMPLE_API" "Sample.h:4:SAMPLE_API int Bare(int);"
expect "header's exports present" "Good.dll exports-from=$work/include/Sample.h" "does not export Kept (declared in"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
