#!/usr/bin/env bash
# Runs the two converters, ffmpeg.exe and kdh.exe, with the command lines the
# program sends, and checks with ffprobe what they leave behind. The program
# judges a conversion by its output file alone, so most checks are about that
# file: the right streams when it worked, no file at all when it did not.
#
# Usage: test_converters.sh <build folder>
set -u

build=$(cd "${1:-build}" && pwd)
bin="$build/bin"

for tool in ffmpeg ffprobe; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
for adapter in ffmpeg.exe kdh.exe; do
    if [ ! -x "$bin/$adapter" ]; then
        echo "FAIL: $bin/$adapter is missing: build the program first"
        exit 1
    fi
done

DEFAULT_OPTIONS=(-vn -ab 128k -ar 44100)
KDH_OPTIONS=(-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s 320x240
    -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4)

work=$(mktemp -d)
media="$work/music with spaces"
out="$work/out put"
trap 'rm -rf "$work"' EXIT
mkdir -p "$media" "$out"

# shellcheck source=tests/scripts/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# --- tools -----------------------------------------------------------------

generate() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# probe FILE STREAM-SELECTOR ENTRY: one value per matching stream.
probe() {
    ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of csv=p=0 "$1"
}
stream_count() { probe "$1" "$2" codec_type | grep -c .; }
frame_rate_at_most() {
    local rate
    rate=$(probe "$1" v:0 avg_frame_rate)
    awk -v r="$rate" -v max="$2" 'BEGIN { split(r, f, "/"); exit !(f[2] > 0 && f[1] / f[2] <= max) }'
}
fails() { ! "$@"; }
# with_path FOLDERS command...: runs the command with PATH set to FOLDERS.
with_path() {
    local PATH=$1
    shift
    "$@"
}
no_file() { [ ! -e "$1" ]; }
no_partial_files() { [ -z "$(find "$1" -name '.*partial*' -print -quit)" ]; }
is_gone() { [ ! -e "/proc/$1" ] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }
mentions() { grep -qi -- "$2" "$1"; }

run_default() { "$bin/ffmpeg.exe" "${DEFAULT_OPTIONS[@]}" -i "$1" "$2" 2>"$work/stderr"; }
run_kdh() { "$bin/kdh.exe" "${KDH_OPTIONS[@]}" -i "$1" "$2" 2>"$work/stderr"; }

# --- sources ---------------------------------------------------------------

generate -f lavfi -i sine=frequency=440:duration=2 "$media/song.mp3"
generate -f lavfi -i testsrc=size=640x480:rate=60:duration=2 -f lavfi -i sine=duration=2 \
    -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$media/clip.mp4"
generate -i "$media/clip.mp4" -c copy "$media/clip.mkv"
# An MP3 with its cover picture: a picture stream that is no video.
generate -f lavfi -i testsrc=size=64x64:duration=1 -frames:v 1 "$work/cover.png"
generate -f lavfi -i sine=duration=2 -i "$work/cover.png" -map 0 -map 1 -c:v mjpeg \
    -disposition:v attached_pic "$media/covered.mp3"
echo "this is no sound" >"$media/notes.mp3"

# --- default mode ----------------------------------------------------------

test_default_mode() {
    check "default: an mp3 converts" run_default "$media/song.mp3" "$out/song.mp4"
    check "default: sound is aac" [ "$(probe "$out/song.mp4" a:0 codec_name)" = aac ]
    check "default: AAC profile is LC" [ "$(probe "$out/song.mp4" a:0 profile)" = LC ]
    check "default: 44100 Hz" [ "$(probe "$out/song.mp4" a:0 sample_rate)" = 44100 ]
    check "default: container is MP4" mentions <(ffprobe -v error -show_entries \
        format=format_name -of csv=p=0 "$out/song.mp4") mp4
    check "default: mp3 gives no video" [ "$(stream_count "$out/song.mp4" v)" = 0 ]

    check "default: a video converts" run_default "$media/clip.mp4" "$out/clip.mp4"
    check "default: video is dropped" [ "$(stream_count "$out/clip.mp4" v)" = 0 ]
    check "default: video's sound kept" [ "$(probe "$out/clip.mp4" a:0 sample_rate)" = 44100 ]
    check "default: no partial files left" no_partial_files "$out"
}

# --- KDH mode --------------------------------------------------------------

