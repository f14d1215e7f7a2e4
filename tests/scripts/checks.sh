# shellcheck shell=bash
# Counting checks for the script tests; sourced, not run.
#   check "<what should hold>" command...   one expectation per line
#   wait_until SECONDS command...           polls until the command holds (tools/lib.sh)
# A script ends with: echo "$passed passed, $failed failed"

# shellcheck source=tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"

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
