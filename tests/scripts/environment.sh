# shellcheck shell=bash
# The environment every script test runs in, whatever the caller's holds;
# sourced, not run.
#   clean_environment FOLDER   HOME, XDG folders, TEMP and TMPDIR inside FOLDER
#                              (created), a UTF-8 C locale, no display, no
#                              platform plugin and no Qt or toolkit overrides
#   start_display FOLDER       an Xvfb of its own; sets DISPLAY and XVFB_PID
#                              (tools/lib.sh, with the waits)
#   start_window_manager FOLDER  openbox on that display; sets WM_PID
# A test that needs an X display calls start_display after clean_environment;
# nothing is inherited from the caller's session.

# shellcheck source=tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"

clean_environment() {
    local folder=$1
    mkdir -p "$folder/home" "$folder/config" "$folder/data" "$folder/cache" "$folder/state" \
        "$folder/temp" "$folder/tmp"
    mkdir -p "$folder/runtime" && chmod 700 "$folder/runtime"
    export HOME="$folder/home"
    export XDG_CONFIG_HOME="$folder/config" XDG_DATA_HOME="$folder/data"
    export XDG_CACHE_HOME="$folder/cache" XDG_STATE_HOME="$folder/state"
    export XDG_RUNTIME_DIR="$folder/runtime"
    export XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/local/share:/usr/share
    export TEMP="$folder/temp" TMPDIR="$folder/tmp"
    export LC_ALL=C.UTF-8 LANG=C.UTF-8
    unset LANGUAGE LC_CTYPE LC_MESSAGES TMP
    # A display, a session or a toolkit setting of the caller's would decide
    # where windows go and how they look.
    unset DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME \
        QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
        QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_PLUGIN_PATH QT_LOGGING_RULES \
        DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP XDG_SESSION_TYPE DESKTOP_SESSION \
        WINEPREFIX WINEDEBUG
}

has_window_manager() { wmctrl -m >/dev/null 2>&1; }

start_window_manager() {
    local folder=$1
    openbox >"$folder/openbox.log" 2>&1 &
    WM_PID=$!
    wait_until_or_gone 60 "$WM_PID" has_window_manager
}
