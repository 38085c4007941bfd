#!/usr/bin/env bash
# Runs a script through Wine's script host against a registered control library, registering it for the
# script's run only. $1 prefix, $2 library, $3 script.
set -u
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
library="$(winepath -w "$2")"
# The shared checks go in front of the script, in one file the script host runs.
combined="$(mktemp --suffix=.js)"
trap 'rm -f "$combined"' EXIT
cat "$here/../tests/win32/scripts/common/checks.js" "$3" > "$combined"
script="$(winepath -w "$combined")"
wine regsvr32 /s "$library" || { echo "registering $library failed"; exit 1; }
output="$(wine cscript //nologo "$script" 2>&1)"
status=$?
wine regsvr32 /u /s "$library"
printf '%s\n' "$output"
# This script host reports a script error by nothing but a silent stop, so success is the script's own
# last word: its count of checks with none failed.
last="$(printf '%s\n' "$output" | tr -d '\r' | tail -n 1)"
[ $status -eq 0 ] && printf '%s\n' "$last" | grep -Eq '^[1-9][0-9]* passed, 0 failed$'
