#!/usr/bin/env bash
# Fails when a file of the runtime includes a header of its own layer's peers or of a layer above it.
# Each runtime folder is a layer, lowest first; folders on one line are peers and don't use each other.
set -u
root="$(dirname "$(realpath "$0")")/../runtime"
layers=("cxx" "com" "services" "persist" "intrinsics" "control host")
rank() { local i; for i in "${!layers[@]}"; do [[ " ${layers[$i]} " == *" $1 "* ]] && { echo "$i"; return; }; done; echo -1; }

status=0
for file in "$root"/*/*.cpp "$root"/*/*.h; do
    folder=$(basename "$(dirname "$file")")
    own=$(rank "$folder")
    [ "$own" -ge 0 ] || { echo "${file#$root/}: runtime/$folder is in no layer"; status=1; continue; }
    while IFS= read -r header; do
        used=${header%%/*}
        if [ "$used" = "$header" ] || [ "$(rank "$used")" -lt 0 ]; then
            echo "${file#$root/}: \"$header\" is not a runtime header by its folder"; status=1
        elif [ "$used" != "$folder" ] && [ "$(rank "$used")" -ge "$own" ]; then
            echo "${file#$root/}: includes \"$header\", which is not below runtime/$folder"; status=1
        fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done
exit $status
