#!/usr/bin/env bash
# Checks the built 32-bit deliverables where they cannot run: every program
# and DLL in a bin folder is a PE32 image, needs no mingw runtime DLL beside
# it (unless the table lets it share the runtime DLLs it names) and exports
# undecorated names; then each line of deliverables.txt (which describes its
# checks) holds for its file.
#   check-deliverables.sh <bin folder> [table, default tools/deliverables.txt]
set -euo pipefail
export LC_ALL=C  # objdump output is parsed
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
bin="$1"
table="${2:-$here/deliverables.txt}"
objdump=i686-w64-mingw32-objdump
compiler=i686-w64-mingw32-g++-posix
installation="$bin/../installation"
status=0
fail() { echo "FAIL: $*"; status=1; }

# Exported names of a DLL, one "ordinal name" a line.
exports() {
    $objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {f = 1; next}
        f && /^\t\[/ {sub(/^\t\[ */, ""); sub(/\]/, ""); print $1, $NF} f && /^$/ {f = 0}'
}
# The ordinal base: the table above counts from it.
ordinal_base() { $objdump -p "$1" | awk '/^Ordinal Base/ {print $3}'; }
# The disassembly of one function, found by its symbol (cdecl "_name", or
# stdcall "_name@N"), up to the next symbol.
function_code() {
    $objdump -d --no-show-raw-insn "$1" | awk -v name="$2" '
        done {next}
        index($0, "<_" name ">:") || index($0, "<_" name "@") && /@[0-9]+>:$/ {f = 1; next}
        f && /^$/ {done = 1} f && !done {sub(/^[^\t]*\t/, ""); print}'
}

# Value of a hexadecimal "0x..." operand (mawk has no strtonum).
awk_hex='function hex(s,    v, i) { v = 0; for (i = 3; i <= length(s); ++i) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1; return v }
'
# ret instructions of a function that pop anything other than `bytes`.
wrong_returns() {
    awk -v bytes="$1" "$awk_hex"'$1 == "ret" { pop = NF > 1 ? hex(substr($2, 2)) : 0; if (pop != bytes) print }'
}

# Whether every ret of a function hands back in eax the hidden pointer the
# caller passed as the first stack argument: eax's last setter before the
# ret must load that argument, or copy a register that loaded it.
returns_hidden_pointer() {
    awk "$awk_hex"'
    function slot_of(operand,    off) {
        if (operand == "0x8(%ebp)" && framed) return 1
        if (operand ~ /^(0x[0-9a-f]+)?\(%esp\)$/) {
            off = operand ~ /^0x/ ? hex(substr(operand, 1, index(operand, "(") - 1)) : 0
            return off - depth == 4
        }
        return 0
    }
    { code[NR] = $0 }
    # Follow the stack depth through straight-line code from the entry and
    # note the registers loaded with the hidden pointer.
    !stop {
        if ($1 == "push") depth += 4
        else if ($1 == "sub" && $2 ~ /^\$0x[0-9a-f]+,%esp$/) depth += hex(substr($2, 2, index($2, ",") - 2))
        else if ($1 == "mov" && $2 == "%esp,%ebp") framed = 1
        else if ($1 == "mov") {
            split($2, ops, ",")
            if (slot_of(ops[1])) holder[ops[2]] = 1
        } else if ($1 ~ /^(call|j|ret)/) stop = 1
    }
    END {
        rets = 0
        for (i = 1; i <= NR; ++i) {
            split(code[i], w, /[ \t]+/)
            if (w[1] != "ret") continue
            ++rets; ok = 0
            for (j = i - 1; j > 0; --j) {
                split(code[j], v, /[ \t]+/)
                if (v[1] == "pop" || v[1] == "leave" || v[1] ~ /^(lea|add|sub)$/ && v[2] ~ /,%esp$/) continue
                split(v[2], ops, ",")
                if (v[1] == "mov" && ops[2] == "%eax" && (ops[1] == "0x8(%ebp)" && framed || ops[1] in holder)) ok = 1
                break
            }
            if (!ok) { print "ret without the hidden pointer in eax"; exit 1 }
        }
        if (rets == 0) { print "no ret found"; exit 1 }
    }'
}

# The compiler runtime DLLs an image imports, one a line.
runtime_imports() {
    $objdump -p "$1" | awk '/DLL Name:/ {print $3}' | grep -E '^(libgcc|libstdc|libwinpthread)' || true
}
is_runtime_name() { [[ "$1" =~ ^(libgcc|libstdc|libwinpthread) ]]; }
# Files the table marks with a check, one a line.
marked() { awk -v check="$1" '$1 !~ /^#/ { for (i = 2; i <= NF; ++i) if ($i == check) print $1 }' "$table"; }

# A path in the table: relative to the repository, or absolute.
source_path() { case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }

check_line() {
    local file="$1" image="$bin/$1" check name value list header macro bare
    shift
    [ -f "$image" ] || { fail "$file is not built"; return; }
    list=$(exports "$image")
    for check in "$@"; do
        name="${check#*=}"
        case "$check" in
        exports=*)
            [ "$(grep -c . <<<"$list" || true)" -eq "$name" ] || fail "$file exports $(grep -c . <<<"$list") names, not $name" ;;
        exports-from=*)
            for value in $(grep -oE '^[A-Z_]+(_EXPORT|_API)\b[^(]*\b[A-Za-z_][A-Za-z0-9_]*\(' "$(source_path "$name")" |
                           sed -E 's/.*\b([A-Za-z_][A-Za-z0-9_]*)\($/\1/' || true); do
                grep -qx "[0-9]* $value" <<<"$list" || fail "$file does not export $value (declared in $name)"
            done ;;
        export=*)
            grep -qx "[0-9]* $name" <<<"$list" || fail "$file does not export $name undecorated" ;;
        mangled-exports)
            grep -q ' _Z' <<<"$list" || fail "$file exports no C++ class" ;;
        ordinal=*)
            value=$(awk -v n="${name%@*}" -v base="$(ordinal_base "$image")" '$2 == n {print $1 + base}' <<<"$list")
            [ "$value" = "${name#*@}" ] || fail "$file exports ${name%@*} at ordinal '${value}', not ${name#*@}" ;;
        stdcall=* | cdecl=* | hidden-return=*)
            [ "${check%%=*}" = stdcall ] && value="${name#*@}" && name="${name%@*}" || value=0
            local code
            code=$(function_code "$image" "$name")
            if [ -z "$code" ]; then
                fail "$file: no code found for $name"
                continue
            fi
            [ -z "$(wrong_returns "$value" <<<"$code")" ] ||
                fail "$file: $name returns with '$(wrong_returns "$value" <<<"$code" | head -1)', expected to pop $value bytes"
            if [ "${check%%=*}" = hidden-return ]; then
                returns_hidden_pointer <<<"$code" >/dev/null || fail "$file: $name does not return the caller's hidden pointer"
            fi ;;
        shared-runtime)
            # It takes the C++ runtime and the unwinder from the runtime DLLs
            # (so its exceptions and those it catches pass one unwinder), each
            # of them one the table allows and present beside it.
            value=$(runtime_imports "$image")
            grep -q '^libstdc' <<<"$value" && grep -q '^libgcc_s' <<<"$value" ||
                fail "$file does not take the C++ runtime and unwinder from the runtime DLLs"
            for bare in $value; do
                grep -qxF -e "$bare" <<<"$runtime_files" || fail "$file needs $bare, which the table does not allow"
                [ -f "$bin/$bare" ] || fail "$file needs $bare, which is not beside it"
            done
            # (Its symbol table names the static unwinder's lookup where one is linked in.)
            value=$($objdump -t "$image")
            ! grep -qE '\(sec +[1-9][0-9]*\).* __Unwind_Find_FDE$' <<<"$value" ||
                fail "$file carries an unwinder of its own" ;;
        runtime)
            # One of the compiler's runtime DLLs, shipped as the compiler has it.
            value=$($compiler -print-file-name="$file")
            [ -f "$value" ] && cmp -s "$value" "$image" || fail "$file is not the compiler's own $file"
            for bare in $(runtime_imports "$image"); do
                grep -qxF -e "$bare" <<<"$runtime_files" || fail "$file needs $bare, which the table does not allow"
            done ;;
        installed=*)
            # In that folder of the installation, with the runtime DLLs it needs.
            value="$installation/$name"
            cmp -s "$image" "$value/$file" || fail "$file is not installed in $name"
            for bare in $(runtime_imports "$image"); do
                [ -f "$value/$bare" ] || fail "$file is installed in $name without $bare"
            done ;;
        calls-in=*)
            header="${name%%:*}" macro="${name#*:}"
            # Declarations (not classes) that carry the export macro but no
            # calling convention.
            bare=$(grep -rnE "^\s*$macro\b" "$(source_path "$header")" --include='*.h' | grep -v -E "\b(class|struct)\b" |
                   grep '(' | grep -v -E '__cdecl|__stdcall|WINAPI|CALLBACK|_CALL\b' || true)
            [ -z "$bare" ] || fail "$file: exported functions without a calling convention:"$'\n'"$bare" ;;
        *)
            fail "unknown check '$check' for $file" ;;
        esac
    done
}

