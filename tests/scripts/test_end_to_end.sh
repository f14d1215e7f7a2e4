#!/usr/bin/env bash
# The whole program as a user meets it: the real Ondrel with the real
# converters, in a real X server, clicked with xdotool. Three runs, each with
# an MP3 and an M4A: the default mode onto a card, KDH mode onto a card, and
# the default mode onto the Desktop. The card is a tmpfs mounted under /media
# inside a private mount namespace, so it vanishes with the test.
#
# Usage: test_end_to_end.sh <build folder>. Exit 77: cannot run here.
# ONDREL_E2E_PROGRAM_DIR runs the program of another folder (an installed
# one) instead of <build folder>/bin; ONDREL_E2E_RUNS picks runs among
# "default kdh desktop".
set -u

build=$(cd "${1:-build}" && pwd)
program_dir=${ONDREL_E2E_PROGRAM_DIR:-$build/bin}
runs=${ONDREL_E2E_RUNS:-default kdh desktop}

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"

if [ -z "${ONDREL_E2E_NAMESPACE:-}" ]; then
    need_root "mounting a card"
    need_tools "xvfb x11-utils xdotool ffmpeg util-linux" Xvfb xdpyinfo xdotool ffmpeg ffprobe unshare
    need_built "$program_dir" Ondrel ffmpeg.exe kdh.exe
    need_mount_namespace
    # Everything else runs where our mounts are private and end with us.
    ONDREL_E2E_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$build"
fi

work=$(mktemp -d /tmp/ondrel-e2e.XXXXXX)
card="/media/ondrel-e2e-card-$$"
music="$work/music"
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    unmount_card 2>/dev/null
    rmdir "$card" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/scripts/checks.sh
source "$scripts/checks.sh"
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
fatal() {
    fail "$*"
    echo "$passed passed, $failed failed"
    exit 1
}

all_exist() {
    local file
    for file in "$@"; do [ -e "$file" ] || return 1; done
}
probe() { # probe FILE STREAM-SELECTOR ENTRIES: one line per matching stream.
    ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of csv=p=0 "$1"
}
stored_kdh() { sed -n 's/^Kdh=//p' "$XDG_CONFIG_HOME/Zara.ini" 2>/dev/null; }

# --- the user's world: home, settings, temporary folder, card, display -----

clean_environment "$work/env"
mkdir -p "$music"
desktop="$HOME/Desktop"
# Written out so that the Desktop does not depend on the machine's defaults.
echo "XDG_DESKTOP_DIR=\"$desktop\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"

card_type=tmpfs
mount_card() {
    card_type=${1:-tmpfs}
    mkdir -p "$card"
    if [ "$card_type" = fat ]; then
        fat_make "$work/card.img" 40 || fatal "cannot make the FAT image"
        fat_mount "$work/card.img" "$card" || fatal "cannot mount the FAT card at $card"
    else
        mount -t tmpfs -o size=16m ondrel-e2e-card "$card" || fatal "cannot mount the card at $card"
    fi
    mkdir -p "$card/private/ds"
}
unmount_card() {
    if [ "$card_type" = fat ]; then fat_unmount "$card"; else umount "$card"; fi
}

start_display "$work/env" || fatal "Xvfb did not start"
pids+=("$XVFB_PID")

ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=440:duration=3 \
    "$music/song.mp3"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=660:duration=3 \
    -c:a aac -b:a 96k "$music/two words.m4a"
# Apple Lossless keeps the .m4a name, but no card plays it: it is converted.
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=550:duration=3 \
    -c:a alac "$music/lossless.m4a"
sources=("$music/song.mp3" "$music/two words.m4a" "$music/lossless.m4a")

# --- driving the window ------------------------------------------------------

# Centres of the controls in the client area, from their design rectangles.
START_X=72 START_Y=364 # Command1: 8, 336, 129 x 57
DESKTOP_X=56 DESKTOP_Y=256 # Check1: 16, 232, 409 x 48; on its caption's first words

window=""
ondrel=""

start_program() {
    "$program_dir/Ondrel" "${sources[@]}" >"$work/ondrel-$1.log" 2>&1 &
    ondrel=$!
    pids+=("$ondrel")
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Ondrel$' | head -n 1)
    [ -n "$window" ] || fatal "$1: the Ondrel window did not appear"
    local geometry
    geometry=$(xdotool getwindowgeometry "$window" | tr '\n' ' ')
    echo "$1: window $window, $geometry"
}

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

screenshot() {
    if command -v import >/dev/null; then
        import -window root "$build/end_to_end-$1.png" 2>/dev/null
    elif command -v xwd >/dev/null; then
        xwd -root -silent -out "$build/end_to_end-$1.xwd"
    fi
}

# The caption cannot be read from outside. The button is disabled until the
# batch ends and then closes the program, so it is pressed until the program
# has ended: a press during the batch does nothing.
finish_program() {
    screenshot "$1"
    press_finish() {
        click "$START_X" "$START_Y"
        wait_until 2 is_not_running "$ondrel"
    }
    if ! wait_until 120 press_finish; then
        fail "$1: the program does not end on FINISH"
        kill -KILL "$ondrel"
        wait "$ondrel" 2>/dev/null
        return
    fi
    pass
    wait "$ondrel"
    check "$1: the program's exit code is 0" [ $? -eq 0 ]
}

