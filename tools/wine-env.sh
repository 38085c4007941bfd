# Sourced: the environment every Wine call of the project runs with. $1 is the prefix folder.
export WINEPREFIX="$(realpath -m "$1")"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
