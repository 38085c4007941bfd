#!/usr/bin/env bash
# Creates the 32-bit Wine prefix $1 once: booted, fonts copied (captions draw as garbage without them),
# and windows given frames by Wine itself since Xvfb has no window manager.
set -euo pipefail
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
[ -f "$WINEPREFIX/.ready" ] && exit 0

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
echo "Preparing the Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w
touch "$WINEPREFIX/.ready"
