# shellcheck shell=bash
# A real FAT32 card for the script tests, through FUSE (the kernel may have no
# vfat); sourced, not run. Mount only inside a private mount namespace.
#   fat_missing                  prints why FAT cards cannot be made here; false if they can
#   fat_make IMAGE MEGABYTES     a fresh FAT32 image (at least 33 MB: FAT32's least)
#   fat_mount IMAGE FOLDER       mounts it read-write; sets FAT_PID (the FUSE daemon)
#   fat_unmount FOLDER           unmounts and waits until the daemon has written all and ended
#   fat_pull_out FOLDER          kills the daemon, as a card pulled out mid-write, and
#                                takes the dead mount away
#   fat_pull_out_while_read PID FILE DAEMON RECORD
#                                once process PID has read from FILE, stops it, writes
#                                "POSITION SIZE" of that read to RECORD, kills the card's
#                                DAEMON and lets PID go on: a card pulled out mid-copy
#   fat_fsck IMAGE               fsck.fat -n; its report in FAT_FSCK, true when it found nothing
# fusefat's own quirk: a file truncated and rewritten in place comes out
# corrupt, while a new file renamed over an old one is fine.

# shellcheck source=tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"

fat_missing() {
    local tool
    for tool in mkfs.vfat fsck.fat fusefat fusermount; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing (packages: dosfstools fusefat fuse)"
            return 0
        fi
    done
    if [ ! -c /dev/fuse ] || ! : <>/dev/fuse 2>/dev/null; then
        echo "no usable /dev/fuse here"
        return 0
    fi
    return 1
}

fat_make() {
    rm -f "$1"
    truncate -s "${2}M" "$1" && mkfs.vfat -F 32 -n DSCARD "$1" >/dev/null
}

fat_mounted() { findmnt -rn -o FSTYPE --mountpoint "$1" 2>/dev/null | grep -q '^fuse'; }

fat_mount() {
    local image=$1 folder=$2
    mkdir -p "$folder"
    # fusefat talks about the volume on its standard output.
    fusefat -o rw+ "$image" "$folder" >/dev/null 2>&1 || return 1
    wait_until 60 fat_mounted "$folder" || return 1
    FAT_PID=$(fat_daemon "$image")
    [ -n "$FAT_PID" ]
}

# The fusefat process serving IMAGE.
fat_daemon() {
    local pid command
    for pid in $(pgrep -x fusefat); do
        command=$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null) || continue
        grep -qxF -- "$1" <<<"$command" && echo "$pid"
    done
    return 0
}

fat_wait_gone() { wait_until 60 is_not_running "$1"; }

fat_unmount() {
    local pid=${FAT_PID:-}
    fusermount -u "$1" 2>/dev/null || umount "$1" || return 1
    [ -z "$pid" ] || fat_wait_gone "$pid"
}

fat_pull_out() {
    local pid=${FAT_PID:?no FAT card mounted}
    kill -KILL "$pid"
    fat_wait_gone "$pid" || return 1
    umount -l "$1" 2>/dev/null || fusermount -u -z "$1"
}

fat_pull_out_while_read() {
    local pid=$1 file=$2 daemon=$3 record=$4 fd info position
    local deadline=$((SECONDS + 120))
    while [ "$SECONDS" -lt "$deadline" ]; do
        for fd in /proc/"$pid"/fd/*; do
            [ "$(readlink "$fd" 2>/dev/null)" = "$file" ] || continue
            info=/proc/$pid/fdinfo/${fd##*/}
            position=$(sed -n 's/^pos:[[:space:]]*//p' "$info" 2>/dev/null)
            [ "${position:-0}" -gt 0 ] || continue
            kill -STOP "$pid"
            # A stop takes hold once the write under way has returned.
            until grep -q '^State:[[:space:]]*T' "/proc/$pid/status"; do sleep 0.01; done
            position=$(sed -n 's/^pos:[[:space:]]*//p' "$info")
            echo "$position $(stat -c %s "$file")" >"$record"
            kill -KILL "$daemon"
            kill -CONT "$pid"
            return 0
        done
    done
    return 1
}

fat_fsck() {
    # shellcheck disable=SC2034 # read by the sourcing test
    FAT_FSCK=$(fsck.fat -n "$1" 2>&1)
}
