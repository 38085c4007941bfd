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

placeholder $(palette16 30000)  # TrayArea
placeholder $(truecolor 30001)  # Label3D
placeholder $(truecolor 30002)  # FontBrowser
placeholder $(palette16 30003)  # Splitter
placeholder $(truecolor 30005)  # ColorSelector
placeholder $(truecolor 30006)  # ColorButton
placeholder $(truecolor 30007)  # ColorBrowser
placeholder $(truecolor 30008)  # FileBrowser
placeholder $(truecolor 30009)  # FolderBrowser

# Hyperlink: blue "ab", underlined.
convert -size 16x15 xc:"$ground" +antialias -fill '#0000FF' \
    -draw 'rectangle 3,4 5,4' -draw 'rectangle 6,5 6,9' -draw 'rectangle 3,6 5,6' -draw 'point 2,7' \
    -draw 'point 2,8' -draw 'rectangle 3,9 5,9' \
    -draw 'rectangle 8,1 8,9' -draw 'rectangle 9,4 11,4' -draw 'rectangle 12,5 12,8' -draw 'rectangle 9,9 11,9' \
    -draw 'rectangle 1,11 13,11' \
    $(truecolor 30004)
