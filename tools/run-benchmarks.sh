#!/usr/bin/env bash
# Runs every benchmark program of the win32 tree under Wine in a virtual display.
set -u
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$build/win32/wine"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wineserver -p
    status=0
    for benchmark in "$1"/win32/bin/*_benchmark.exe; do
        echo "== $(basename "$benchmark" .exe)"
        wine "$benchmark" || status=1
    done
    wineserver -k
    exit $status' bash "$build"
