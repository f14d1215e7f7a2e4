# shellcheck shell=bash
# Counting checks for the script tests; sourced, not run.
#   check "<what should hold>" command...   one expectation per line
#   wait_until SECONDS command...           polls until the command holds
# A script ends with: echo "$passed passed, $failed failed"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAIL: $*"
}
check() {
    local message=$1
    shift
    if "$@"; then pass; else fail "$message"; fi
}
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}