test_kdh_mode() {
    check "kdh: an mp3 converts" run_kdh "$media/song.mp3" "$out/kdh song.mp4"
    check "kdh: sound is aac" [ "$(probe "$out/kdh song.mp4" a:0 codec_name)" = aac ]
    check "kdh: 48000 Hz" [ "$(probe "$out/kdh song.mp4" a:0 sample_rate)" = 48000 ]
    check "kdh: 2 channels from a mono source" [ "$(probe "$out/kdh song.mp4" a:0 channels)" = 2 ]
    check "kdh: mp3 gives no video" [ "$(stream_count "$out/kdh song.mp4" v)" = 0 ]

    check "kdh: a video converts" run_kdh "$media/clip.mkv" "$out/kdh clip.mp4"
    check "kdh: video is h264" [ "$(probe "$out/kdh clip.mp4" v:0 codec_name)" = h264 ]
    check "kdh: video is 320x240" [ "$(probe "$out/kdh clip.mp4" v:0 width,height)" = 320,240 ]
    check "kdh: 60 fps source capped at 30" frame_rate_at_most "$out/kdh clip.mp4" 30
    check "kdh: video's sound is aac 48000 Hz" \
        [ "$(probe "$out/kdh clip.mp4" a:0 codec_name,sample_rate)" = aac,48000 ]

    check "kdh: mp3 with cover art converts" run_kdh "$media/covered.mp3" "$out/covered.mp4"
    check "kdh: cover art is no video" [ "$(stream_count "$out/covered.mp4" v)" = 0 ]
    check "kdh: no partial files left" no_partial_files "$out"
}

# --- failed conversions leave no output ------------------------------------

test_failures() {
    check "not media: exit code non-zero" fails run_default "$media/notes.mp3" "$out/notes.mp4"
    check "not media: no output file" no_file "$out/notes.mp4"
    check "not media: reason on stderr" [ -s "$work/stderr" ]
    check "not media (kdh): exit code non-zero" fails run_kdh "$media/notes.mp3" "$out/notes.mp4"
    check "not media (kdh): no output file" no_file "$out/notes.mp4"

    check "missing source: exit code non-zero" fails run_default "$media/absent.mp3" "$out/absent.mp4"
    check "missing source: no output file" no_file "$out/absent.mp4"

    # An output left by an earlier run would pass for this run's result.
    cp "$out/song.mp4" "$out/stale.mp4"
    check "older output: failure reported" fails run_default "$media/notes.mp3" "$out/stale.mp4"
    check "older output: removed" no_file "$out/stale.mp4"

    check "missing output folder: exit code non-zero" \
        fails run_default "$media/song.mp3" "$work/no such folder/song.mp4"
    check "missing output folder: reason on stderr" mentions "$work/stderr" "no such folder"
    check "failures: no partial files left" no_partial_files "$out"
}

# --- sources and outputs that are not what they seem ------------------------

# refused_at_once ADAPTER SOURCE OUTPUT: the adapter fails on its own, well
# within the limit; a conversion that blocks or reads for ever runs into the
# limit instead.
refused_at_once() {
    local options=("${DEFAULT_OPTIONS[@]}")
    [ "$1" = kdh.exe ] && options=("${KDH_OPTIONS[@]}")
    timeout -k 5 30 "$bin/$1" "${options[@]}" -i "$2" "$3" 2>"$work/stderr"
    local status=$?
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] && [ "$status" -ne 137 ]
}

test_unusual_sources() {
    mkfifo "$media/pipe.mp3"
    check "FIFO source: refused at once" refused_at_once ffmpeg.exe "$media/pipe.mp3" \
        "$out/pipe.mp4"
    check "FIFO source: reason on stderr" mentions "$work/stderr" "not a regular file"
    check "FIFO source: no output file" no_file "$out/pipe.mp4"
    check "FIFO source (kdh): refused at once" refused_at_once kdh.exe "$media/pipe.mp3" \
        "$out/pipe.mp4"

    ln -s /dev/zero "$media/zero.mp3"
    check "link to /dev/zero: refused at once" refused_at_once ffmpeg.exe "$media/zero.mp3" \
        "$out/zero.mp4"
    check "link to /dev/zero: no output file" no_file "$out/zero.mp4"
    check "link to /dev/zero (kdh): refused at once" refused_at_once kdh.exe "$media/zero.mp3" \
        "$out/zero.mp4"

    check "folder source: refused at once" refused_at_once ffmpeg.exe "$media" "$out/media.mp4"
    check "folder source: no output file" no_file "$out/media.mp4"

    # A link to a regular file is what a user's music folder often holds.
    ln -s "$media/song.mp3" "$media/linked.mp3"
    check "link to a song: converts" run_default "$media/linked.mp3" "$out/linked.mp4"
    check "link to a song: output written" [ -s "$out/linked.mp4" ]
}

