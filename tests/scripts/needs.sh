# shellcheck shell=bash
# What a script test needs before it starts, checked the same way in each;
# sourced, not run. What this machine cannot give ends the test with exit 77,
# which CTest reports as skipped; a program of the build that is missing is a
# failure.
#   skip REASON...                    says why, exit 77
#   need_root WHY                     skip unless run as root
#   need_tools PACKAGES TOOL...       skip unless every tool is on PATH
#   need_built FOLDER PROGRAM...      fail unless FOLDER/PROGRAM is there (built)
#   need_mount_namespace              skip unless a private mount namespace can be made

skip() {
    echo "SKIP: $*"
    exit 77
}

need_root() {
    [ "$(id -u)" -eq 0 ] || skip "$1 needs root"
}

need_tools() {
    local packages=$1 tool
    shift
    for tool do
        command -v "$tool" >/dev/null || skip "$tool is missing (packages: $packages)"
    done
}

need_built() {
    local folder=$1 program
    shift
    for program do
        [ -x "$folder/$program" ] || {
            echo "FAIL: $folder/$program is not built"
            exit 1
        }
    done
}

need_mount_namespace() {
    unshare -m --propagation private true 2>/dev/null || skip "no private mount namespace here"
}
