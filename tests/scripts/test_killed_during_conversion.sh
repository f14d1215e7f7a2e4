#!/bin/bash
# The real program killed (SIGKILL) in the middle of a real conversion takes its
# converter with it: the kdh.exe adapter and the ffmpeg it runs end too,
# rather than converting on to the end for no one. Runs Ondrel under Xvfb with
# the real adapters and the system's ffmpeg, output to the Desktop; the ffmpeg
# is stopped (SIGSTOP) once it runs, so that it cannot finish on its own
# before Ondrel is killed.
# Usage: test_killed_during_conversion.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_killed_during_conversion.sh <build folder>}
build=$(cd "$build" && pwd)
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_tools "xvfb xdotool x11-utils ffmpeg procps" Xvfb xdotool xdpyinfo ffmpeg pgrep
need_built "$build/bin" Ondrel ffmpeg.exe kdh.exe

# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"

work=$(mktemp -d /tmp/ondrel-killed-test.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
clean_environment "$work/env"

program="$work/program"
mkdir -p "$program" "$work/music"
for file in Ondrel ffmpeg.exe kdh.exe; do
    cp "$build/bin/$file" "$program/$file"
done
# Half an hour of sound: seconds of conversion at least, time enough to catch
# the ffmpeg while it works.
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=440:duration=1800 \
    -ar 8000 -ac 1 -b:a 8k "$work/music/song.mp3" || { echo "FAIL: cannot make the song"; exit 1; }

start_display "$work/env" || { echo "FAIL: Xvfb did not start"; exit 1; }
pids+=("$XVFB_PID")

"$program/Ondrel" "$work/music/song.mp3" >"$work/ondrel.log" 2>&1 &
ondrel=$!
pids+=("$ondrel")
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Ondrel$' | head -n 1)
[ -n "$window" ] || { echo "FAIL: the Ondrel window did not appear"; exit 1; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click 56 256 # Check1 (16, 232, 409 x 48): to the Desktop, no card needed
click 72 364 # Command1 (8, 336, 129 x 57): START!

adapter=
converter=
found_ffmpeg() {
    # kdh.exe: KDH mode is on when nothing is stored.
    adapter=$(pgrep -P "$ondrel" -x kdh.exe | head -n 1)
    [ -n "$adapter" ] || return 1
    converter=$(pgrep -P "$adapter" -x ffmpeg | head -n 1)
    [ -n "$converter" ]
}
if ! wait_until 120 found_ffmpeg; then
    echo "FAIL: no ffmpeg ran under kdh.exe; Ondrel said: $(cat "$work/ondrel.log")"
    exit 1
fi
pids+=("$adapter" "$converter")
kill -STOP "$converter"
{ kill -KILL "$ondrel" && wait "$ondrel"; } 2>/dev/null

# Gone, or ended and waiting only to be reaped by whoever adopted it.
has_ended() {
    ! kill -0 "$1" 2>/dev/null || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}
check "the adapter $adapter ends with Ondrel" wait_until 60 has_ended "$adapter"
check "the ffmpeg $converter ends with its adapter" wait_until 60 has_ended "$converter"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
