#!/usr/bin/env bash
# Runs every test: the host tree's, then the win32 tree's under Wine in a virtual X display.
set -u
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"

ctest --test-dir "$build/native" --output-on-failure
native=$?

. "$here/wine-env.sh" "$build/win32/wine"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wineserver -p
    ctest --test-dir "$1" --output-on-failure --timeout 300
    rc=$?
    wineserver -k
    exit $rc' bash "$build/win32"
win32=$?

[ $native -eq 0 ] && [ $win32 -eq 0 ]
