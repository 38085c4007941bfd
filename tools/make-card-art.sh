#!/usr/bin/env bash
# Draws Palix's five card faces (147x236, 256 colours) and its red-heart icon (32 and 16 px) into $1. Each face
# is written twice: a bitmap file, and the same pixels as an uncompressed 8-bit bitmap without its file header,
# packed with gzip (NAME.dib.gz), which is what Palix carries.
set -euo pipefail
out="$1"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# A white card on the form's grey, with a soft shadow below and to the right.
convert -size 147x236 xc:'#808080' \
    \( -size 147x236 xc:none -fill 'rgba(0,0,0,0.55)' -draw 'roundrectangle 9,9 146,235 10,10' -blur 0x3 \) \
    -composite -fill white -stroke '#202020' -strokewidth 1 -draw 'roundrectangle 0,0 137,226 10,10' \
    "$tmp/blank.png"

card() {  # name, then ImageMagick draw arguments for the symbol in the card's middle (69, 113)
    local name="$1"; shift
    convert "$tmp/blank.png" -fill none -stroke black -strokewidth 7 "$@" \
        -type Palette -colors 256 -compress RLE BMP3:"$out/$name.bmp"
    convert "$out/$name.bmp" -compress none BMP3:"$tmp/$name.bmp"
    tail -c +15 "$tmp/$name.bmp" | gzip -9 -n >"$out/$name.dib.gz"
}
card waves  -strokewidth 6 \
            -draw 'path "M 25,83 q 11,-24 22,0 t 22,0 t 22,0 t 22,0"' \
            -draw 'path "M 25,113 q 11,-24 22,0 t 22,0 t 22,0 t 22,0"' \
            -draw 'path "M 25,143 q 11,-24 22,0 t 22,0 t 22,0 t 22,0"'
card square -draw 'rectangle 34,78 104,148'
card circle -draw 'circle 69,113 69,73'
card star   -draw 'polygon 69,70 79,100 111,100 85,119 95,150 69,131 43,150 53,119 27,100 59,100'
card cross  -draw 'line 69,73 69,153' -draw 'line 29,113 109,113'

# A red heart on a transparent ground; alpha cut to on/off so the icon's mask stays clean.
convert -size 32x32 xc:none -fill '#e00000' \
    -draw 'circle 10,11 10,3' -draw 'circle 22,11 22,3' -draw 'polygon 2.3,13 16,29 29.7,13 16,9' "$tmp/heart32.png"
convert "$tmp/heart32.png" -resize 16x16 "$tmp/heart16.png"
convert "$tmp/heart32.png" "$tmp/heart16.png" -channel A -threshold 50% +channel -colors 16 "$out/heart.ico"