test_output_is_source() {
    local same="$out/same.mp4"
    cp "$media/clip.mp4" "$same"
    cp "$same" "$work/same.original"
    check "output is the source: refused" fails run_default "$same" "$same"
    check "output is the source: reason on stderr" mentions "$work/stderr" "same file"
    check "output is the source: file unchanged" cmp -s "$same" "$work/same.original"
    check "output is the source (kdh): refused" fails run_kdh "$same" "$same"
    check "output is the source (kdh): file unchanged" cmp -s "$same" "$work/same.original"

    # The same file under other names: the identity decides, not the text.
    check "source by another path: refused" fails run_default "$out/../out put/same.mp4" "$same"
    check "source by another path: file unchanged" cmp -s "$same" "$work/same.original"
    ln "$same" "$out/hard link.mp4"
    check "output is a hard link of the source: refused" \
        fails run_default "$same" "$out/hard link.mp4"
    check "hard link: both names unchanged" cmp -s "$out/hard link.mp4" "$work/same.original"
    ln -s "$same" "$out/soft link.mp4"
    check "output is a symbolic link to the source: refused" \
        fails run_default "$same" "$out/soft link.mp4"
    check "symbolic link: source unchanged" cmp -s "$same" "$work/same.original"
    check "same file: no partial files left" no_partial_files "$out"
}

# Linux takes names of up to 255 bytes; the output may use all of them.
test_long_names() {
    local long
    long=$(printf 'n%.0s' $(seq 251))
    check "255-byte output name: converts" run_default "$media/song.mp3" "$out/$long.mp4"
    check "255-byte output name: output written" [ -s "$out/$long.mp4" ]
    long=$(printf 'k%.0s' $(seq 233))
    check "237-byte output name (kdh): converts" run_kdh "$media/song.mp3" "$out/$long.mp4"
    check "237-byte output name (kdh): output written" [ -s "$out/$long.mp4" ]
    check "long names: no partial files left" no_partial_files "$out"
}

# --- argument lists of another form ----------------------------------------

refuses() { # refuses <adapter> <arguments...>: non-zero, a message, no output.
    local adapter=$1
    shift
    rm -f "$out/wrong.mp4"
    ! "$bin/$adapter" "$@" 2>"$work/stderr" && [ -s "$work/stderr" ] && [ ! -e "$out/wrong.mp4" ]
}

test_argument_forms() {
    local src="$media/song.mp3" dst="$out/wrong.mp4"
    check "no arguments refused" refuses ffmpeg.exe
    check "missing -i refused" refuses ffmpeg.exe "${DEFAULT_OPTIONS[@]}" "$src" "$dst"
    check "extra option refused" refuses ffmpeg.exe "${DEFAULT_OPTIONS[@]}" -y -i "$src" "$dst"
    check "options after -i refused" refuses ffmpeg.exe -i "$src" "${DEFAULT_OPTIONS[@]}" "$dst"
    check "options in another order refused" \
        refuses ffmpeg.exe -ar 44100 -vn -ab 128k -i "$src" "$dst"
    check "missing output refused" refuses ffmpeg.exe "${DEFAULT_OPTIONS[@]}" -i "$src"
    check "kdh.exe refuses the default list" refuses kdh.exe "${DEFAULT_OPTIONS[@]}" -i "$src" "$dst"
    check "ffmpeg.exe refuses the kdh list" refuses ffmpeg.exe "${KDH_OPTIONS[@]}" -i "$src" "$dst"
    check "kdh.exe missing -f mp4 refused" \
        refuses kdh.exe "${KDH_OPTIONS[@]:0:22}" -i "$src" "$dst"
    check "message names the accepted form" mentions "$work/stderr" "-i <source> <output>"
}

# --- finding ffmpeg ---------------------------------------------------------

test_ffmpeg_search() {
    local system_ffmpeg links="$work/links"
    system_ffmpeg=$(dirname "$(command -v ffmpeg)")
    mkdir -p "$links"
    ln -s "$bin/ffmpeg.exe" "$links/ffmpeg"

    check "no ffmpeg on PATH: refused" fails with_path "$work/empty" run_default "$media/song.mp3" \
        "$out/nopath.mp4"
    check "no ffmpeg on PATH: message" mentions "$work/stderr" "no ffmpeg"
    check "no ffmpeg on PATH: no output file" no_file "$out/nopath.mp4"

    # An adapter reachable as "ffmpeg" must not start itself.
    check "only itself on PATH: refused" fails with_path "$links" run_default "$media/song.mp3" \
        "$out/self.mp4"
    check "only itself on PATH: message" mentions "$work/stderr" "no ffmpeg"
    check "itself first on PATH: the real one used" \
        with_path "$links:$system_ffmpeg" run_default "$media/song.mp3" "$out/self.mp4"
    check "itself first on PATH: output written" [ -s "$out/self.mp4" ]
}

