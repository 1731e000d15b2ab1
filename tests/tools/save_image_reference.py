#!/usr/bin/env python3
""""Save image as..." of the 2D viewer against Pillow's reading of the files.

Grey, colour, 16-bit and float pictures, with brightness/contrast neutral
and active, go to the C++ program named on the command line, which saves
each through the composite's command as PNG and BMP. Pillow reads both; the
pixels must equal the stored values (integer pictures the encoders take) or
numpy's evaluation of the display bytes (float pictures, 16-bit BMP, and
the windowed copy while brightness/contrast is active), exactly. The
proposed name carries "_LUT_" exactly when the saved pixels are not the
stored ones.

Usage: save_image_reference.py PROGRAM WORKDIR
"""

import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from histogram_reference import expected_window, window_of  # noqa: E402

UINT8, UINT16, FLOAT32, BGRA8 = 8, 16, 23, 48
DTYPES = {UINT8: (np.uint8, 1), UINT16: (np.uint16, 1), FLOAT32: (np.float32, 1), BGRA8: (np.uint8, 4)}


def make_cases(rng):
    """(code, values (h, w, channels), brightness, contrast)."""
    cases = []
    for code, (dtype, channels) in DTYPES.items():
        shape = (23, 37, channels)
        if dtype == np.float32:
            values = rng.uniform(-0.2, 1.2, shape).astype(dtype)
        else:
            values = rng.integers(0, np.iinfo(dtype).max, shape, endpoint=True).astype(dtype)
        cases.append((code, values, 0.0, 0.0))
        cases.append((code, values, 0.125, 0.5))
    # An opaque colour picture: 24-bit BMP and RGB PNG.
    opaque = rng.integers(0, 255, (19, 31, 4), endpoint=True).astype(np.uint8)
    opaque[..., 3] = 255
    cases.append((BGRA8, opaque, 0.0, 0.0))
    return cases


def stored_rgba(values):
    return values[..., [2, 1, 0, 3]]


def expected(code, values, brightness, contrast, extension):
    """What Pillow must read, as an array, and whether it differs from the stored values."""
    active = brightness != 0 or contrast != 0
    direct = (code in (UINT8, UINT16, BGRA8)) if extension == "png" else (code in (UINT8, BGRA8))
    if direct and not active:
        return (values[..., 0] if code != BGRA8 else stored_rgba(values)), False
    window = window_of(brightness, contrast) if active else (0.0, 1.0)
    shown = expected_window(values, code, None, window)
    return (shown[..., 0] if shown.ndim == 3 and shown.shape[-1] == 1 else
            shown if shown.ndim == 2 else stored_rgba(shown)), True


def read(path):
    with Image.open(path) as im:
        if im.mode in ("P", "L"):
            return np.array(im.convert("L"))
        if im.mode in ("I;16", "I"):
            return np.array(im).astype(np.uint16)
        return np.array(im.convert("RGBA"))


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    cases = make_cases(np.random.default_rng(64))
    in_path = os.path.join(workdir, "images.bin")
    with open(in_path, "wb") as f:
        f.write(b"BRSV" + struct.pack("<I", len(cases)))
        for code, values, b, c in cases:
            h, w = values.shape[:2]
            f.write(struct.pack("<iII2d", code, w, h, b, c))
            f.write(np.ascontiguousarray(values).astype(values.dtype.newbyteorder("<")).tobytes())
    names = subprocess.run([program, in_path, workdir], check=True, capture_output=True, text=True).stdout.split()
    failed = 0
    for i, (code, values, b, c) in enumerate(cases):
        for extension in ("png", "bmp"):
            want, adjusted = expected(code, values, b, c, extension)
            got = read(os.path.join(workdir, "save%d.%s" % (i, extension)))
            if got.shape != want.shape or not np.array_equal(got, want):
                failed += 1
                print("case %d (type %d, B %g, C %g) %s: pixels differ (%s vs %s)" %
                      (i, code, b, c, extension, got.shape, want.shape))
        marked = "_LUT_" in names[i]
        if marked != (b != 0 or c != 0 or code == FLOAT32):
            failed += 1
            print("case %d: proposed name %s" % (i, names[i]))
    print("%d saved pictures checked, %d failed" % (2 * len(cases), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
