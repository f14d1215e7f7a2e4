#!/bin/bash
# Closing the real program's window while a converter runs ends the converter
# and the program, and stores the KDH setting. Runs Ondrel under Xvfb with a
# window manager (so the close box works), a card mounted in a private mount
# namespace and a fake converter that never ends; once with a tmpfs card and
# once with a FAT32 card through FUSE (checked with fsck afterwards).
# Usage: test_close_during_conversion.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_close_during_conversion.sh <build folder>}
build=$(cd "$build" && pwd)
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_root "mounting a card"
need_tools "xvfb xdotool openbox wmctrl x11-utils util-linux" \
    Xvfb xdotool openbox wmctrl xdpyinfo unshare
need_built "$build/bin" Ondrel fake_converter
need_mount_namespace

work=$(mktemp -d /tmp/ondrel-close-test.XXXXXX)
mountPoint="/media/ondrel-close-test-$$"
mkdir -p "$mountPoint"
trap 'rm -rf "$work"; rmdir "$mountPoint" 2>/dev/null' EXIT

program="$work/program folder"
mkdir -p "$program" "$work/music"
cp "$build/bin/Ondrel" "$program/Ondrel"
cp "$build/bin/fake_converter" "$program/ffmpeg.exe"
cp "$build/bin/fake_converter" "$program/kdh.exe"
echo "not really music" >"$work/music/song.mp3"

# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
cards=(tmpfs)
if reason=$(fat_missing); then
    echo "SKIP: the FAT32 card ($reason)"
else
    cards+=(fat)
fi

status=0
for card in "${cards[@]}"; do
    rm -f "$program/calls" "$program/pid"
    echo hang >"$program/behaviour"
    # Everything from here runs in the namespace that holds the card.
    unshare -m --propagation private bash -s -- "$work" "$program" "$mountPoint" "$card" \
        "$scripts" <<'INNER' || status=1
set -u
work=$1 program=$2 mountPoint=$3 card=$4 scripts=$5
fatal() { echo "FAIL: $card card: $*"; exit 1; }
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
clean_environment "$work/env-$card"

if [ "$card" = fat ]; then
    fat_make "$work/card.img" 40 || fatal "cannot make the FAT image"
    fat_mount "$work/card.img" "$mountPoint" || fatal "cannot mount the FAT card"
else
    mount -t tmpfs -o size=1m ondrel-card "$mountPoint" || fatal "cannot mount the card"
fi
mkdir -p "$mountPoint/private/ds"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ "$card" = fat ]; then fat_unmount "$mountPoint"; else umount "$mountPoint"; fi 2>/dev/null
}
trap cleanup EXIT

start_display "$work/env-$card" || fatal "Xvfb did not start"
pids+=("$XVFB_PID")
start_window_manager "$work/env-$card" || fatal "the window manager did not start"
pids+=("$WM_PID")

"$program/Ondrel" "$work/music/song.mp3" >"$work/ondrel.log" 2>&1 &
ondrel=$!
pids+=($ondrel)

window=""
find_window() {
    window=$(xdotool search --onlyvisible --name '^Ondrel$' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}
wait_until 60 find_window || fatal "the Ondrel window did not appear"

# START! is Command1: 129 x 57 pixels at 8, 336 of the client area. The window
# manager may still be placing the window when it first shows, so a click
# that went nowhere is given again; clicks on the disabled button do nothing.
converter_started() { [ -s "$program/pid" ]; }
click_start() {
    xdotool mousemove --window "$window" 72 364 click 1
    wait_until 5 converter_started
}
wait_until 60 click_start || fatal "no converter was started"
converter=$(cat "$program/pid")
kill -0 "$converter" 2>/dev/null || fatal "the converter is not running"

wmctrl -i -c "$window"

wait_until 60 is_not_running "$ondrel" || fatal "Ondrel did not end after its window was closed"
wait "$ondrel"
status=$?
[ "$status" -eq 0 ] || fatal "Ondrel ended with status $status"

converter_gone() { is_not_running "$converter" || grep -q '^State:[[:space:]]*Z' "/proc/$converter/status" 2>/dev/null; }
wait_until 60 converter_gone || fatal "the converter $converter still runs"
grep -q '^Kdh=[12]$' "$XDG_CONFIG_HOME/Zara.ini" || fatal "the KDH setting was not stored"
[ "$(wc -l <"$program/calls")" -eq 1 ] || fatal "more than one converter was started"
if [ "$card" = fat ]; then
    trap - EXIT
    cleanup
    fat_fsck "$work/card.img" || fatal "fsck.fat finds the card damaged: $FAT_FSCK"
fi
echo "PASS: $card card: closing during a conversion ended converter $converter and the program"
INNER
done
exit $status
