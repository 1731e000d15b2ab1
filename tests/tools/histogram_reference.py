#!/usr/bin/env python3
"""Independent evaluation of the histogram, its graph and the brightness/contrast window.

Images of grey, colour, 16-bit, wide integer and float pixels (NaN, +-inf,
values outside the user range, user ranges other than the stored one, a
range of no width) go to the C++ program named on the command line; its
bins, graphs and windowed display bytes are compared exactly with numpy's
evaluation of the written rules, and its BMP files of the 8-bit images with
Pillow's reading of them.

Usage: histogram_reference.py PROGRAM WORKDIR
"""

import math
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

from display_mapping_reference import expected_bytes
from software_renderer_reference import TYPES

BINS = 256
BIN_SCALE = 255.999
GRAPH_HEIGHT = 40
QUARTER_PI = 0.7853981633974483
STEEPEST, FLATTEST = 1.7976931348623157e308, 1e-6
# Both ends of both sliders, the middle, and a few between.
WINDOWS = [(-1.0, -1.0), (-1.0, 1.0), (1.0, -1.0), (1.0, 1.0), (0.0, 0.0), (0.0, -1.0), (0.0, 1.0),
           (0.25, 0.5), (-0.3, -0.6)]


def default_ends(code):
    """User values of normalised 0 and 1 of the fixed representation."""
    dtype, _ = TYPES[code]
    if np.issubdtype(dtype, np.floating):
        return 0.0, 1.0
    if dtype == np.int64:
        return 0.0 * 2.0 ** 64 - 2.0 ** 63, 1.0 * 2.0 ** 64 - 2.0 ** 63
    if dtype == np.uint64:
        return 0.0, 2.0 ** 64
    info = np.iinfo(dtype)
    span = float(info.max) - float(info.min)
    return 0.0 * span + float(info.min), 1.0 * span + float(info.min)


def span(a, b):
    s = b - a
    return s if s != 0 else 1.0


class Mapping:
    """Stored -> user -> normalised values, in the representation's order of operations."""

    def __init__(self, code, rep):
        self.code, self.rep = code, rep

    def user(self, p):
        if self.rep is None:
            return p
        umin, umax, pmin, pmax = self.rep
        if umin == pmin and umax == pmax:
            return p
        return umin + (p - pmin) / span(pmin, pmax) * (umax - umin)

    def ends(self):
        if self.rep is None:
            return default_ends(self.code)
        umin, umax = self.rep[:2]
        return umin + 0.0 * (umax - umin), umin + 1.0 * (umax - umin)

    def normalised(self, u):
        if self.rep is not None:
            umin, umax = self.rep[:2]
            return (u - umin) / span(umin, umax)
        dtype, _ = TYPES[self.code]
        if np.issubdtype(dtype, np.floating):
            return u
        if dtype == np.int64:
            return (u + 2.0 ** 63) * (1.0 / 2.0 ** 64)
        if dtype == np.uint64:
            return u * (1.0 / 2.0 ** 64)
        info = np.iinfo(dtype)
        return (u - float(info.min)) / (float(info.max) - float(info.min))


def expected_bins(values, code, rep):
    dtype, channels = TYPES[code]
    m = Mapping(code, rep)
    lo, hi = m.ends()
    if not (math.isfinite(lo) and math.isfinite(hi)):
        lo, hi = 0.0, 1.0
    lo, hi = min(lo, hi), max(lo, hi)
    if hi == lo:
        hi = lo + 1.0
    scale = BIN_SCALE / (hi - lo)
    counts = np.zeros((BINS, 4))
    for c in range(min(channels, 3)):
        with np.errstate(invalid="ignore", over="ignore"):
            u = m.user(values[..., c].astype(np.float64).ravel())
            u = u[~np.isnan(u)]
            t = (u - lo) * scale
        b = np.where(np.isnan(t) | (t < 0), 0, np.minimum(np.floor(np.nan_to_num(t, posinf=255.0)), 255)).astype(int)
        counts[:, c] = np.bincount(b, minlength=BINS)
    return counts, (lo, hi)


