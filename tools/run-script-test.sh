#!/usr/bin/env bash
# Runs a script through Wine's script host against a registered control library, registering it for the
# script's run only, both with the system programs of the library's architecture. $1 prefix, $2 the
# library's processor (i686 or x86_64), $3 library, $4 script.
set -u
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
system="$(system_folder "$2")"
library="$(winepath -w "$3")"
# The shared checks go in front of the script, in one file the script host runs.
combined="$(mktemp --suffix=.js)"
trap 'rm -f "$combined"' EXIT
cat "$here/../tests/win32/scripts/common/checks.js" "$4" > "$combined"
script="$(winepath -w "$combined")"
wine "$system\\regsvr32.exe" /s "$library" || { echo "registering $library failed"; exit 1; }
output="$(wine "$system\\cscript.exe" //nologo "$script" 2>&1)"
status=$?
wine "$system\\regsvr32.exe" /u /s "$library"
printf '%s\n' "$output"
# This script host reports a script error by nothing but a silent stop, so success is the script's own
# last word: its count of checks with none failed.
last="$(printf '%s\n' "$output" | tr -d '\r' | tail -n 1)"
[ $status -eq 0 ] && printf '%s\n' "$last" | grep -Eq '^[1-9][0-9]* passed, 0 failed$'
