#!/usr/bin/env python3
"""pillow_png_references.py SUITE_DIR OUT_DIR: decodes every valid PngSuite
file (names not starting with "x") with Pillow, whose PNG reader does not use
libpng, into OUT_DIR/NAME.rgba (RGBA, 16-bit little-endian samples, 8-bit
samples scaled by 257) and OUT_DIR/NAME.size ("width height depth precision":
the file's sample depth from its suite name and how many high bits of each
sample Pillow keeps)."""
import os
import sys

import numpy as np
from PIL import Image


def reference(path):
    im = Image.open(path)
    im.load()
    depth = int(os.path.basename(path)[-6:-4])
    trns = im.info.get("transparency")
    if im.mode in ("I", "I;16", "I;16B"):
        # 16-bit grey: Pillow keeps every bit.
        grey = np.asarray(im).astype(np.uint32)
        alpha = np.full(grey.shape, 65535, np.uint32)
        if isinstance(trns, int):
            alpha[grey == trns] = 0
        return np.stack([grey, grey, grey, alpha], -1), 16
    if depth == 16 and im.mode == "RGB" and isinstance(trns, tuple):
        # Pillow keeps the high byte of 16-bit colour but the full 16-bit
        # transparent colour: compare on the high bytes.
        rgb = np.asarray(im).astype(np.uint32)
        alpha = np.full(rgb.shape[:2], 255, np.uint32)
        alpha[(rgb == np.array([v >> 8 for v in trns])).all(-1)] = 0
        return np.dstack([rgb, alpha]) * 257, 8
    if depth < 8 and im.mode == "L" and isinstance(trns, int):
        # Pillow scales grey samples of 1, 2 or 4 bits to 8 but leaves the
        # transparent grey value unscaled; scale it the same.
        im.info["transparency"] = trns * 255 // ((1 << depth) - 1)
    rgba = np.asarray(im.convert("RGBA")).astype(np.uint32) * 257
    return rgba, 8 if depth == 16 else 16


def main():
    suite, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(suite)):
        if not name.endswith(".png") or name.startswith("x"):
            continue
        rgba, precision = reference(os.path.join(suite, name))
        height, width = rgba.shape[:2]
        depth = int(name[-6:-4])
        with open(os.path.join(out, name + ".rgba"), "wb") as f:
            f.write(rgba.astype("<u2").tobytes())
        with open(os.path.join(out, name + ".size"), "w") as f:
            f.write(f"{width} {height} {depth} {precision}\n")


if __name__ == "__main__":
    main()
