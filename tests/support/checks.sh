# Checks for the test scripts; sourced. Each check prints "ok:" or
# "FAILED:" with both values and counts the failures in $failures.
failures=0

# check <what> <expected> <actual>
check() {
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"; echo "  expected: $(printf %q "$2")"; echo "  actual:   $(printf %q "$3")"
        failures=$((failures + 1))
    fi
}

# winpath <path>: the Windows name Wine gives a path of this machine.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
