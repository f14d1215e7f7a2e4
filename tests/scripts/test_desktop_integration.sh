#!/usr/bin/env bash
# Ondrel on a Linux desktop, checked with the desktops' own tools:
#  - cmake --install lays out the program folder, the menu entry, the icons,
#    the metainfo and the license, and the validators accept them;
#  - the Send To scripts of GNOME Files, Nemo and Caja, started as those file
#    managers start them (in the folder they show, with bare names), start
#    the program in its folder with exactly the files chosen;
#  - the Desktop entry, launched through GLib as GNOME's desktop launches it,
#    starts the real Ondrel from a folder full of awkward characters with songs
#    of awkward names, and a batch onto the Desktop turns each into its .mp4.
#
# Usage: test_desktop_integration.sh <build folder>. Exit 77: cannot run here.
set -u

build=$(cd "${1:-build}" && pwd)

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_tools "desktop-file-utils appstream xvfb x11-utils xdotool ffmpeg imagemagick" \
    desktop-file-validate appstreamcli Xvfb xdpyinfo xdotool ffmpeg identify
need_built "$build/bin" Ondrel ffmpeg.exe kdh.exe contract_tests record_args

work=$(mktemp -d /tmp/ondrel-desktop.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=tests/scripts/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
# shellcheck source=tests/scripts/environment.sh
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
fatal() {
    fail "$*"
    echo "$passed passed, $failed failed"
    exit 1
}

contract="$build/bin/contract_tests"
key() { sed -n "s/^$2=//p" "$1" | head -n 1; }
validates() { desktop-file-validate "$1" && [ -z "$(desktop-file-validate "$1")" ]; }
all_exist() {
    local file
    for file in "$@"; do [ -s "$file" ] || return 1; done
}

export HOME="$work/home"
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime"
unset XDG_CURRENT_DESKTOP WAYLAND_DISPLAY QT_QPA_PLATFORM TEMP
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
desktop="$HOME/Desktop"
echo "XDG_DESKTOP_DIR=\"$desktop\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"

# Names that a shell, GLib's Exec parser or a URI could take for their own.
awkward="it's \$HOME & 100% \\back\\ caf$(printf '\303\251')"

# --- the installed layout ----------------------------------------------------

test_install_layout() {
    local prefix="$work/prefix"
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        fatal "cmake --install failed: $(tail -n 3 "$work/install.log")"
    local file
    for file in lib/ondrel/Ondrel lib/ondrel/ffmpeg.exe lib/ondrel/kdh.exe; do
        check "$file is an installed program" test -x "$prefix/$file"
    done
    check "bin/ondrel is a relative link to the program" \
        [ "$(readlink "$prefix/bin/ondrel")" = ../lib/ondrel/Ondrel ]
    check "bin/ondrel leads to the program" test -x "$prefix/bin/ondrel"
    check "the license is installed" grep -q 'Permission is hereby granted' \
        "$prefix/share/doc/ondrel/copyright"
    check "the manual page is installed" test -s "$prefix/share/man/man1/ondrel.1.gz"
    local entry="$prefix/share/applications/org.ondrel.Ondrel.desktop"
    check "the menu entry passes desktop-file-validate" validates "$entry"
    check "the menu entry starts the installed command with files" \
        [ "$(key "$entry" Exec)" = "ondrel %F" ]
    check "the metainfo passes appstreamcli validate" appstreamcli validate --no-net \
        "$prefix/share/metainfo/org.ondrel.Ondrel.metainfo.xml" >/dev/null
    check "the icon's SVG is the program's" cmp -s "$prefix/share/icons/hicolor/scalable/apps/ondrel.svg" \
        "$build/bin/ondrel.svg"
    local size
    for size in 16 32 48 64 128 256; do
        check "the ${size}x$size icon has its size" [ "$(identify -format '%wx%h' \
            "$prefix/share/icons/hicolor/${size}x$size/apps/ondrel.png")" = "${size}x$size" ]
    done

    # "Open With" and the Desktop icon offer Ondrel for the same files.
    "$contract" --child save_shortcut "$work/written.desktop" "$prefix/lib/ondrel" ||
        fatal "no Desktop entry written"
    check "the menu entry takes the types the shortcuts take" \
        [ "$(key "$entry" MimeType)" = "$(key "$work/written.desktop" MimeType)" ]
    check "the menu entry takes MP3 files" grep -q '^MimeType=.*audio/mpeg;' "$entry"
}

# --- Send To scripts ------------------------------------------------------------

test_send_to_scripts() {
    local folder="$work/programs/$awkward"
    mkdir -p "$folder" "$work/music/$awkward"
    cp "$build/bin/record_args" "$folder/Ondrel"
    # As GNOME Files, Nemo and Caja run a script: in the folder they show,
    # with the selected files' bare names, and their full paths in a variable.
    local names=("two words.mp3" "$awkward.m4a")
    local files=("$work/music/$awkward/two words.mp3" "$work/music/$awkward/$awkward.m4a")
    local name variable link
    for name in GNOME X-Cinnamon MATE; do
        case $name in
        GNOME) variable=NAUTILUS_SCRIPT_SELECTED_FILE_PATHS ;;
        X-Cinnamon) variable=NEMO_SCRIPT_SELECTED_FILE_PATHS ;;
        MATE) variable=CAJA_SCRIPT_SELECTED_FILE_PATHS ;;
        esac
        link=$(XDG_CURRENT_DESKTOP="ubuntu:$name" "$contract" --child save_send_to "$folder") ||
            fatal "$name: no Send To shortcut written"
        check "$name: Send To is a script" [ "$(head -n 1 "$link")" = '#!/bin/sh' ]
        rm -f "$work/record"
        (cd "$work/music/$awkward" &&
            env "$variable=$(printf '%s\n' "${files[@]}")" ONDREL_RECORD_ARGS="$work/record" \
                "$link" "${names[@]}")
        check "$name: the script starts the program with exactly the files chosen, in its folder" \
            cmp -s "$work/record" <(printf '%s\0' "$folder" "${files[@]}")
    done
    check "MATE's script is in Caja's folder" test -x "$XDG_CONFIG_HOME/caja/scripts/Ondrel"
    check "Cinnamon's script is in Nemo's folder" test -x "$XDG_DATA_HOME/nemo/scripts/Ondrel"
}

