#!/usr/bin/env python3
"""make_raw_cases.py OUT_DIR: headerless files of every scalar type written
by numpy, 2D and 3D, behind headers of junk, and numpy's own view of them.

Output: cases.txt with a line "file type x y z offset" per file (z 0 for a
picture); FILE.expected holds the array's bytes, z, y, x order, little-endian;
for volumes FILE.xz and FILE.yz hold every XZ slice (rows z, columns x) and
every YZ slice (rows z, columns y) one after the other, as numpy slices them.
One picture lies beyond 4 GiB in a sparse file.
"""
import os
import sys

import numpy as np

TYPES = {"SInt8": "<i1", "UInt8": "<u1", "SInt16": "<i2", "UInt16": "<u2", "Float32": "<f4",
         "SInt32": "<i4", "UInt32": "<u4", "Float64": "<f8", "SInt64": "<i8", "UInt64": "<u8"}


def samples(rng, dtype, shape):
    dtype = np.dtype(dtype)
    if dtype.kind == "f":
        values = rng.standard_normal(shape) * 1e3
        values.flat[:3] = [np.inf, -0.0, 1e-30]
        return values.astype(dtype)
    info = np.iinfo(dtype)
    return rng.integers(info.min, info.max, size=shape, dtype=dtype, endpoint=True)


def write(out, lines, name, type_name, array, offset, rng, sparse=False):
    path = os.path.join(out, name)
    with open(path, "wb") as f:
        if sparse:
            f.seek(offset)  # the file system keeps the hole unwritten
        else:
            f.write(rng.integers(0, 256, size=offset, dtype=np.uint8).tobytes())
        f.write(array.tobytes())
    with open(path + ".expected", "wb") as f:
        f.write(array.tobytes())
    if array.ndim == 3:
        z, y, x = array.shape
        with open(path + ".xz", "wb") as f:
            for k in range(y):
                f.write(np.ascontiguousarray(array[:, k, :]).tobytes())
        with open(path + ".yz", "wb") as f:
            for k in range(x):
                f.write(np.ascontiguousarray(array[:, :, k]).tobytes())
    else:
        y, x = array.shape
        z = 0
    lines.append(f"{name} {type_name} {x} {y} {z} {offset}\n")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = np.random.default_rng(2024)
    lines = []
    for i, (type_name, dtype) in enumerate(TYPES.items()):
        write(out, lines, f"{type_name}-2d.raw", type_name, samples(rng, dtype, (13, 17)), 37 + i, rng)
        write(out, lines, f"{type_name}-3d.raw", type_name, samples(rng, dtype, (5, 7, 9)), 3 * i, rng)
    # Rows long enough that a YZ slice is read sample by sample.
    write(out, lines, "wide-3d.raw", "Float64", samples(rng, "<f8", (4, 3, 2100)), 11, rng)
    write(out, lines, "beyond-4GiB.raw", "UInt16", samples(rng, "<u2", (19, 31)), (1 << 32) + 4097, rng,
          sparse=True)
    with open(os.path.join(out, "cases.txt"), "w") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
