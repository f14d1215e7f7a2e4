#!/bin/bash
# The real program started without a usable HOME (unset, then empty) finds the
# user's home in the user database: the KDH setting is saved in its .config
# and the Desktop output lands in its Desktop. Runs inside a private mount
# namespace whose user database gives the user a home inside this test and
# whose root folder is read-only, so that nothing can land at the root of the
# file system, where a program without a home would put both. Under Xvfb,
# clicked with xdotool, with a fake converter.
# Usage: test_home_from_user_database.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_home_from_user_database.sh <build folder>}
build=$(cd "$build" && pwd)
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_root "a user database of its own"
need_tools "xvfb xdotool x11-utils util-linux" Xvfb xdotool xdpyinfo unshare
need_built "$build/bin" Ondrel fake_converter
need_mount_namespace
grep -q '^passwd:[[:space:]]*files' /etc/nsswitch.conf 2>/dev/null ||
    skip "the user database is not read from /etc/passwd first"

work=$(mktemp -d /tmp/ondrel-home-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

program="$work/program"
mkdir -p "$program" "$work/music"
cp "$build/bin/Ondrel" "$program/Ondrel"
cp "$build/bin/fake_converter" "$program/ffmpeg.exe"
cp "$build/bin/fake_converter" "$program/kdh.exe"
echo "not really music" >"$work/music/song.mp3"

unshare -m --propagation private bash -s -- "$work" "$program" "$scripts" <<'INNER'
set -u
work=$1 program=$2 scripts=$3
fatal() { echo "FAIL: $*"; exit 1; }
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"

# A mount of its own stays writable when the root folder is made read-only.
mount --bind "$work" "$work" || fatal "cannot bind $work"
clean_environment "$work/env"
pids=()
trap 'for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done; wait 2>/dev/null' EXIT
start_display "$work/env" || fatal "Xvfb did not start"
pids+=("$XVFB_PID")

# The user database gives this user a home inside the test.
home="$work/user home"
awk -F: -v OFS=: -v uid="$(id -u)" -v home="$home" '$3 == uid { $6 = home } { print }' \
    /etc/passwd >"$work/passwd"
mount --bind "$work/passwd" /etc/passwd || fatal "cannot replace the user database"
[ "$(getent passwd "$(id -u)" | cut -d: -f6)" = "$home" ] ||
    fatal "the user database does not give the home of the test"
mount -o remount,bind,ro / || fatal "cannot make the root folder read-only"

START_X=72 START_Y=364     # Command1: 8, 336, 129 x 57
DESKTOP_X=56 DESKTOP_Y=256 # Check1: 16, 232, 409 x 48

# $1: unset or empty.
run_without_home() {
    local how=$1 ondrel window
    rm -rf "$home" && mkdir -p "$home"
    # The XDG folders would name the places themselves: only the home may.
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
    if [ "$how" = unset ]; then unset HOME; else export HOME=; fi
    "$program/Ondrel" "$work/music/song.mp3" >"$work/ondrel-$how.log" 2>&1 &
    ondrel=$!
    pids+=("$ondrel")
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Ondrel$' | head -n 1)
    [ -n "$window" ] || fatal "$how: the Ondrel window did not appear"
    click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
    click "$DESKTOP_X" "$DESKTOP_Y"
    click "$START_X" "$START_Y"
    check "HOME $how: the song arrives on the Desktop of the home in the user database" \
        wait_until 120 test -s "$home/Desktop/song.mp4"
    # The button is disabled until the batch ends and then closes the program.
    press_finish() {
        click "$START_X" "$START_Y"
        wait_until 2 is_not_running "$ondrel"
    }
    is_not_running() { ! kill -0 "$1" 2>/dev/null; }
    if ! wait_until 120 press_finish; then
        fail "HOME $how: the program does not end on FINISH; it said: $(cat "$work/ondrel-$how.log")"
        kill -KILL "$ondrel"
    fi
    wait "$ondrel"
    check "HOME $how: the program ends with status 0" [ $? -eq 0 ]
    check "HOME $how: the setting is saved in the home from the user database" \
        grep -q '^Kdh=[12]$' "$home/.config/Zara.ini"
}

run_without_home unset
run_without_home empty
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
INNER
