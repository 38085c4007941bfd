#!/usr/bin/env bash
# Runs a program of the Windows trees under Wine in a virtual display: the 64-bit tree's, and the 32-bit
# tree's where the host runs 32-bit programs.
#   run-per-architecture.sh [--registered] build program [arguments]
# With --registered it runs in the benchmarks' prefix (build/bench/wine, a copy of the tests' one, which
# stays unregistered) with each tree's Dravlix.ocx registered there by its own regsvr32 before its run.
set -u
registered=""
if [ "${1:-}" = --registered ]; then
    registered=1
    shift
fi
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
prefix="$build/wine"
if [ -n "$registered" ]; then
    prefix="$build/bench/wine"
    "$here/wine-prefix.sh" "$prefix" "$build/wine" || exit 1
fi
# xvfb-run is a plain shell script that passes no shell functions on: the command sources them itself.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    build="$1" here="$2" prefix="$3" registered="$4" program="$5"
    shift 5
    . "$here/wine-env.sh" "$prefix"
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
        if [ -n "$registered" ]; then
            processor=x86_64
            [ $tree = win64 ] || processor=i686
            library="$(winepath -w "$build/$tree/bin/Dravlix.ocx")"
            if ! wine "$(system_folder $processor)\\regsvr32.exe" /s "$library" </dev/null >/dev/null 2>&1; then
                echo "$library could not be registered"
                status=1
                continue
            fi
        fi
        wine "$build/$tree/bin/$program.exe" "$@" || status=1
    done
    wineserver -k
    [ -z "$win32_not_run" ] || echo "The 32-bit $program was not run: $win32_not_run."
    exit $status' bash "$build" "$here" "$prefix" "$registered" "$2" "${@:3}"
