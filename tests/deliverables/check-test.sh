#!/usr/bin/env bash
# The deliverables check catches the faults it is there for: a DLL built to
# the conventions passes, and DLLs that pop the hidden record pointer, lose
# it, or export at the wrong ordinal or convention fail with the reason; so do
# runtime DLLs and modules sharing them where the table does not allow them.
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

# A folder where a DLL that lets exceptions out shares the compiler's runtime
# DLLs, beside one that links the runtime statically.
compiler=i686-w64-mingw32-g++-posix
mkdir -p "$work/shared"
$compiler -O2 -shared -Wl,--kill-at -DRAISES -o "$work/shared/Shared.dll" "$here/Sample.cpp"
$compiler -O2 -shared -static -Wl,--kill-at -DRAISES -o "$work/shared/Static.dll" "$here/Sample.cpp"
runtime_dlls=(libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
for dll in "${runtime_dlls[@]}"; do cp "$($compiler -print-file-name="$dll")" "$work/shared/"; done
runtime_lines=$(printf '%s runtime\n' "${runtime_dlls[@]}")

failures=0
# expect <what> <table line> <expected text in the output, or "pass">; the
# files checked are those in $folder.
folder="$work/bin"
expect() {
    local out
    printf '%s\n' "$2" >"$work/table.txt"
    if out=$(bash "$check" "$folder" "$work/table.txt" 2>&1); then out="pass"; fi
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
folder="$work/shared"
expect "runtime shared where the table allows it" $'Shared.dll shared-runtime\n'"$runtime_lines" pass
expect "runtime DLLs needed but not allowed" $'Static.dll\n'"$runtime_lines" "Shared.dll needs a mingw runtime DLL"
expect "static unwinder in a file that should share it" $'Shared.dll shared-runtime\nStatic.dll shared-runtime\n'"$runtime_lines" \
    "Static.dll carries an unwinder of its own"
expect "runtime DLL the table does not name" $'Shared.dll shared-runtime\nlibgcc_s_dw2-1.dll runtime\nlibstdc++-6.dll runtime' \
    "libwinpthread-1.dll is a compiler runtime DLL the table does not allow"
cp "$work/shared/libgcc_s_dw2-1.dll" "$work/shared/libstdc++-6.dll"
expect "runtime DLL that is not the compiler's" $'Shared.dll shared-runtime\n'"$runtime_lines" \
    "libstdc++-6.dll is not the compiler's own libstdc++-6.dll"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
