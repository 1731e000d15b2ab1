#!/bin/sh
# imagemagick_references.sh SUITE_DIR OUT_DIR: decodes every "g" file of the
# BMP suite with ImageMagick into OUT_DIR/NAME.rgba (8-bit RGBA rows) and
# OUT_DIR/NAME.size ("width height"), an independent exact reference.
set -eu
suite=$1
out=$2
mkdir -p "$out"
for f in "$suite"/g/*.bmp; do
    name=$(basename "$f")
    convert "$f" -depth 8 "rgba:$out/$name.rgba"
    identify -format "%w %h" "$f" > "$out/$name.size"
done
