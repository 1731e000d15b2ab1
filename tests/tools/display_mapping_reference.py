#!/usr/bin/env python3
"""Independent evaluation of the display mapping of all twenty pixel types.

Images full of extreme, random and special values (NaN, +-infinity, -0,
denormals, values on and next to every rounding edge) are written to a file,
mapped to display bytes by the C++ program named on the command line (the
data model's conversion, the software renderer's nearest shader and its
unshaded texture path) and evaluated here with numpy from the written rule:
integers through their nominal range, floats clamped to 0..1 with NaN as 0,
bytes n * 255 + 0.5 truncated. The ranges of the attached user
representation are checked against numpy's own minimum and maximum scan.

Usage: display_mapping_reference.py MAPPER WORKDIR
"""

import os
import struct
import subprocess
import sys

import numpy as np

from software_renderer_reference import TYPES  # code -> (numpy channel type, channels)


def nominal(dtype):
    """Nominal minimum and maximum as doubles; 64-bit maxima are 2^63 and 2^64."""
    if dtype == np.int64:
        return -2.0 ** 63, 2.0 ** 63
    if dtype == np.uint64:
        return 0.0, 2.0 ** 64
    info = np.iinfo(dtype)
    return float(info.min), float(info.max)


def expected_bytes(values, code):
    """B, G, R, A display bytes (h, w, 4) of stored values (h, w, channels)."""
    dtype, channels = TYPES[code]
    if np.issubdtype(dtype, np.floating):
        v = values.astype(np.float64)
        n = np.clip(np.nan_to_num(v, nan=0.0, posinf=1.0, neginf=0.0), 0.0, 1.0)
    else:
        lo, hi = nominal(dtype)
        n = (np.clip(values.astype(np.float64), lo, hi) - lo) / (hi - lo)
    b = np.clip(np.floor(n * 255.0 + 0.5), 0, 255).astype(np.uint8)
    if channels == 1:
        return np.concatenate([b, b, b, np.full_like(b, 255)], axis=-1)
    return b


def expected_range(values, code):
    """(user min, user max, pixel min, pixel max) as the attached representation must give them."""
    dtype, channels = TYPES[code]
    if not np.issubdtype(dtype, np.floating):
        lo, hi = nominal(dtype)
        return lo, hi, lo, hi
    counted = values[..., :3] if channels == 4 else values
    v = counted.astype(np.float64).ravel()
    v = v[~np.isnan(v)]
    lo = v.min() if v.size else np.inf
    hi = v.max() if v.size else -np.inf
    # No usable range: a unit range around what there is.
    if not np.isfinite(lo) and not np.isfinite(hi):
        lo, hi = 0.0, 1.0
    elif not np.isfinite(lo):
        lo = hi - 1.0
    elif not np.isfinite(hi):
        hi = lo + 1.0
    if not lo < hi:
        hi = lo + 1.0
    return lo, hi, lo, hi


