#!/usr/bin/env bash
# Starts one of our programs ($2, e.g. Palix.exe, whose window is titled $3) in build/run, where its files
# stay between runs, with Dravlix registered in a prefix of its own (the tests' prefix stays unregistered):
# the 32-bit edition where the host runs 32-bit programs, else the 64-bit one. Without a display it runs
# in Xvfb, saves a screenshot to build/$4.png and closes.
set -eu
build="$(realpath "$1")"
program="$2" title="$3" picture="$build/$4.png"
here="$(dirname "$(realpath "$0")")"
. "$here/run-prefix.sh" "$build"
echo "Starting the $tree edition of $program"
cd "$build/run"

if [ -n "${DISPLAY:-}" ]; then
    exec wine "$bin/$program"
fi

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    . "$3/wine-env.sh" "$WINEPREFIX"
    wine "$1" &
    for _ in $(seq 100); do
        xwininfo -name "$2" 2>/dev/null | grep -q IsViewable && break
        sleep 0.2
    done
    sleep 2
    import -window root "$4"
    status=$?
    wineserver -k
    exit $status' bash "$bin/$program" "$title" "$here" "$picture"
echo "$program ran in a virtual display (no DISPLAY here); its window is in $picture"
