#!/bin/bash
# TEMP shared with another user, as /tmp is (tests/transfer/test_shared_temp_batch.cpp):
# makes the second user when it is missing, and a folder anyone may write in,
# with the sticky bit, where that user's files stand beside the program's.
# Usage: test_shared_temp.sh <build folder>. Exit 77: cannot run here.
set -u

build=${1:?usage: test_shared_temp.sh <build folder>}
build=$(cd "$build" && pwd)
program="$build/bin/test_shared_temp_batch"
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
other=ondrel-other

# shellcheck source=tests/scripts/needs.sh
source "$(dirname "${BASH_SOURCE[0]}")/needs.sh"
need_root "making a second user"
need_tools util-linux setpriv
need_built "$build/bin" test_shared_temp_batch
if ! id -u "$other" >/dev/null 2>&1; then
    command -v useradd >/dev/null || skip "useradd (passwd) is missing"
    # Another test may be making it at the same moment: what counts is that it exists.
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
        "$other" 2>/dev/null || id -u "$other" >/dev/null 2>&1 ||
        skip "cannot make the user $other"
fi
# shellcheck source=tests/scripts/environment.sh
source "$scripts/environment.sh"

work=$(mktemp -d /tmp/ondrel-shared-temp.XXXXXX)
trap 'rm -rf "$work"' EXIT
clean_environment "$work/env"
# The shared folder must be reachable by the other user: /tmp itself is, the
# test's own folders are the program's alone.
chmod 0755 "$work"
mkdir "$work/shared" && chmod 1777 "$work/shared"
export QT_QPA_PLATFORM=offscreen ONDREL_OTHER_USER="$other" ONDREL_SHARED_TEMP="$work/shared"
"$program" "${@:2}"
