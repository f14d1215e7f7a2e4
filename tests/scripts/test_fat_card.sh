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

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_root "mounting a card"
need_tools util-linux unshare
need_built "$build/bin" test_fat_card_batch
need_mount_namespace
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
