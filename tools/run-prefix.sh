# Sourced by the scripts that start our programs for a person to see: prepares the run prefix (a copy of
# the tests' one, so that theirs stays unregistered), picks the edition that runs here (32-bit where the
# host runs 32-bit programs, else 64-bit) and registers its Dravlix there. Sets tree and bin. $1: build.
"$here/wine-prefix.sh" "$1/run/wine" "$1/wine"
. "$here/wine-env.sh" "$1/run/wine"
probe_win32
if [ -z "$win32_not_run" ]; then tree=win32 processor=i686; else tree=win64 processor=x86_64; fi
bin="$1/$tree/bin"
wine "$(system_folder $processor)\\regsvr32.exe" /s "$(winepath -w "$bin/Dravlix.ocx")"
# Let this server end: one started without a display would draw the programs on no screen at all.
wineserver -w
