#!/usr/bin/env bash
# Runs every test: the host tree's, then the win32 tree's under Wine in a virtual X display.
set -u
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"

ctest --test-dir "$build/native" --output-on-failure
native=$?

. "$here/wine-env.sh" "$build/win32/wine"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    # A persistent server with its services started here, not by a test: a service started by a test
    # would inherit the test output pipe and keep ctest waiting for it to close.
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ctest --test-dir "$1" --output-on-failure --timeout 300
    rc=$?
    wineserver -k
    exit $rc' bash "$build/win32"
win32=$?

[ $native -eq 0 ] && [ $win32 -eq 0 ]
