#!/usr/bin/env python3
"""make_fax_tiffs.py OUT_DIR LIBTIFF_IMAGES: bilevel pictures with 16-row strips, uncompressed and in
every CCITT coding (tiffcp; libtiff called here for modified Huffman, which tiffcp cannot write); libtiff's
fax test pictures and a crafted Group 3 file decoded by libtiff (fax2tiff, tiffcp) as reference bits."""
import ctypes
import os
import subprocess
import sys

import numpy as np
from PIL import Image

out, images = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
rng = np.random.default_rng(11)


def runs_row(width, lengths):
    """A row of alternating white (False) and black runs, cut at width."""
    edges = np.cumsum(lengths)
    return np.searchsorted(edges, np.arange(width), side="right") % 2 == 1


def page(width):
    rows = [np.zeros(width, bool), np.ones(width, bool), np.arange(width) % 2 == 0, np.arange(width) % 2 == 1,
            np.arange(width) == 0, np.arange(width) == width - 1]
    # Every make-up length with varied terminating parts, in both colours.
    for m in range(width // 64 + 1):
        rows.append(runs_row(width, [m * 64 + m % 64, max(width - m * 64 - 40, 1), 7, 1, 60]))
        rows.append(runs_row(width, [1, m * 64 + (m * 7) % 64, 5, width]))
    # Random runs, short and long.
    for _ in range(60):
        lengths = np.where(rng.random(400) < 0.6, rng.integers(1, 70, 400), rng.integers(1, width + 1, 400))
        rows.append(runs_row(width, lengths))
    # Fine texture whose edges wander by up to 3 pixels from row to row,
    # some vanishing, some new: every vertical mode in every neighbourhood.
    edges = np.cumsum(rng.integers(1, 9, width))
    for _ in range(60):
        kept = edges[rng.random(len(edges)) > 0.05]
        edges = np.concatenate([kept + rng.integers(-3, 4, len(kept)), rng.integers(0, width, len(kept) // 20 + 1)])
        edges = np.unique(np.clip(edges, 0, width - 1))
        rows.append(np.searchsorted(edges, np.arange(width), side="right") % 2 == 1)
    # Text-like blobs: smooth noise cut at a level, edges moving a little
    # from row to row (vertical modes) and much (pass and horizontal modes).
    coarse = Image.fromarray(rng.random((12, width // 16 + 2)).astype(np.float32), "F")
    smooth = np.asarray(coarse.resize((width, 90), Image.BILINEAR))
    blobs = smooth + 0.15 * rng.random(smooth.shape) > 0.62
    return np.array(rows + list(blobs))


def write_modified_huffman(picture, path):
    """Compression 2 through libtiff's encoder, True (white to Pillow) as 1 bits like the other files."""
    libtiff = ctypes.CDLL("libtiff.so.6")
    libtiff.TIFFOpen.restype = ctypes.c_void_p
    libtiff.TIFFOpen.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    tiff = ctypes.c_void_p(libtiff.TIFFOpen(path.encode(), b"w"))
    height, width = picture.shape
    tags = {256: width, 257: height, 258: 1, 259: 2, 262: 1, 277: 1, 278: 16, 284: 1}
    for tag, value in tags.items():
        libtiff.TIFFSetField(tiff, ctypes.c_uint(tag), ctypes.c_int(value))
    for y, row in enumerate(np.packbits(picture, axis=1)):
        row = np.ascontiguousarray(row)
        if libtiff.TIFFWriteScanline(tiff, row.ctypes.data_as(ctypes.c_void_p), ctypes.c_uint(y), 0) != 1:
            sys.exit("libtiff could not write " + path)
    libtiff.TIFFClose(tiff)


def tiffcp(*args):
    subprocess.run(["tiffcp", *args], check=True)


for name, width in (("page", 2999), ("narrow", 13)):
    # The codings take the stored bits as they are: 0 is coded as white.
    source, picture = os.path.join(out, name + "-source.tif"), page(width)
    Image.fromarray(picture).save(source)
    for coding, suffix in (("none", "none"), ("g3", "g3"), ("g3:2d", "g3-2d"), ("g3:fill", "g3-fill"),
                           ("g3:2d:fill", "g3-2d-fill"), ("g4", "g4")):
        tiffcp("-c", coding, "-r", "16", source, os.path.join(out, f"{name}-{suffix}.tif"))
    write_modified_huffman(picture, os.path.join(out, name + "-mh.tif"))

# Group 3 2D rows with empty runs, where decoders may differ: a 1D row with
# an empty white and black run (libtiff drops the pair), then a 2D row whose
# b1 depends on it, then RTC; the bits (MSB first) to libtiff as a raw file.
EOL = "000000000001"
rows = [EOL + "1" + "1011" + "11" + "00110101" + "0000110111" + "00111",  # W4 B2 W0 B0 W10
        EOL + "0" + "001" + "000111" + "010" + "001" + "0111" + "010" + "1"]  # H W1 B1, H W2 B1, V0
bits = "".join(rows) + (EOL + "1") * 6
bits += "0" * (-len(bits) % 8)
with open(os.path.join(out, "empty-runs.g3"), "wb") as f:
    f.write(int(bits, 2).to_bytes(len(bits) // 8, "big"))
subprocess.run(["fax2tiff", "-2", "-M", "-X", "16", "-o", os.path.join(out, "empty-runs.tif"),
                os.path.join(out, "empty-runs.g3")], check=True, stderr=subprocess.DEVNULL)
tiffcp("-c", "none", "-f", "msb2lsb", os.path.join(out, "empty-runs.tif"), os.path.join(out, "empty-runs-none.tif"))

# A raw Group 3 page (1D, EOLs, RTC) and a Group 4 scan.
subprocess.run(["fax2tiff", "-M", "-o", os.path.join(out, "g3page.tif"), os.path.join(images, "miniswhite-1c-1b.g3")],
               check=True, stderr=subprocess.DEVNULL)
tiffcp("-c", "none", "-f", "msb2lsb", os.path.join(out, "g3page.tif"), os.path.join(out, "g3page-none.tif"))
tiffcp("-c", "none", "-f", "msb2lsb", os.path.join(images, "testfax4.tiff"), os.path.join(out, "testfax4-none.tif"))