def special_values(dtype):
    if np.issubdtype(dtype, np.floating):
        edges = (np.arange(256) + 0.5) / 255.0  # where the byte changes
        near = np.concatenate([edges, np.nextafter(edges, -1.0), np.nextafter(edges, 2.0)]).astype(dtype)
        tiny = np.finfo(dtype).tiny
        extra = [np.nan, np.inf, -np.inf, -0.0, 0.0, 1.0, -1.0, 2.0, tiny, tiny / 4, -tiny, np.finfo(dtype).max,
                 -np.finfo(dtype).max, np.nextafter(dtype(1), dtype(0)), np.nextafter(dtype(0), dtype(1)),
                 -np.nan]
        return np.concatenate([np.array(extra, dtype=dtype), near])
    info = np.iinfo(dtype)
    values = [info.min, info.max, 0, 1, info.min + 1, info.max - 1, info.max // 2, info.max // 2 + 1]
    if info.min < 0:
        values += [-1, info.min // 2, -128, 127]
    lo, hi = nominal(dtype)
    # Values on both sides of every byte edge of the nominal range (exact in
    # integers up to 32 bits; the 64-bit types meet their edges as doubles).
    if info.bits <= 32:
        for k in range(256):
            edge = lo + (k + 0.5) * (hi - lo) / 255.0
            for e in (np.floor(edge), np.ceil(edge), np.floor(edge) - 1, np.ceil(edge) + 1):
                if info.min <= e <= info.max:
                    values.append(int(e))
    return np.array(values, dtype=dtype)


def random_values(rng, dtype, count):
    if np.issubdtype(dtype, np.floating):
        v = rng.uniform(-0.25, 1.25, count)
        wide = rng.uniform(-1e6, 1e6, count // 4)
        return np.concatenate([v, wide]).astype(dtype)
    info = np.iinfo(dtype)
    return rng.integers(info.min, info.max, size=count, dtype=dtype, endpoint=True)


def make_images(rng):
    images = []
    for code, (dtype, channels) in TYPES.items():
        w, h = 67, 9
        n = w * h * channels
        pool = np.concatenate([special_values(dtype), random_values(rng, dtype, n)])
        values = pool[:n] if pool.size >= n else np.resize(pool, n)
        # Special values at the start of each channel too, not only of blue.
        if channels == 4:
            values = values.reshape(-1, 4)
            for c in range(1, 4):
                values[:, c] = np.roll(values[:, 0], 7 * c)
            values = values.ravel()
        images.append((code, values.reshape(h, w, channels)))
        if np.issubdtype(dtype, np.floating):
            # Images whose values give no range of their own.
            nan, inf = dtype(np.nan), dtype(np.inf)
            for fill in ([7.5, 7.5, 7.5], [nan, nan, nan], [-inf, 3.0, nan], [inf, inf, nan], [0.0, 1000.0, nan]):
                pixels = np.array(fill, dtype=dtype).reshape(1, 3, 1)
                images.append((code, np.repeat(pixels, channels, axis=2)))
            images.append((code, np.zeros((0, 0, channels), dtype=dtype)))
            if channels == 4:
                # Alpha above every colour component does not count.
                alpha = np.array([[[1, 2, 3, 99], [4, 5, 6, 100]]], dtype=dtype)
                images.append((code, alpha))
    return images


def write_images(path, images):
    with open(path, "wb") as f:
        f.write(b"BRDM" + struct.pack("<I", len(images)))
        for code, values in images:
            h, w = values.shape[:2]
            f.write(struct.pack("<iII", code, w, h))
            f.write(np.ascontiguousarray(values).astype(values.dtype.newbyteorder("<")).tobytes())


def main():
    mapper, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    rng = np.random.default_rng(62)
    images = make_images(rng)
    in_path = os.path.join(workdir, "images.bin")
    out_path = os.path.join(workdir, "mapped.bin")
    write_images(in_path, images)
    subprocess.run([mapper, in_path, out_path], check=True)
    data = open(out_path, "rb").read()
    at = 0
    failed = 0
    for code, values in images:
        h, w = values.shape[:2]
        want = expected_bytes(values, code)
        for way in ("conversion", "nearest shader", "unshaded texture"):
            if w * h == 0 and way != "conversion":
                continue
            got = np.frombuffer(data, dtype=np.uint8, count=w * h * 4, offset=at).reshape(h, w, 4)
            at += w * h * 4
            bad = np.argwhere(got != want)
            if bad.size:
                failed += 1
                y, x, c = bad[0]
                print("type %d, %s: %d bytes differ, first at (%d, %d) channel %d: value %r gives %d, want %d" % (
                    code, way, len(bad), x, y, c, values[y, x, c if values.shape[2] == 4 else 0], got[y, x, c],
                    want[y, x, c]))
        got_range = struct.unpack_from("<4d", data, at)
        at += 32
        want_range = expected_range(values, code)
        if got_range != tuple(float(v) for v in want_range):
            failed += 1
            print("type %d, %dx%d image: range %r, want %r" % (code, w, h, got_range, want_range))
    if at != len(data):
        print("mapper wrote %d bytes, expected %d" % (len(data), at))
        failed += 1
    print("images: %d, mismatches: %d" % (len(images), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
