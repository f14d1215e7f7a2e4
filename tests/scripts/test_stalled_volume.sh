#!/bin/bash
# Volumes whose server stopped answering, sorting before the card, neither
# hide the card nor freeze the window. Three FAT32 volumes through FUSE whose
# daemons are stopped (SIGSTOP, as a FUSE or network server that hangs), then
# a tmpfs card, all below /media inside a private mount namespace. The real
# Ondrel under Xvfb with a window manager and a fake converter:
#  1. START!, then "About this software": the About window opens while the
#     search waits on the silent volumes, and the song arrives on the card;
#  2. START!, then the close box: the program ends during the search, with
#     the setting saved and no converter started.
# Usage: test_stalled_volume.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_stalled_volume.sh <build folder>}
build=$(cd "$build" && pwd)
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_root "mounting volumes"
need_tools "xvfb xdotool openbox wmctrl x11-utils util-linux" \
    Xvfb xdotool openbox wmctrl xdpyinfo unshare
need_built "$build/bin" Ondrel fake_converter
need_mount_namespace
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
if reason=$(fat_missing); then
    skip "no FUSE volume can be made: $reason"
fi

work=$(mktemp -d /tmp/ondrel-stalled-test.XXXXXX)
# Byte order puts the silent volumes before the card.
stalled="/media/ondrel-stalled-$$"
card="/media/ondrel-z-card-$$"
mkdir -p "$stalled-1" "$stalled-2" "$stalled-3" "$card"
trap 'rm -rf "$work"; rmdir "$stalled-1" "$stalled-2" "$stalled-3" "$card" 2>/dev/null' EXIT

program="$work/program"
mkdir -p "$program" "$work/music"
cp "$build/bin/Ondrel" "$program/Ondrel"
cp "$build/bin/fake_converter" "$program/ffmpeg.exe"
cp "$build/bin/fake_converter" "$program/kdh.exe"
echo "not really music" >"$work/music/song.mp3"

unshare -m --propagation private bash -s -- "$work" "$program" "$stalled" "$card" "$scripts" \
    <<'INNER'
set -u
work=$1 program=$2 stalled=$3 card=$4 scripts=$5
fatal() { echo "FAIL: $*"; exit 1; }
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
clean_environment "$work/env"

pids=()
daemons=()
cleanup() {
    {
        for pid in "${pids[@]}"; do kill -KILL "$pid"; done
        # A stopped daemon still dies of SIGKILL; its volume then fails every
        # question and can go.
        for pid in "${daemons[@]}"; do kill -KILL "$pid"; done
        for number in 1 2 3; do umount -l "$stalled-$number"; done
        umount "$card"
        wait
    } 2>/dev/null
}
trap cleanup EXIT

for number in 1 2 3; do
    fat_make "$work/stalled-$number.img" 40 || fatal "cannot make FAT image $number"
    fat_mount "$work/stalled-$number.img" "$stalled-$number" || fatal "cannot mount volume $number"
    daemons+=("$FAT_PID")
    kill -STOP "$FAT_PID"
done
# The volumes really do not answer: a look at one waits for the daemon.
stat "$stalled-1/private/ds" >/dev/null 2>&1 &
look=$!
waits_for_daemon() { grep -qs request_wait_answer "/proc/$look/wchan"; }
answered() { ! kill -0 "$look" 2>/dev/null; }
wait_until 60 waits_for_daemon || answered || fatal "nothing waits for the stopped FUSE daemon"
answered && fatal "the stopped FUSE volume still answers"
{ kill -KILL "$look" && wait "$look"; } 2>/dev/null
mount -t tmpfs -o size=1m ondrel-card "$card" || fatal "cannot mount the card"
mkdir -p "$card/private/ds"

start_display "$work/env" || fatal "Xvfb did not start"
pids+=("$XVFB_PID")
start_window_manager "$work/env" || fatal "the window manager did not start"
pids+=("$WM_PID")

START_X=72 START_Y=364  # Command1: 8, 336, 129 x 57
ABOUT_X=328 ABOUT_Y=376 # Command2: 224, 360, 209 x 33
is_not_running() { ! kill -0 "$1" 2>/dev/null; }
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

ondrel=
window=
start_ondrel() {
    rm -f "$program/calls"
    "$program/Ondrel" "$work/music/song.mp3" >"$work/ondrel-$1.log" 2>&1 &
    ondrel=$!
    pids+=("$ondrel")
    found_window() { window=$(visible '^Ondrel$'); [ -n "$window" ]; }
    wait_until 60 found_window || fatal "$1: the Ondrel window did not appear"
}
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# The window manager may still be placing the window when it first shows: a
# press that went nowhere is given again until the search has begun, which
# shows as the program's own thread blocked on a silent volume or, fixed, as
# a thread of its own there. Presses on the disabled button do nothing.
searching() {
    grep -qs 'request_wait_answer\|fuse' /proc/"$ondrel"/task/*/wchan ||
        grep -qs 'fuse' /proc/"$ondrel"/task/*/stack
}
press_start() {
    click "$START_X" "$START_Y"
    wait_until 5 searching
}

# 1. The window answers while the volumes do not, and the card is found.
start_ondrel about
wait_until 60 press_start || fatal "about: START! did not begin the search"
about=
open_about() {
    click "$ABOUT_X" "$ABOUT_Y"
    about=$(visible '^About this software\.$')
    [ -n "$about" ]
}
check "about: the About window opens while the search waits" wait_until 60 open_about
[ -n "$about" ] && wmctrl -i -c "$about"
check "about: the card is found past the silent volumes" \
    wait_until 120 test -s "$card/Music/song.mp4"
press_finish() {
    click "$START_X" "$START_Y"
    wait_until 2 is_not_running "$ondrel"
}
check "about: FINISH ends the program" wait_until 120 press_finish

# 2. The close box works during the search.
rm -rf "$card/Music" "$XDG_CONFIG_HOME/Zara.ini"
start_ondrel close
wait_until 60 press_start || fatal "close: START! did not begin the search"
close_window() {
    wmctrl -i -c "$window"
    wait_until 2 is_not_running "$ondrel"
}
check "close: the close box ends the program during the search" wait_until 60 close_window
if is_not_running "$ondrel"; then
    wait "$ondrel"
    check "close: the program ends with status 0" [ $? -eq 0 ]
fi
check "close: the setting is saved" grep -q '^Kdh=[12]$' "$XDG_CONFIG_HOME/Zara.ini"
check "close: no converter was started" [ ! -e "$program/calls" ]
check "close: nothing was written on the card" [ ! -e "$card/Music" ]

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
INNER