# run_batch NAME STORED_KDH [desktop]: one start of the program with the three
# sources, KDH mode as stored before, output to the card or the Desktop.
run_batch() {
    local name=$1 kdh=$2 where=${3:-card} destination
    export TEMP="$work/temp-$name"
    mkdir -p "$TEMP"
    printf '[Done]\nKdh=%s\n' "$kdh" >"$XDG_CONFIG_HOME/Zara.ini"
    destination="$card/Music"
    [ "$where" = desktop ] && destination="$desktop"

    start_program "$name"
    [ "$where" = desktop ] && click "$DESKTOP_X" "$DESKTOP_Y"
    click "$START_X" "$START_Y"
    check "$name: the three results arrive" \
        wait_until 120 all_exist "$destination/song.mp4" "$destination/two words.mp4" \
        "$destination/lossless.mp4"
    finish_program "$name"
    result_song="$destination/song.mp4"
    result_m4a="$destination/two words.mp4"
    result_lossless="$destination/lossless.mp4"
}

# --- the runs ------------------------------------------------------------------

test_default_mode_to_card() {
    mount_card
    run_batch default 1
    check "default: song.mp4 is AAC" [ "$(probe "$result_song" a:0 codec_name)" = aac ]
    check "default: song.mp4 is LC" [ "$(probe "$result_song" a:0 profile)" = LC ]
    check "default: song.mp4 is 44100 Hz" [ "$(probe "$result_song" a:0 sample_rate)" = 44100 ]
    check "default: the m4a is passed through unchanged" cmp -s "$music/two words.m4a" \
        "$result_m4a"
    check "default: the lossless m4a arrives as AAC-LC 44100 Hz" \
        [ "$(probe "$result_lossless" a:0 codec_name,profile,sample_rate)" = aac,LC,44100 ]
    check "default: TEMP holds song.mp4" test -s "$TEMP/song.mp4"
    check "default: TEMP holds the m4a's copy" cmp -s "$music/two words.m4a" \
        "$TEMP/two words.mp4"
    check "default: KDH stays off" [ "$(stored_kdh)" = 1 ]
    unmount_card
}

# The same onto a FAT32 card, which already holds the song under another case.
test_default_mode_to_fat_card() {
    mount_card fat
    mkdir -p "$card/Music"
    echo "the older song" >"$card/Music/SONG.MP4"
    run_batch fat 1
    check "fat: song.mp4 is AAC 44100 Hz" \
        [ "$(probe "$result_song" a:0 codec_name,sample_rate)" = aac,44100 ]
    check "fat: the m4a is passed through unchanged" cmp -s "$music/two words.m4a" "$result_m4a"
    check "fat: one song.mp4 of any case is left" \
        [ "$(find "$card/Music" -maxdepth 1 -iname song.mp4 | wc -l)" = 1 ]
    check "fat: the lossless m4a arrives as AAC" \
        [ "$(probe "$result_lossless" a:0 codec_name)" = aac ]
    check "fat: nothing else is left in Music" [ "$(find "$card/Music" -mindepth 1 | wc -l)" = 3 ]
    check "fat: the unmount ends the card's daemon" unmount_card
    if fat_fsck "$work/card.img"; then pass; else fail "fat: fsck.fat finds damage: $FAT_FSCK"; fi
}

test_kdh_mode_to_card() {
    mount_card
    run_batch kdh 2
    check "kdh: song.mp4 is AAC 48000 Hz 2 channels" \
        [ "$(probe "$result_song" a:0 codec_name,sample_rate,channels)" = aac,48000,2 ]
    check "kdh: the m4a is converted too" \
        [ "$(probe "$result_m4a" a:0 codec_name,sample_rate,channels)" = aac,48000,2 ]
    check "kdh: the m4a is no plain copy" fails cmp -s "$music/two words.m4a" "$result_m4a"
    check "kdh: the lossless m4a is converted" \
        [ "$(probe "$result_lossless" a:0 codec_name,sample_rate)" = aac,48000 ]
    check "kdh: TEMP holds all three" all_exist "$TEMP/song.mp4" "$TEMP/two words.mp4" \
        "$TEMP/lossless.mp4"
    check "kdh: KDH stays on" [ "$(stored_kdh)" = 2 ]
    unmount_card
}

test_default_mode_to_desktop() {
    # No card at all: the Desktop run must not look for one.
    run_batch desktop 1 desktop
    check "desktop: song.mp4 is AAC 44100 Hz" \
        [ "$(probe "$result_song" a:0 codec_name,sample_rate)" = aac,44100 ]
    check "desktop: the m4a is passed through unchanged" cmp -s "$music/two words.m4a" \
        "$result_m4a"
    check "desktop: the lossless m4a arrives as AAC" \
        [ "$(probe "$result_lossless" a:0 codec_name)" = aac ]
    check "desktop: TEMP holds all three" all_exist "$TEMP/song.mp4" "$TEMP/two words.mp4" \
        "$TEMP/lossless.mp4"
    check "desktop: KDH stays off" [ "$(stored_kdh)" = 1 ]
}

fails() { ! "$@"; }

for run in $runs; do
    case $run in
    default)
        test_default_mode_to_card
        if reason=$(fat_missing); then
            echo "SKIP: the FAT32 card ($reason)"
        else
            test_default_mode_to_fat_card
        fi
        ;;
    kdh) test_kdh_mode_to_card ;;
    desktop) test_default_mode_to_desktop ;;
    *) fatal "no run called $run" ;;
    esac
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
