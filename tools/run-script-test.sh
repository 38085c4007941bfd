#!/usr/bin/env bash
# Runs a script through Wine's script host against a registered control library, registering it for the
# script's run only. $1 prefix, $2 library, $3 script.
set -u
here="$(dirname "$(realpath "$0")")"
. "$here/wine-env.sh" "$1"
library="$(winepath -w "$2")"
script="$(winepath -w "$3")"
wine regsvr32 /s "$library" || { echo "registering $library failed"; exit 1; }
wine cscript //nologo "$script"
status=$?
wine regsvr32 /u /s "$library"
exit $status
