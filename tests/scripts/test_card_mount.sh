#!/bin/bash
# The real drive list finds a card mounted below /media. Mounts a small card
# with private/ds inside a private mount namespace, so nothing outside this
# test sees it, and runs the card-mount window test against it: once a tmpfs,
# once a FAT32 card through FUSE (checked with fsck afterwards), each also with
# another volume mounted at its Music folder, which must be refused.
# Usage: test_card_mount.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_card_mount.sh <build folder>}
program="$build/bin/test_mounted_card"
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

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

# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"

work=$(mktemp -d /tmp/ondrel-card-mount.XXXXXX)
mountPoint="/media/ondrel-card-test-$$"
mkdir -p "$mountPoint" || { echo "FAIL: cannot create $mountPoint"; exit 1; }
trap 'rmdir "$mountPoint" 2>/dev/null; rm -rf "$work"' EXIT
clean_environment "$work"
export QT_QPA_PLATFORM=offscreen

cards=(tmpfs)
if reason=$(fat_missing); then
    echo "SKIP: the FAT32 card ($reason)"
else
    cards+=(fat)
fi

status=0
for card in "${cards[@]}"; do
    # The inner script gets its paths as arguments, so nothing in them is re-read as code.
    # shellcheck disable=SC2016
    unshare -m --propagation private bash -c '
        set -e
        source "$4/fat.sh"
        if [ "$3" = fat ]; then
            fat_make "$5/card.img" 40
            fat_mount "$5/card.img" "$1"
        else
            mount -t tmpfs -o size=1m ondrel-card "$1"
        fi
        mkdir -p "$1/private/ds"
        ONDREL_CARD_MOUNT="$1" "$2" mountedCardIsFoundUnderItsLetter || exit
        # Another volume mounted at the card'"'"'s Music: the songs would not land on the card.
        mount -t tmpfs -o size=1m ondrel-elsewhere "$1/Music"
        ONDREL_CARD_MOUNT="$1" ONDREL_MUSIC_MOUNTED=1 "$2" musicOnAnotherVolumeIsRefused || exit
        umount "$1/Music"
        if [ "$3" = fat ]; then
            fat_unmount "$1"
            fat_fsck "$5/card.img" || { echo "FAIL: fsck.fat: $FAT_FSCK"; exit 1; }
        fi
    ' card-mount "$mountPoint" "$program" "$card" "$scripts" "$work" || status=1

    # The card lived only in the namespace: the folder must be empty again.
    if [ -n "$(ls -A "$mountPoint" 2>/dev/null)" ]; then
        echo "FAIL: $mountPoint was written outside the namespace"
        exit 1
    fi
done
exit $status
