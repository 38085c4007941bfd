#!/usr/bin/env bash
# Draws Palix and the Dravlix gallery under Xvfb at 96, 120 and 144 dots per inch (Wine's LogPixels, in a
# copy of the run prefix per DPI) into $2/palix-DPI.png and $2/gallery-DPI.png: the program's window only.
set -eu
build="$(realpath "$1")"
mkdir -p "$2"
docs="$(realpath "$2")"
here="$(dirname "$(realpath "$0")")"
. "$here/run-prefix.sh" "$build"

for dpi in 96 120 144; do
    prefix="$build/shots/wine-$dpi"
    rm -rf "$prefix" "$build/shots/run-$dpi"
    mkdir -p "$build/shots/run-$dpi"
    cp -a "$build/run/wine" "$prefix"
    WINEPREFIX="$prefix" "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f \
        >/dev/null 2>&1 </dev/null
    WINEPREFIX="$prefix" wineserver -w
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        here="$1" bin="$3" out="$4"
        . "$here/wine-env.sh" "$2"
        cd "$5"
        shoot() { # program, window title, picture
            wine "$bin/$1" </dev/null >/dev/null 2>&1 &
            for _ in $(seq 150); do
                xwininfo -name "$2" 2>/dev/null | grep -q IsViewable && break
                sleep 0.2
            done
            sleep 2
            import -window "$(xwininfo -name "$2" | awk "/Window id/ {print \$4}")" "$out/$3"
            wineserver -k
            sleep 1
        }
        shoot Palix.exe "Vostrel v2.0" palix.png
        shoot DravlixGallery.exe "Dravlix Gallery" gallery.png' bash "$here" "$prefix" "$bin" "$build/shots" \
        "$build/shots/run-$dpi"
    mv "$build/shots/palix.png" "$docs/palix-$dpi.png"
    mv "$build/shots/gallery.png" "$docs/gallery-$dpi.png"
    rm -rf "$prefix"
    echo "Drawn at $dpi DPI: $docs/palix-$dpi.png, $docs/gallery-$dpi.png"
done