def expected_graph(counts, channels, pixels, width, log, relative):
    used = min(channels, 3)
    scaled = (lambda c: math.log10(c + 1)) if log else (lambda c: c)
    n = float(counts[:, :used].max()) if relative else float(pixels)
    n = scaled(n)
    f = GRAPH_HEIGHT / n if n > 0 else 0.0
    out = np.zeros((GRAPH_HEIGHT, width, 4), dtype=np.uint8)
    out[..., 3] = 255
    rows = np.arange(GRAPH_HEIGHT, dtype=np.float64)
    for x in range(width):
        b = x // 2 if width == 512 else x
        for c in range(used):
            bar = f * scaled(float(counts[b, c]))
            intensity = (np.clip(bar - (GRAPH_HEIGHT - 1 - rows), 0.0, 1.0) * 255 + 0.5).astype(np.uint8)
            if used == 1:
                out[:, x, 0:3] = intensity[:, None]
            else:
                out[:, x, c] = intensity
    return out


def window_of(brightness, contrast):
    if contrast == 0:
        s = 1.0
    elif contrast >= 1:
        s = STEEPEST
    else:
        s = max(math.tan((contrast + 1) * QUARTER_PI), FLATTEST)
    return 0.5 - 0.5 / s - brightness, 0.5 + 0.5 / s - brightness


def expected_window(values, code, rep, window):
    dtype, channels = TYPES[code]
    m = Mapping(code, rep)
    lo, hi = window
    with np.errstate(invalid="ignore", over="ignore", divide="ignore"):
        n = m.normalised(m.user(values[..., :min(channels, 3)].astype(np.float64)))
        if hi > lo:
            v = np.clip((n - lo) / (hi - lo), 0.0, 1.0)
        else:
            v = np.where(n >= lo, 1.0, 0.0)
        v = np.where(np.isnan(v) | np.isnan(n), 0.0, v)
        scaled = v * 255.0 + 0.5
    b = np.where(scaled < 1.0, 0, np.where(scaled >= 255.0, 255, np.floor(scaled))).astype(np.uint8)
    if channels == 1:
        return b
    alpha = expected_bytes(values, code)[..., 3:4]
    return np.concatenate([b, alpha], axis=-1)


def make_images(rng):
    """(code, values (h, w, channels), representation or None)."""
    images = []

    def add(code, values, rep=None):
        images.append((code, values, rep))

    def rand(code, w, h, lo=None, hi=None):
        dtype, channels = TYPES[code]
        if np.issubdtype(dtype, np.floating):
            v = rng.uniform(lo, hi, (h, w, channels))
        else:
            info = np.iinfo(dtype)
            v = rng.integers(info.min if lo is None else lo, info.max if hi is None else hi, (h, w, channels),
                             dtype=dtype, endpoint=True)
        return v.astype(dtype)

    add(8, rand(8, 61, 23))
    add(8, rand(8, 61, 23), (20.0, 200.0, 0.0, 255.0))  # user range over the stored one
    add(8, np.full((5, 7, 1), 9, np.uint8), (9.0, 9.0, 9.0, 9.0))  # a range of no width
    opaque = rand(48, 37, 19)
    opaque[..., 3] = 255
    add(48, opaque)  # 24-bit BMP, rows padded
    add(48, rand(48, 37, 19))  # 32-bit BMP with alpha
    add(47, rand(47, 33, 9))
    add(16, rand(16, 50, 20))
    add(16, rand(16, 50, 20, 0, 6000), (1000.0, 5000.0, 1000.0, 5000.0))  # outside on both sides
    add(416, rand(416, 30, 11), (0.0, 1.0, 0.0, 65535.0))
    add(15, rand(15, 40, 8))
    add(32, rand(32, 40, 8))
    add(63, rand(63, 40, 8))
    add(464, rand(464, 20, 8), (0.0, 100.0, 0.0, 2.0 ** 64))
    specials = [np.nan, np.inf, -np.inf, -1e30, 1e30, -0.0, 0.0, 10.0, 5.0, -5.0, 15.0]
    for code in (23, 52):
        v = rand(code, 41, 13, -5.0, 15.0)
        v.ravel()[:len(specials)] = specials
        add(code, v, (0.0, 10.0, 0.0, 10.0))
        add(code, v)  # the fixed 0..1 scale
    for code in (423, 452):
        v = rand(code, 29, 7, -150.0, 150.0)
        flat = v.reshape(-1, 4)
        for c in range(4):
            flat[:len(specials), c] = np.roll(specials, 3 * c)
        add(code, v, (-100.0, 100.0, 0.0, 1.0))  # user range other than the stored one
    return images


