#!/usr/bin/env bash
# Test emulator: runs a Windows program in the prefix $1 and passes its exit status on.
set -eu
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
shift
exec "$WINELOADER" "$@"
