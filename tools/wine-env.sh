# Sourced: the environment every Wine call of the project runs with. $1 is the prefix folder, a 64-bit one
# that runs the programs of both architectures (32-bit ones only where the host can run 32-bit code).
export WINEPREFIX="$(realpath -m "$1")"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Debian's launchers (wine, and wineboot, winepath, regsvr32 through it) pick the 32-bit loader whenever it
# is installed, even where the kernel cannot execute it. The 64-bit loader starts 64-bit programs itself
# and hands 32-bit ones to the 32-bit loader.
export WINELOADER=/usr/lib/wine/wine64
wine() { "$WINELOADER" "$@"; }
winepath() { "$WINELOADER" winepath "$@"; }

# The prefix's folder of system programs for a build's processor (i686 or x86_64).
system_folder() {
    if [ "$1" = x86_64 ]; then echo 'C:\windows\system32'; else echo 'C:\windows\syswow64'; fi
}

# Whether the 32-bit programs are used here, decided once by running one in the prefix (the kernel may
# refuse any 32-bit code) unless WIN32_TESTS=0 asks for the 64-bit ones only. Sets win32_not_run to the
# reason they are not, empty when they are, and says the answer.
probe_win32() {
    win32_not_run=""
    if [ "${WIN32_TESTS:-1}" = 0 ]; then
        win32_not_run="WIN32_TESTS=0 asked for the 64-bit programs only"
    else
        # Its output goes to a file: services it may start keep a pipe open long after it ends.
        local said status
        said="$(mktemp)"
        wine 'C:\windows\syswow64\cmd.exe' /c exit 7 >"$said" 2>&1 </dev/null && status=0 || status=$?
        [ $status -eq 7 ] ||
            win32_not_run="this host cannot run 32-bit programs (a 32-bit cmd.exe answered $status: $(head -c 300 "$said"))"
        rm -f "$said"
    fi
    if [ -z "$win32_not_run" ]; then
        echo "32-bit programs run here: both architectures are used"
    else
        echo "Only the 64-bit programs are used: $win32_not_run"
    fi
}
