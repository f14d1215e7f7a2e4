# shellcheck shell=bash
# What the CI scripts, the script tests and the benchmarks all need, written
# once; sourced, not run. Safe under set -e, set -u and pipefail.
#
#   find_tool NAME...              prints the first NAME that is a command or an
#                                  executable path; false if none is
#   wait_until SECONDS COMMAND...  polls until COMMAND holds; false after SECONDS
#   wait_until_or_gone SECONDS PID COMMAND...
#                                  the same, but false at once when process PID
#                                  has ended: what it was to bring about never comes
#   is_not_running PID             true once process PID has ended
#
#   start_display FOLDER [SCREEN]  an Xvfb of its own on a free display (SCREEN
#                                  defaults to 1024x768x24), once it answers;
#                                  exports DISPLAY, sets XVFB_PID (one server
#                                  at a time)
#   stop_display                   ends that Xvfb
#   need_display_tools WHO         false, saying so as WHO, unless Xvfb and xdpyinfo are here
#
#   find_wine WHO                  sets WINE (the 64-bit loader) and WINESERVER;
#                                  false, saying so as WHO, if one is missing
#   wine_environment FOLDER        a throw-away Wine: HOME is FOLDER/home, the
#                                  prefix FOLDER/prefix, no debug output, no
#                                  Mono, Gecko or menu entries, 64-bit, UTF-8
#   make_wine_prefix               makes that prefix and waits until Wine is done
#   stop_wine                      ends the prefix's server and every program in it
#   run_wine_tests WHO LOG SECONDS PROGRAM [ARGUMENTS...]
#                                  a test runner under Wine, judged by its exit
#                                  status and its summary line
#
#   now_us                         the time in microseconds, without a new process
#   median                         the middle one of the numbers on standard input
#
# Functions that set variables must not run in a subshell ($(...), a pipe).

find_tool() {
    local name
    for name in "$@"; do
        if command -v "$name" >/dev/null 2>&1; then
            command -v "$name"
            return 0
        fi
        if [[ -x "$name" ]]; then
            echo "$name"
            return 0
        fi
    done
    return 1
}

# --- waiting ---------------------------------------------------------------------

# Generous limits everywhere: on a loaded machine an X server or Wine takes
# seconds to come up, not tenths, and a working run never reaches them.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
    return 0
}

is_not_running() { ! kill -0 "$1" 2>/dev/null; }

wait_until_or_gone() {
    local deadline=$((SECONDS + $1)) pid=$2
    shift 2
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ] || is_not_running "$pid"; then
            return 1
        fi
        sleep 0.1
    done
    return 0
}

# --- an X server -----------------------------------------------------------------

display_answers() { xdpyinfo >/dev/null 2>&1; }

# -displayfd: the server takes the first free display itself, which no
# search for lock files can do without racing another test's server.
# -noreset: by default the server resets when its last client leaves, and a
# client that connects during the reset (the window manager right after the
# readiness probe, on a loaded machine) is refused.
start_display() {
    local folder=$1 screen=${2:-1024x768x24} fd
    mkdir -p "$folder"
    exec {fd}>"$folder/display"
    Xvfb -displayfd "$fd" -screen 0 "$screen" -nolisten tcp -noreset >"$folder/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec {fd}>&-
    if wait_until_or_gone 60 "$XVFB_PID" test -s "$folder/display"; then
        DISPLAY=":$(cat "$folder/display")"
        export DISPLAY
        # The number is written once the server listens; wait until it answers.
        wait_until_or_gone 60 "$XVFB_PID" display_answers && return 0
    fi
    echo "Xvfb did not come up; its log, $folder/xvfb.log:" >&2
    cat "$folder/xvfb.log" >&2
    stop_display
    return 1
}

stop_display() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
    return 0
}

need_display_tools() {
    command -v Xvfb >/dev/null 2>&1 || {
        echo "$1: Xvfb not found (apt-get install xvfb)" >&2
        return 1
    }
    command -v xdpyinfo >/dev/null 2>&1 || {
        echo "$1: xdpyinfo not found (apt-get install x11-utils)" >&2
        return 1
    }
}

# --- Wine ------------------------------------------------------------------------

# Debian keeps the 64-bit loader out of PATH; the "wine" wrapper wants wine32.
find_wine() {
    WINE=$(find_tool wine64 /usr/lib/wine/wine64 wine) || {
        echo "$1: wine64 not found (apt-get install wine64)" >&2
        return 1
    }
    WINESERVER=$(find_tool wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver) || {
        echo "$1: wineserver not found" >&2
        return 1
    }
}

wine_environment() {
    export HOME="$1/home"
    export WINEPREFIX="$1/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko to offer, no menu entries or file types for the desktop.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    # Wine turns the test folders' non-ASCII names into Unix names through the
    # locale's character set: without a UTF-8 one they cannot be made at all.
    export LC_ALL=C.UTF-8
    mkdir -p "$HOME"
}

make_wine_prefix() {
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
}

stop_wine() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Into a file, not a pipe: a child a failed test leaves running would keep a
# pipe open, and the run would never end. The children end with the server.
# Wine's exit status is not always the program's: the summary line decides too.
run_wine_tests() {
    local who=$1 log=$2 seconds=$3 status=0 summary
    shift 3
    timeout -k 10 "$seconds" "$WINE" "$@" >"$log.raw" 2>&1 || status=$?
    stop_wine
    tr -d '\r' <"$log.raw" | tee "$log"
    summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 || true)"
    if [[ $status -ne 0 ]]; then
        echo "$who: the runner exited with status $status" >&2
        return 1
    fi
    if [[ ! $summary =~ ^[0-9]+\ passed,\ 0\ failed ]]; then
        echo "$who: no clean summary line (got: '${summary}')" >&2
        return 1
    fi
    if [[ $summary =~ ^0\ passed ]]; then
        echo "$who: no test ran" >&2
        return 1
    fi
    echo "== ok: $summary"
}

# --- figures ---------------------------------------------------------------------

now_us() { echo "${EPOCHREALTIME/./}"; }

# Of an even count, the lower of the two middle ones.
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
