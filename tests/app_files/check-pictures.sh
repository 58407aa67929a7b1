#!/bin/bash
# Has the picture writers make a BMP of widths 301 and 304 and a JPEG, then checks with
# ImageMagick that they open with the right size, the right way up, and black inside.
# Usage: check-pictures.sh EMULATOR TEST_EXE OUT_DIR
set -euo pipefail
emulator=$1
exe=$2
out=$3

rm -rf "$out"
mkdir -p "$out"
cd "$out"
if ! ZORB_PICTURE_EXPORT=1 "$emulator" "$exe" --gtest_filter='PictureExport.*' > export.log 2>&1; then
    cat export.log
    exit 1
fi

fail=0

# expect_pixel FILE X Y R,G,B TOLERANCE
expect_pixel() {
    local got r g b er eg eb
    got=$(identify -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" "$1")
    IFS=, read -r r g b <<< "$got"
    IFS=, read -r er eg eb <<< "$4"
    if (( ${r#-} - er > $5 || er - r > $5 || g - eg > $5 || eg - g > $5 || b - eb > $5 || eb - b > $5 )); then
        echo "FAIL: $1 pixel ($2,$3) is $got, expected $4"
        fail=1
    fi
}

# check FILE WIDTHxHEIGHT TOLERANCE: the top half is blue, the bottom half (inside) black.
check() {
    local size
    size=$(identify -format '%wx%h' "$1")
    if [ "$size" != "$2" ]; then
        echo "FAIL: $1 is $size, expected $2"
        fail=1
        return
    fi
    expect_pixel "$1" 5 5 0,0,255 "$3"
    expect_pixel "$1" 5 35 0,0,0 "$3"
    echo "checked $1 ($size)"
}

check export301.bmp 301x40 0
check export304.bmp 304x40 0
check export.jpg 301x40 12
exit $fail
