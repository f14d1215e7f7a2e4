#!/bin/bash
# The real program without a display: no DISPLAY at all, a DISPLAY where no
# server ever was, and one whose server was killed. Each time one line on
# standard error that names the display, nothing on standard output, exit
# status 1 (no abort, no core dump), with and without songs on the command line.
# Usage: test_no_display.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_no_display.sh <build folder>}
build=$(cd "$build" && pwd)
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program="$build/bin/Ondrel"
[ -x "$program" ] || { echo "FAIL: $program is not built"; exit 1; }

# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"

work=$(mktemp -d /tmp/ondrel-no-display.XXXXXX)
xvfb=
trap '[ -n "$xvfb" ] && kill -KILL "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
clean_environment "$work"
mkdir -p "$work/music" "$work/run"
echo "not really music" >"$work/music/song.mp3"

# Runs the program in its own folder with the arguments given; its output in
# $work/out and $work/err, its status in $status.
status=0
run_program() {
    (cd "$work/run" && exec timeout 120 "$program" "$@") >"$work/out" 2>"$work/err"
    status=$?
}

# $1: what the case is; $2: text the line must hold. Then the arguments.
expect_one_line() {
    local what=$1 expected=$2
    shift 2
    run_program "$@"
    check "$what: exit status 1, not $status" [ "$status" -eq 1 ]
    check "$what: nothing on standard output, got: $(cat "$work/out")" [ ! -s "$work/out" ]
    check "$what: one line on standard error, got: $(cat "$work/err")" \
        [ "$(wc -l <"$work/err")" -eq 1 ]
    check "$what: the line names the display ($expected), got: $(cat "$work/err")" \
        grep -qF -- "$expected" "$work/err"
    check "$what: no text of Qt's own, got: $(cat "$work/err")" \
        [ -z "$(grep -e Reinstalling -e qt.qpa -e plugin "$work/err")" ]
    check "$what: no core file" [ -z "$(ls -A "$work/run")" ]
}

for arguments in "$work/music/song.mp3" ""; do
    # shellcheck disable=SC2086 # no argument at all in the second round
    expect_one_line "DISPLAY unset${arguments:+, a song}" "DISPLAY is not set" $arguments

    # A display number no server has: no socket, no lock.
    number=200
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
        number=$((number + 1))
    done
    # shellcheck disable=SC2086
    DISPLAY=":$number" expect_one_line "DISPLAY :$number, no server${arguments:+, a song}" \
        "X display \":$number\"" $arguments
done

# A server that was there and died: its socket stays, nobody answers.
if command -v Xvfb >/dev/null && command -v xdpyinfo >/dev/null; then
    start_display "$work" || { echo "FAIL: Xvfb did not start"; exit 1; }
    xvfb=$XVFB_PID
    dead=$DISPLAY
    unset DISPLAY
    # Our own child: the wait returns once it has ended.
    { kill -KILL "$xvfb" && wait "$xvfb"; } 2>/dev/null
    xvfb=
    DISPLAY=$dead expect_one_line "DISPLAY $dead, its server killed" "X display \"$dead\"" \
        "$work/music/song.mp3"
else
    echo "SKIP: the killed X server (packages: xvfb x11-utils)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
