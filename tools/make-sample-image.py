#!/usr/bin/env python3
"""Writes the sample picture that tools/run.sh opens when no image is given:
a 24-bit BMP of 640 x 480 with colour ramps, a fine checkerboard that shows
the resampling, and a grid every 64 pixels.
Usage: python3 tools/make-sample-image.py OUT.bmp"""
import struct
import sys

W, H = 640, 480
row_bytes = (W * 3 + 3) // 4 * 4
pixels = bytearray()
for y in range(H - 1, -1, -1):  # bottom-up rows
    row = bytearray()
    for x in range(W):
        if x % 64 == 0 or y % 64 == 0:
            b, g, r = 255, 255, 255
        elif 200 <= x < 440 and 160 <= y < 320:
            c = 255 if (x // 2 + y // 2) % 2 else 0
            b, g, r = c, c, c
        else:
            r = x * 255 // (W - 1)
            g = y * 255 // (H - 1)
            b = 255 - (x + y) * 255 // (W + H - 2)
        row += bytes((b, g, r))
    row += bytes(row_bytes - len(row))
    pixels += row
header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
with open(sys.argv[1], 'wb') as f:
    f.write(header + info + pixels)
