#!/bin/bash
# The transfer batch onto a real FAT32 card (tests/transfer/test_fat_card_batch.cpp):
# makes the private mount namespace in which that test mounts its FAT images
# through FUSE, so that nothing outside sees them and none outlives the test.
# Usage: test_fat_card.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_fat_card.sh <build folder>}
build=$(cd "$build" && pwd)
program="$build/bin/test_fat_card_batch"
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "mounting a card needs root"
command -v unshare >/dev/null || skip "unshare (util-linux) is missing"
[ -x "$program" ] || { echo "FAIL: $program is not built"; exit 1; }
unshare -m --propagation private true 2>/dev/null || skip "no private mount namespace here"
# shellcheck source=tests/scripts/fat.sh
source "$scripts/fat.sh"
if reason=$(fat_missing); then skip "$reason"; fi
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"

work=$(mktemp -d /tmp/ondrel-fat-card.XXXXXX)
trap 'rm -rf "$work"' EXIT
clean_environment "$work"
export QT_QPA_PLATFORM=offscreen ONDREL_FAT_CARDS=1
unshare -m --propagation private "$program" "${@:2}"