shopt -s nullglob
images=("$bin"/*.exe "$bin"/*.dll)
[ "${#images[@]}" -gt 0 ] || { echo "FAIL: nothing built in $bin"; exit 1; }
# Exactly these share the compiler's runtime, and exactly these runtime DLLs
# may lie among them; everything else links the runtime statically.
shared_files=$(marked shared-runtime)
runtime_files=$(marked runtime)
for image in "${images[@]}"; do
    name=$(basename "$image")
    format=$($objdump -f "$image" 2>/dev/null | awk '/file format/ {print $NF}')
    [ "$format" = pei-i386 ] || fail "$name is '$format', not pei-i386"
    if is_runtime_name "$name" && ! grep -qxF -e "$name" <<<"$runtime_files"; then
        fail "$name is a compiler runtime DLL the table does not allow"
    fi
    if [ -n "$(runtime_imports "$image")" ] && ! grep -qxF -e "$name" <<<"$shared_files"$'\n'"$runtime_files"; then
        fail "$name needs a mingw runtime DLL"
    fi
done
for dll in "$bin"/*.dll; do
    grep -qxF -e "$(basename "$dll")" <<<"$runtime_files" && continue  # the compiler's, not ours
    # Plain names: no cdecl underscore, no @N; C++ classes keep their
    # mangled names (_Z...).
    decorated=$(exports "$dll" | awk '{print $2}' | grep -E '^_[A-Za-z]|@[0-9]+$' | grep -v '^_Z' || true)
    [ -z "$decorated" ] || fail "$(basename "$dll") exports decorated names: $decorated"
done

while read -r -a words; do
    [ "${#words[@]}" -gt 0 ] && [ "${words[0]:0:1}" != "#" ] || continue
    check_line "${words[@]}"
done <"$table"

[ "$status" -eq 0 ] && echo "deliverables in $bin: PE32, static runtime except $(grep -c . <<<"$shared_files" || true) sharing $(grep -c . <<<"$runtime_files" || true) runtime DLLs, plain export names, $(grep -cvE '^(#|$)' "$table") checked by name"
exit "$status"