# --- what the adapter makes of ffmpeg's outcome ----------------------------

# A stand-in for ffmpeg: writes FAKE_WRITES (if set) to its output, notes its
# arguments and how much it could read from standard input, exits FAKE_EXIT;
# with FAKE_HANG set it never ends instead (and says so in $FAKE_LOG.hanging).
make_fake_ffmpeg() {
    mkdir -p "$work/fake"
    cat >"$work/fake/ffmpeg" <<'FAKE'
#!/bin/bash
PATH=/usr/bin:/bin # ours holds only this folder
output=${!#}
printf '%s\n' "$@" >"$FAKE_LOG"
wc -c | tr -d ' ' >"$FAKE_LOG.stdin"
[ -n "${FAKE_WRITES:-}" ] && printf '%s' "$FAKE_WRITES" >"${output#file:}"
if [ -n "${FAKE_HANG:-}" ]; then
    : >"$FAKE_LOG.hanging"
    exec sleep 100000
fi
exit "$FAKE_EXIT"
FAKE
    chmod +x "$work/fake/ffmpeg"
}

# fake_run EXIT [WRITES]: the default adapter with the stand-in, fed some input.
fake_run() {
    echo "keys a prompt would eat" |
        FAKE_EXIT=$1 FAKE_WRITES=${2:-} FAKE_LOG="$work/fake.log" \
            with_path "$work/fake" run_default "$media/song.mp3" "$out/fake.mp4"
}

test_ffmpeg_outcome() {
    make_fake_ffmpeg
    check "ffmpeg exits 0, writes nothing: failure" fails fake_run 0
    check "ffmpeg exits 0, writes nothing: no output" no_file "$out/fake.mp4"
    check "ffmpeg fails after writing: failure" fails fake_run 3 "half a file"
    check "ffmpeg fails after writing: no output" no_file "$out/fake.mp4"
    fake_run 3 x
    check "ffmpeg fails: its exit code is passed on" [ $? -eq 3 ]
    check "ffmpeg works: success" fake_run 0 "the result"
    check "ffmpeg works: output is what it wrote" [ "$(cat "$out/fake.mp4")" = "the result" ]
    check "ffmpeg is told never to ask" grep -qx -- -nostdin "$work/fake.log"
    check "ffmpeg's standard input is empty" [ "$(cat "$work/fake.log.stdin")" = 0 ]
    check "source is read as a file, whatever its name" \
        grep -qxF -- "file:$media/song.mp3" "$work/fake.log"
    check "ffmpeg outcome: no partial files left" no_partial_files "$out"
}

# --- stopped in the middle --------------------------------------------------

# children_of PID: the processes whose parent is PID, read from /proc.
children_of() {
    local stat line fields
    for stat in /proc/[0-9]*/stat; do
        { read -r line <"$stat"; } 2>/dev/null || continue
        # The name in parentheses may hold spaces: the fields after it are
        # state, then parent.
        read -ra fields <<<"${line##*) }"
        [ "${fields[1]}" = "$1" ] && basename "$(dirname "$stat")"
    done
    return 0
}
find_child() {
    child_pid=$(children_of "$adapter_pid")
    [ -n "$child_pid" ]
}

# stop_mid_conversion SIGNAL NAME: starts a conversion that never ends (the
# stand-in ffmpeg, after writing part of a file), sends the adapter SIGNAL once
# that has happened; sets adapter_pid and child_pid.
stop_mid_conversion() {
    make_fake_ffmpeg
    FAKE_HANG=1 FAKE_EXIT=0 FAKE_WRITES="half a file" FAKE_LOG="$work/$2.log" \
        PATH="$work/fake" "$bin/ffmpeg.exe" "${DEFAULT_OPTIONS[@]}" -i "$media/song.mp3" \
        "$out/$2.mp4" 2>"$work/stderr" &
    adapter_pid=$!
    child_pid=
    wait_until 30 find_child
    wait_until 30 [ -e "$work/$2.log.hanging" ]
    kill "-$1" "$adapter_pid"
}

test_stopped() {
    local status
    stop_mid_conversion KILL killed
    check "SIGKILL: ffmpeg had started" [ -n "$child_pid" ]
    wait "$adapter_pid" 2>/dev/null
    check "SIGKILL: ffmpeg ends with the adapter" wait_until 5 is_gone "${child_pid:-0}"
    check "SIGKILL: no output file" no_file "$out/killed.mp4"

    stop_mid_conversion TERM stopped
    check "SIGTERM: ffmpeg had started" [ -n "$child_pid" ]
    wait "$adapter_pid"
    status=$?
    check "SIGTERM: exit code non-zero" [ "$status" -ne 0 ]
    check "SIGTERM: ffmpeg has ended" is_gone "${child_pid:-0}"
    check "SIGTERM: no output file" no_file "$out/stopped.mp4"
    check "SIGTERM: reason on stderr" mentions "$work/stderr" "signal"
    check "stopped: no partial files left" no_partial_files "$out"
}

# --- where the partial file needs a name ------------------------------------

# A nameless partial file is reached through /proc; on FAT (no such files) or
# without /proc it gets a name instead. Hiding /proc in a private mount
# namespace (root only) takes that road on any file system.
test_named_partial_file() {
    if [ "$(id -u)" -ne 0 ] || ! unshare -m --propagation private true 2>/dev/null; then
        echo "SKIP: named partial files (needs root and unshare)"
        return
    fi
    if grep -qa __asan_init "$bin/ffmpeg.exe"; then
        echo "SKIP: named partial files (a sanitized build cannot run without /proc)"
        return
    fi
    local folder="$work/named" long
    long=$(printf 'n%.0s' $(seq 251))
    mkdir -p "$folder"
    make_fake_ffmpeg
    unshare -m --propagation private bash -s -- "$bin" "$work" "$media" "$folder" "$long" <<'INNER'
bin=$1 work=$2 media=$3 folder=$4 long=$5
convert() { "$bin/ffmpeg.exe" -vn -ab 128k -ar 44100 -i "$1" "$2" 2>/dev/null; }
mount -t tmpfs no-proc /proc || exit 3
convert "$media/song.mp3" "$folder/song.mp4"
echo $? >"$work/named-works.status"
ls -A "$folder" >"$work/named-works.files"
convert "$media/notes.mp3" "$folder/notes.mp4"
echo $? >"$work/named-fails.status"
ls -A "$folder" >"$work/named-fails.files"
mkdir "$folder/long"
convert "$media/song.mp3" "$folder/long/$long.mp4"
echo $? >"$work/named-long.status"
ls -A "$folder/long" >"$work/named-long.files"
rm -r "$folder/long"
FAKE_HANG=1 FAKE_EXIT=0 FAKE_WRITES="half a file" FAKE_LOG="$work/named-endless.log" \
    PATH="$work/fake" "$bin/ffmpeg.exe" -vn -ab 128k -ar 44100 -i "$media/song.mp3" \
    "$folder/endless.mp4" 2>/dev/null &
adapter=$!
for _ in $(seq 100); do
    ls -A "$folder" | grep -q partial && break
    sleep 0.1
done
ls -A "$folder" >"$work/named-running.files"
kill -TERM "$adapter"
wait "$adapter"
echo $? >"$work/named-stopped.status"
ls -A "$folder" >"$work/named-stopped.files"
INNER
    if [ $? -eq 3 ]; then
        echo "SKIP: named partial files (cannot hide /proc)"
        return
    fi
    check "named: conversion works" [ "$(cat "$work/named-works.status")" = 0 ]
    check "named: only the output is left" [ "$(cat "$work/named-works.files")" = song.mp4 ]
    check "named: failure reported" [ "$(cat "$work/named-fails.status")" != 0 ]
    check "named: failure leaves nothing" [ "$(cat "$work/named-fails.files")" = song.mp4 ]
    check "named: 255-byte output name converts" [ "$(cat "$work/named-long.status")" = 0 ]
    check "named: 255-byte output name, only the output is left" \
        [ "$(cat "$work/named-long.files")" = "$long.mp4" ]
    check "named: a running conversion writes a hidden partial file" \
        grep -q '^\.endless\.mp4\.partial-......\.mp4$' "$work/named-running.files"
    check "named: stopping is reported" [ "$(cat "$work/named-stopped.status")" != 0 ]
    check "named: stopping leaves nothing" [ "$(cat "$work/named-stopped.files")" = song.mp4 ]
}

test_default_mode
test_kdh_mode
test_failures
test_unusual_sources
test_output_is_source
test_long_names
test_argument_forms
test_ffmpeg_search
test_ffmpeg_outcome
test_stopped
test_named_partial_file

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