# --- the real program through GLib's launcher ----------------------------------

START_X=72 START_Y=364     # Command1
DESKTOP_X=56 DESKTOP_Y=256 # Check1

test_desktop_entry_starts_the_real_program() {
    local folder="$work/installed/$awkward"
    mkdir -p "$folder" "$work/songs"
    cp "$build/bin/Ondrel" "$build/bin/ffmpeg.exe" "$build/bin/kdh.exe" "$build/bin/ondrel.svg" \
        "$folder/"
    local songs=("$work/songs/two words.mp3" "$work/songs/$awkward.mp3")
    local song
    for song in "${songs[@]}"; do
        ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=440:duration=2 \
            "$song" || fatal "cannot make $song"
    done
    local entry="$desktop/Ondrel.desktop"
    mkdir -p "$desktop"
    "$contract" --child save_shortcut "$entry" "$folder" || fatal "no Desktop entry written"
    check "the Desktop entry passes desktop-file-validate" validates "$entry"
    check "the Desktop entry is executable" test -x "$entry"

    start_display "$work" || fatal "Xvfb did not start"
    pids+=("$XVFB_PID")
    export TEMP="$work/temp"
    mkdir -p "$TEMP"

    local ondrel
    # Into a file: the program inherits the output, and would hold a pipe open.
    "$contract" --child launch_entry "$entry" "${songs[@]}" >"$work/launched" ||
        fatal "GLib did not launch the Desktop entry"
    ondrel=$(cat "$work/launched")
    pids+=("$ondrel")
    local window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ondrel$' | head -n 1)
    [ -n "$window" ] || fatal "the Ondrel window did not appear"
    check "the program runs in its folder" [ "$(readlink "/proc/$ondrel/cwd")" = "$folder" ]
    xdotool mousemove --window "$window" "$DESKTOP_X" "$DESKTOP_Y" click 1
    xdotool mousemove --window "$window" "$START_X" "$START_Y" click 1
    check "each song arrives on the Desktop under its own name" \
        wait_until 120 all_exist "$desktop/two words.mp4" "$desktop/$awkward.mp4"
    # FINISH is up once the last file's remaining steps have run.
    local _
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        sleep 1
        xdotool mousemove --window "$window" "$START_X" "$START_Y" click 1
        wait_until 3 is_not_running "$ondrel" && break
    done
    check "the program ends on FINISH" is_not_running "$ondrel"
}

test_install_layout
test_send_to_scripts
test_desktop_entry_starts_the_real_program

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
