#!/bin/sh
# make_compressed_tiffs.sh OUT_DIR: two pictures (ImageMagick) copied by
# libtiff's tiffcp with 8-row strips, uncompressed and compressed with LZW,
# PackBits and Deflate: strip data made by an independent encoder.
set -eu
out=$1
mkdir -p "$out"
# Noise (LZW tables fill and clear) and smooth ramps (long strings, runs).
convert -size 301x97 plasma:fractal -seed 7 -depth 8 -compress none "$out/noise.tif"
convert -size 301x97 gradient:red-blue -depth 8 -compress none "$out/ramp.tif"
# 16-bit grey, little- and big-endian, for the predictor's wider samples.
convert -size 301x97 gradient:black-white -depth 16 -colorspace gray -compress none "$out/deep.tif"
for picture in noise ramp; do
    for c in none lzw packbits zip lzw:2 zip:2; do
        tiffcp -c "$c" -r 8 "$out/$picture.tif" "$out/$picture-$(echo "$c" | tr : -).tif"
    done
done
for order in L B; do
    for c in none zip:2; do
        tiffcp -"$order" -c "$c" -r 8 "$out/deep.tif" "$out/deep$order-$(echo "$c" | tr : -).tif"
    done
done
