#!/bin/bash
# Closing the real program's window while a converter runs ends the converter
# and the program, and stores the KDH setting. Runs Ondrel under Xvfb with a
# window manager (so the close box works), a card mounted in a private mount
# namespace and a fake converter that never ends.
# Usage: test_close_during_conversion.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_close_during_conversion.sh <build folder>}
build=$(cd "$build" && pwd)

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "mounting a card needs root"
for tool in Xvfb xdotool openbox wmctrl unshare; do
    command -v "$tool" >/dev/null || skip "$tool is missing (packages: xvfb xdotool openbox wmctrl)"
done
for program in Ondrel fake_converter; do
    [ -x "$build/bin/$program" ] || { echo "FAIL: $build/bin/$program is not built"; exit 1; }
done
unshare -m --propagation private true 2>/dev/null || skip "no private mount namespace here"

work=$(mktemp -d /tmp/ondrel-close-test.XXXXXX)
mountPoint="/media/ondrel-close-test-$$"
mkdir -p "$mountPoint"
trap 'rm -rf "$work"; rmdir "$mountPoint" 2>/dev/null' EXIT

program="$work/program folder"
mkdir -p "$program" "$work/home/.config" "$work/temp" "$work/music"
cp "$build/bin/Ondrel" "$program/Ondrel"
cp "$build/bin/fake_converter" "$program/ffmpeg.exe"
cp "$build/bin/fake_converter" "$program/kdh.exe"
echo hang >"$program/behaviour"
echo "not really music" >"$work/music/song.mp3"

# Everything from here runs in the namespace that holds the card.
unshare -m --propagation private bash -s -- "$work" "$program" "$mountPoint" <<'INNER'
set -u
work=$1 program=$2 mountPoint=$3
fail() { echo "FAIL: $*"; exit 1; }

mount -t tmpfs -o size=1m ondrel-card "$mountPoint" || fail "cannot mount the card"
mkdir -p "$mountPoint/private/ds"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TEMP="$work/temp"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    umount "$mountPoint" 2>/dev/null
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "the window manager did not start"

"$program/Ondrel" "$work/music/song.mp3" >"$work/ondrel.log" 2>&1 &
ondrel=$!
pids+=($ondrel)

window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Ondrel$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the Ondrel window did not appear"

# START! is Command1: 129 x 57 pixels at 8, 336 of the client area.
xdotool mousemove --window "$window" 72 364 click 1

for _ in $(seq 100); do [ -s "$program/pid" ] && break; sleep 0.1; done
[ -s "$program/pid" ] || fail "no converter was started"
converter=$(cat "$program/pid")
kill -0 "$converter" 2>/dev/null || fail "the converter is not running"

wmctrl -i -c "$window"

for _ in $(seq 100); do kill -0 "$ondrel" 2>/dev/null || break; sleep 0.1; done
kill -0 "$ondrel" 2>/dev/null && fail "Ondrel did not end after its window was closed"
wait "$ondrel"
status=$?
[ "$status" -eq 0 ] || fail "Ondrel ended with status $status"

for _ in $(seq 10); do kill -0 "$converter" 2>/dev/null || break; sleep 0.1; done
kill -0 "$converter" 2>/dev/null && fail "the converter $converter still runs"
grep -q '^Kdh=[12]$' "$XDG_CONFIG_HOME/Zara.ini" || fail "the KDH setting was not stored"
[ "$(wc -l <"$program/calls")" -eq 1 ] || fail "more than one converter was started"
echo "PASS: closing during a conversion ended converter $converter and the program"
INNER
