#!/usr/bin/env bash
# Test emulator at another screen DPI: runs a Windows program in a copy of the prefix $1 whose LogPixels is
# $2, with GALLERY_EXPECT_DPI telling the test what to expect; the copy goes afterwards.
set -eu
here="$(dirname "$(realpath "$0")")"
copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
cp -a "$1/." "$copy/"
. "$here/wine-env.sh" "$copy"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null
dpi="$2"
shift 2
status=0
GALLERY_EXPECT_DPI="$dpi" "$WINELOADER" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
