#!/usr/bin/env bash
# Fails when a deliverable imports anything but the system's own DLLs (no compiler runtime beside it).
# The 64-bit objdump reads both PE formats.
set -u
system='kernel32|user32|gdi32|comdlg32|comctl32|shell32|ole32|oleaut32|advapi32|msvcrt|shlwapi|uxtheme|version'
status=0
for binary in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || { echo "$binary: no imports found"; status=1; }
    for dll in $dlls; do
        if ! echo "${dll%.dll}" | grep -Eqx "$system"; then
            echo "$binary imports $dll, which is not a system DLL"
            status=1
        fi
    done
    echo "$binary: $(echo $dlls)"
done
exit $status
