#!/usr/bin/env bash
# Runs every test: the host tree's, then the Windows trees' under Wine in a virtual X display, the 64-bit
# tree's always and the 32-bit tree's where the host runs 32-bit programs (WIN32_TESTS=0: never).
set -u
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"

ctest --test-dir "$build/native" --output-on-failure
native=$?

# xvfb-run is a plain shell script that passes no shell functions on: the command sources them itself.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    . "$2/wine-env.sh" "$1/wine"
    # A persistent server with its services started here, not by a test: a service started by a test
    # would inherit the test output pipe and keep ctest waiting for it to close.
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    probe_win32
    rc=0
    if [ -z "$win32_not_run" ]; then
        ctest --test-dir "$1/win64" --output-on-failure --timeout 300 || rc=1
        ctest --test-dir "$1/win32" --output-on-failure --timeout 300 || rc=1
    else
        ctest --test-dir "$1/win64" --output-on-failure --timeout 300 --label-exclude needs32 || rc=1
        ctest --test-dir "$1/win32" --output-on-failure --label-regex nowine || rc=1
    fi
    wineserver -k
    [ -z "$win32_not_run" ] || echo "The 32-bit Windows tests were not run: $win32_not_run."
    exit $rc' bash "$build" "$here"
windows=$?

[ $native -eq 0 ] && [ $windows -eq 0 ]