def write_images(path, images):
    with open(path, "wb") as f:
        f.write(b"BRHG" + struct.pack("<II", len(images), len(WINDOWS)))
        for b, c in WINDOWS:
            f.write(struct.pack("<2d", b, c))
        for code, values, rep in images:
            h, w = values.shape[:2]
            f.write(struct.pack("<iIII", code, w, h, 0 if rep is None else 1))
            f.write(struct.pack("<4d", *(rep or (0.0, 0.0, 0.0, 0.0))))
            f.write(np.ascontiguousarray(values).astype(values.dtype.newbyteorder("<")).tobytes())


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    images = make_images(np.random.default_rng(23))
    in_path, out_path = os.path.join(workdir, "images.bin"), os.path.join(workdir, "out.bin")
    write_images(in_path, images)
    subprocess.run([program, in_path, out_path, workdir], check=True)
    data = open(out_path, "rb").read()
    at = 0
    failed = 0

    def take(dtype, count):
        nonlocal at
        got = np.frombuffer(data, dtype=dtype, count=count, offset=at)
        at += got.nbytes
        return got

    def check(name, got, want):
        nonlocal failed
        if got.shape != want.shape or not np.array_equal(got, want):
            failed += 1
            bad = np.argwhere(got != want) if got.shape == want.shape else []
            print("%s: %s differ%s" % (name, len(bad) if len(bad) else "shapes",
                                        ", first at %s: %r, want %r" % (tuple(bad[0]), got[tuple(bad[0])],
                                                                         want[tuple(bad[0])]) if len(bad) else ""))

    for i, (code, values, rep) in enumerate(images):
        h, w, channels = values.shape
        name = "image %d (type %d, %s)" % (i, code, "range %r" % (rep,) if rep else "fixed scale")
        counts, ends = expected_bins(values, code, rep)
        check(name + " bins", take("<f8", BINS * 4).reshape(BINS, 4), counts)
        check(name + " bin range", take("<f8", 2), np.array(ends))
        for log in (False, True):
            for relative in (False, True):
                got = take(np.uint8, GRAPH_HEIGHT * 256 * 4).reshape(GRAPH_HEIGHT, 256, 4)
                check("%s graph log=%s relative=%s" % (name, log, relative), got,
                      expected_graph(counts, channels, w * h, 256, log, relative))
        got = take(np.uint8, GRAPH_HEIGHT * 512 * 4).reshape(GRAPH_HEIGHT, 512, 4)
        check(name + " wide graph", got, expected_graph(counts, channels, w * h, 512, True, True))
        for b, c in WINDOWS:
            out_channels = 1 if channels == 1 else 4
            got = take(np.uint8, w * h * out_channels).reshape(h, w, out_channels)
            check("%s window B=%g C=%g" % (name, b, c), got, expected_window(values, code, rep, window_of(b, c)))
        if code in (8, 48):
            with Image.open(os.path.join(workdir, "image%d.bmp" % i)) as bmp:
                opaque = channels == 1 or bool((values[..., 3] == 255).all())
                mode = "L" if channels == 1 else ("RGB" if opaque else "RGBA")
                read = np.asarray(bmp.convert(mode))
                want = values[..., 0] if channels == 1 else values[..., [2, 1, 0, 3]][..., :len(mode)]
                check(name + " BMP (%s) by Pillow" % mode, read, want)
                bits = {"L": 8, "RGB": 24, "RGBA": 32}[mode]
                raw = open(os.path.join(workdir, "image%d.bmp" % i), "rb").read()
                if struct.unpack_from("<H", raw, 28)[0] != bits:
                    failed += 1
                    print("%s BMP: %d bits per pixel, want %d" % (name, struct.unpack_from("<H", raw, 28)[0], bits))
    if at != len(data):
        print("program wrote %d bytes, expected %d" % (len(data), at))
        failed += 1
    print("images: %d, windows: %d, mismatches: %d" % (len(images), len(WINDOWS), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
