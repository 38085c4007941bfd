#!/usr/bin/env bash
# Runs a program of the Windows trees ($2, e.g. hyperlink_benchmark, with the arguments after it) under
# Wine in a virtual display: the 64-bit tree's, and the 32-bit tree's where the host runs 32-bit programs.
set -u
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
# xvfb-run is a plain shell script that passes no shell functions on: the command sources them itself.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    build="$1" here="$2" program="$3"
    shift 3
    . "$here/wine-env.sh" "$build/wine"
    # The services started here with their output going nowhere: started by the probe or a program, they
    # would inherit its output pipe and keep the reader waiting.
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    probe_win32
    trees=win64
    [ -n "$win32_not_run" ] || trees="win64 win32"
    status=0
    for tree in $trees; do
        echo "== $tree $program"
        wine "$build/$tree/bin/$program.exe" "$@" || status=1
    done
    wineserver -k
    [ -z "$win32_not_run" ] || echo "The 32-bit $program was not run: $win32_not_run."
    exit $status' bash "$build" "$here" "$2" "${@:3}"
