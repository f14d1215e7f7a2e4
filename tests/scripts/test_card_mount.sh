#!/bin/bash
# The real drive list finds a card mounted below /media. Mounts a small tmpfs
# with private/ds inside a private mount namespace, so nothing outside this
# test sees it, and runs the card-mount window test against it.
# Usage: test_card_mount.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_card_mount.sh <build folder>}
program="$build/bin/test_mounted_card"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: mounting a card needs root"
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

mountPoint="/media/ondrel-card-test-$$"
mkdir -p "$mountPoint" || { echo "FAIL: cannot create $mountPoint"; exit 1; }
trap 'rmdir "$mountPoint" 2>/dev/null' EXIT

# The inner script gets its paths as arguments, so nothing in them is re-read as code.
# shellcheck disable=SC2016
unshare -m --propagation private bash -c '
    set -e
    mount -t tmpfs -o size=1m ondrel-card "$1"
    mkdir -p "$1/private/ds"
    ONDREL_CARD_MOUNT="$1" QT_QPA_PLATFORM=offscreen "$2"
' card-mount "$mountPoint" "$program"
status=$?

# The tmpfs lived only in the namespace: the folder must be empty again.
if [ -n "$(ls -A "$mountPoint" 2>/dev/null)" ]; then
    echo "FAIL: $mountPoint was written outside the namespace"
    exit 1
fi
exit $status
