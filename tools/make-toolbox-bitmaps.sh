#!/usr/bin/env bash
# Draws Dravlix's ten toolbox images (16x15, resource ids 30000..30009) into $1 as toolbox<id>.bmp.
# 30000 and 30003 are 16-colour images, the others 24-bit. Drawn pixel by pixel, so no font is involved.
set -euo pipefail
out="$1"
mkdir -p "$out"

ground='#C0C0C0' # the toolbox takes the bottom-left pixel's colour as transparent

# A control still without its own image: a grey framed panel with three lines of "text".
placeholder() {
    convert -size 16x15 xc:"$ground" +antialias \
        -fill '#808080' -draw 'rectangle 2,2 13,12' -fill white -draw 'rectangle 3,3 12,11' \
        -fill '#808080' -draw 'rectangle 4,5 11,5' -draw 'rectangle 4,7 9,7' -draw 'rectangle 4,9 10,9' "$@"
}
truecolor() { echo -type TrueColor -compress none "BMP3:$out/toolbox$1.bmp"; }
palette16() { echo -colors 16 -type Palette -compress none "BMP3:$out/toolbox$1.bmp"; }

# The browse boxes: a white field with a line of text and a button at its right end.
browse_box() {
    convert -size 16x15 xc:"$ground" +antialias \
        -fill '#808080' -draw 'rectangle 0,3 15,11' -fill white -draw 'rectangle 1,4 9,10' \
        -fill '#C0C0C0' -draw 'rectangle 10,4 14,10' "$@"
}
# FontBrowser: a blue "A" in the field, "..." on the button.
browse_box \
    -fill '#0000FF' -draw 'point 5,5' -draw 'rectangle 4,6 4,7' -draw 'rectangle 6,6 6,7' \
    -draw 'rectangle 3,8 3,9' -draw 'rectangle 7,8 7,9' -draw 'rectangle 4,8 6,8' \
    -fill black -draw 'point 10,9' -draw 'point 12,9' -draw 'point 14,9' \
    $(truecolor 30002)
# FileBrowser: a sheet of paper on the button.
browse_box \
    -fill black -draw 'rectangle 2,7 7,7' -draw 'rectangle 11,5 14,9' -fill white -draw 'rectangle 12,6 13,8' \
    -fill '#C0C0C0' -draw 'point 14,5' -fill black -draw 'point 13,6' \
    $(truecolor 30008)
# FolderBrowser: a yellow folder on the button.
browse_box \
    -fill black -draw 'rectangle 2,7 7,7' -fill '#808000' -draw 'rectangle 11,6 14,9' -draw 'point 11,5' \
    -draw 'point 12,5' -fill '#FFFF00' -draw 'rectangle 12,7 13,8' \
    $(truecolor 30009)

# ColorSelector: a white field with a red swatch and a drop-down arrow button.
convert -size 16x15 xc:"$ground" +antialias \
    -fill '#808080' -draw 'rectangle 0,3 15,11' -fill white -draw 'rectangle 1,4 14,10' \
    -fill '#FF0000' -draw 'rectangle 2,5 8,9' -fill '#C0C0C0' -draw 'rectangle 10,4 14,10' \
    -fill black -draw 'rectangle 11,6 13,6' -draw 'point 12,7' \
    $(truecolor 30005)

# ColorButton: a raised button face with a framed blue swatch and an arrow.
convert -size 16x15 xc:"$ground" +antialias \
    -fill white -draw 'rectangle 0,2 15,2' -draw 'rectangle 0,2 0,12' \
    -fill '#808080' -draw 'rectangle 1,12 15,12' -draw 'rectangle 15,3 15,12' \
    -fill black -draw 'rectangle 2,4 9,10' -fill '#0000FF' -draw 'rectangle 3,5 8,9' \
    -fill '#808080' -draw 'rectangle 10,4 10,10' -fill black -draw 'rectangle 11,7 13,7' -draw 'point 12,8' \
    $(truecolor 30006)

# ColorBrowser: a white field with a green swatch and a button showing "...".
convert -size 16x15 xc:"$ground" +antialias \
    -fill '#808080' -draw 'rectangle 0,3 15,11' -fill white -draw 'rectangle 1,4 14,10' \
    -fill '#00C000' -draw 'rectangle 2,5 7,9' -fill '#C0C0C0' -draw 'rectangle 9,4 14,10' \
    -fill black -draw 'point 10,9' -draw 'point 12,9' -draw 'point 14,9' \
    $(truecolor 30007)

# Hyperlink: blue "ab", underlined.
convert -size 16x15 xc:"$ground" +antialias -fill '#0000FF' \
    -draw 'rectangle 3,4 5,4' -draw 'rectangle 6,5 6,9' -draw 'rectangle 3,6 5,6' -draw 'point 2,7' \
    -draw 'point 2,8' -draw 'rectangle 3,9 5,9' \
    -draw 'rectangle 8,1 8,9' -draw 'rectangle 9,4 11,4' -draw 'rectangle 12,5 12,8' -draw 'rectangle 9,9 11,9' \
    -draw 'rectangle 1,11 13,11' \
    $(truecolor 30004)

# TrayArea: a taskbar with a sunken notification area holding a small icon, a yellow tip above it.
convert -size 16x15 xc:"$ground" +antialias \
    -fill black -draw 'rectangle 4,0 14,5' -fill '#FFFF00' -draw 'rectangle 5,1 13,4' \
    -fill black -draw 'rectangle 6,2 11,2' -draw 'point 9,6' \
    -fill white -draw 'rectangle 0,8 15,8' \
    -fill '#808080' -draw 'rectangle 5,10 14,10' -draw 'rectangle 5,10 5,13' \
    -fill white -draw 'rectangle 6,14 15,14' -draw 'rectangle 15,10 15,14' \
    -fill '#000080' -draw 'rectangle 7,11 10,13' -fill '#0000FF' -draw 'rectangle 8,12 9,12' \
    -fill black -draw 'point 12,12' -draw 'point 13,12' \
    $(palette16 30000)

# Label3D: a white "A" over its black shadow, one pixel down and right.
# One "A", drawn with its top left at x, y (as an MVG path of rectangles).
letter() {
    local x=$1 y=$2
    echo "rectangle $((x+3)),$y $((x+4)),$y rectangle $((x+2)),$((y+1)) $((x+2)),$((y+3))" \
         "rectangle $((x+5)),$((y+1)) $((x+5)),$((y+3)) rectangle $((x+1)),$((y+4)) $((x+1)),$((y+9))" \
         "rectangle $((x+6)),$((y+4)) $((x+6)),$((y+9)) rectangle $((x+2)),$((y+5)) $((x+5)),$((y+5))"
}
convert -size 16x15 xc:"$ground" +antialias \
    -fill black -draw "$(letter 5 3)" -fill white -draw "$(letter 4 2)" \
    $(truecolor 30001)

# Splitter: two panes side by side with the bar between them and arrows either way.
convert -size 16x15 xc:"$ground" +antialias \
    -fill '#808080' -draw 'rectangle 0,1 6,13' -draw 'rectangle 9,1 15,13' \
    -fill white -draw 'rectangle 1,2 5,12' -draw 'rectangle 10,2 14,12' \
    -fill black -draw 'rectangle 2,7 5,7' -draw 'point 3,6' -draw 'point 3,8' -draw 'point 4,5' -draw 'point 4,9' \
    -draw 'rectangle 10,7 13,7' -draw 'point 12,6' -draw 'point 12,8' -draw 'point 11,5' -draw 'point 11,9' \
    -fill '#000080' -draw 'rectangle 7,0 8,14' \
    $(palette16 30003)
