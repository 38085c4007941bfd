#!/usr/bin/env bash
# Starts Palix in build/run (its statistics stay there between runs), with Dravlix registered in a prefix of
# its own (the tests' prefix stays unregistered). Without a display it runs in Xvfb, saves a screenshot to
# build/palix.png and closes again.
set -eu
build="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
"$here/wine-prefix.sh" "$build/run/wine" "$build/win32/wine"
. "$here/wine-env.sh" "$build/run/wine"
cd "$build/run"
wine regsvr32 /s "$(winepath -w "$build/win32/bin/Dravlix.ocx")"
# Let this server end: one started without a display would draw Palix on no screen at all.
wineserver -w

if [ -n "${DISPLAY:-}" ]; then
    exec wine "$build/win32/bin/Palix.exe"
fi

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine "$1/win32/bin/Palix.exe" &
    for _ in $(seq 100); do
        xwininfo -name "Vostrel v2.0" 2>/dev/null | grep -q IsViewable && break
        sleep 0.2
    done
    sleep 2
    import -window root "$1/palix.png"
    status=$?
    wineserver -k
    exit $status' bash "$build"
echo "Palix ran in a virtual display (no DISPLAY here); its window is in $build/palix.png"
