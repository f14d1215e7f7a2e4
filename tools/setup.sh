#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root or through sudo) and builds
# Ondrel into the given folder. Sourced by ./run and ./test.
#   setup_packages PACKAGE...   install the packages not yet installed
#   build_ondrel BUILD_DIR [CMAKE OPTIONS...]
set -euo pipefail

ONDREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the program needs (GLib marks its desktop entries
# as trusted).
ONDREL_RUN_PACKAGES=(cmake g++ make qt6-base-dev libgl-dev ffmpeg fonts-dejavu-core pkg-config
                     libglib2.0-dev)
# What the whole test suite needs on top: a real X server, clicks, a window
# manager for the close box, FAT32 cards (images made and checked by
# dosfstools, mounted through FUSE by fusefat), timing, and MinGW + Wine for
# the Windows platform layer. The Windows download: its FFmpeg built from
# Debian's source packages (dpkg-dev, nasm, MinGW's -win32 C compiler and its
# binutils; packaging/windows/build-ffmpeg), its installer made by wixl and
# read back by msitools.
ONDREL_TEST_PACKAGES=(xvfb xauth xdotool openbox wmctrl x11-utils imagemagick dosfstools fuse
                      fusefat time util-linux g++-mingw-w64-x86-64 wine64 libglib2.0-bin
                      desktop-file-utils appstream dpkg-dev lintian nasm
                      gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wixl msitools)
# The fuzz targets (tests/fuzz/run): clang with libFuzzer and the sanitizers.
ONDREL_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

setup_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        "${missing[@]}" >/dev/null
}

build_ondrel() {
    local build_dir="$1"
    shift
    cmake -S "$ONDREL_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$build_dir" -j"$(nproc)"
}
