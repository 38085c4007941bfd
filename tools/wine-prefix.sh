#!/usr/bin/env bash
# Creates the 64-bit Wine prefix $1 once: booted, fonts copied (captions draw as garbage without them),
# and windows given frames by Wine itself since Xvfb has no window manager. With a ready prefix $2 as
# template it is copied instead, which takes seconds rather than a boot.
set -euo pipefail
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
[ -f "$WINEPREFIX/.ready" ] && exit 0

rm -rf "$WINEPREFIX"
if [ -n "${2:-}" ] && [ -f "$2/.ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    cp -a "$2" "$WINEPREFIX"
    exit 0
fi
mkdir -p "$WINEPREFIX"
echo "Preparing the Wine prefix $WINEPREFIX"
# The boot fails at its 32-bit steps where the host cannot run 32-bit code; the prefix is whole all the same.
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX"; exit 1; }
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w
touch "$WINEPREFIX/.ready"
