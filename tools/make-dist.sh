#!/usr/bin/env bash
# Packs $1/dist/dravlix-<version>.zip for Windows users: win32/ and win64/, each with Palix.exe,
# DravlixGallery.exe, Dravlix.ocx and Dravlix.manifest, and README.txt. The version is the one both libraries' version resources carry.
set -euo pipefail
build="$1"
here="$(dirname "$(realpath "$0")")"

# FILEVERSION of a Windows file: the fixed part of its version resource starts with the signature 0xFEEF04BD
# and the structure version 1.0, followed by the version's high and low halves.
file_version() {
    local offset signature structure high low
    for offset in $(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$1" | cut -d: -f1); do
        read -r signature structure high low < <(od -An -tu4 -j "$offset" -N 16 "$1")
        if [ "$structure" = 65536 ]; then
            echo "$((high >> 16)).$((high & 0xFFFF)).$((low >> 16)).$((low & 0xFFFF))"
            return 0
        fi
    done
    echo "make-dist: no version resource in $1" >&2
    return 1
}

version="$(file_version "$build/win64/bin/Dravlix.ocx")"
other="$(file_version "$build/win32/bin/Dravlix.ocx")"
[ "$version" = "$other" ] || { echo "make-dist: the 64-bit library is $version, the 32-bit one $other"; exit 1; }

name="dravlix-$version"
stage="$build/dist/$name"
rm -rf "$stage" "$build/dist/$name.zip"
for arch in win32 win64; do
    mkdir -p "$stage/$arch"
    cp "$build/$arch/bin/"{Palix.exe,DravlixGallery.exe,Dravlix.ocx,Dravlix.manifest} "$stage/$arch/"
    # A manifest left from an older configuration would tie Palix to a library it does not ship with.
    grep -q "name=\"Dravlix\" version=\"$version\"" "$stage/$arch/Dravlix.manifest" ||
        { echo "make-dist: $arch/Dravlix.manifest does not name version $version"; exit 1; }
done
# Windows line ends, so that any editor there shows the lines.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$here/dist-readme.txt" > "$stage/README.txt"
(cd "$stage" && zip -q -X -r "../$name.zip" README.txt win32 win64)
rm -rf "$stage"
echo "$build/dist/$name.zip"
