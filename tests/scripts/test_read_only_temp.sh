#!/bin/bash
# TEMP on a read-only volume: mounts a small tmpfs with a stale song.mp4,
# remounts it read-only inside a private mount namespace, so nothing outside
# this test sees it, and runs the read-only-TEMP batch test against it.
# Usage: test_read_only_temp.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_read_only_temp.sh <build folder>}
program="$build/bin/test_temp_on_read_only_volume"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: mounting a read-only folder needs root"
    exit 77
fi
if ! command -v unshare >/dev/null; then
    echo "SKIP: unshare (util-linux) is missing"
    exit 77
fi
if [ ! -x "$program" ]; then
    echo "FAIL: $program is not built"
    exit 1
fi
if ! unshare -m --propagation private true 2>/dev/null; then
    echo "SKIP: no private mount namespace here"
    exit 77
fi

temp=$(mktemp -d) || { echo "FAIL: no temporary folder"; exit 1; }
trap 'rmdir "$temp" 2>/dev/null' EXIT

# The inner script gets its paths as arguments, so nothing in them is re-read as code.
# shellcheck disable=SC2016
unshare -m --propagation private bash -c '
    set -e
    mount -t tmpfs -o size=1m ondrel-temp "$1"
    echo stale > "$1/song.mp4"
    mount -o remount,ro "$1"
    ONDREL_READ_ONLY_TEMP="$1" QT_QPA_PLATFORM=offscreen "$2"
' read-only-temp "$temp" "$program"
exit $?
