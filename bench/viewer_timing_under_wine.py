#!/usr/bin/env python3
"""The viewer's timings on the real window host under Wine: process start to
the first frame of a 6000 x 4000 JPEG (quality 90, written by cjpeg), that
JPEG's decode alone, and the Down key to the frame of the next, prefetched
one. Runs the Windows build's viewer_timing tool five times in its own Wine
session (the first run warms the wineserver and is left out).
Usage: bench/viewer_timing_under_wine.py [BUILD_DIR]"""

import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "win64")
TOOL = os.path.join(BUILD, "bin", "viewer_timing.exe")
SESSION = os.path.join(ROOT, "tools", "wine", "wine-session.sh")
ENV = os.path.join(ROOT, "tools", "wine", "wine-env.sh")


def write_photo(path, seed):
    """A photo-like 6000 x 4000 picture: smooth gradients and noise."""
    import numpy as np
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:4000, 0:6000].astype(np.float32)
    rgb = np.stack([x / 6000 * 255, y / 4000 * 255, (x + y) / 10000 * 255], axis=-1)
    rgb += rng.normal(0, 12, rgb.shape)
    ppm = path + ".ppm"
    with open(ppm, "wb") as out:
        out.write(b"P6 6000 4000 255\n" + np.clip(rgb, 0, 255).astype(np.uint8).tobytes())
    with open(path, "wb") as out:
        subprocess.run(["/usr/bin/cjpeg", "-quality", "90", ppm], stdout=out, check=True)
    os.remove(ppm)


def main():
    with tempfile.TemporaryDirectory() as work:
        photos = os.path.join(work, "photos")
        os.makedirs(photos)
        first, second = os.path.join(photos, "a.jpg"), os.path.join(photos, "b.jpg")
        write_photo(first, 1)
        write_photo(second, 2)
        state = os.path.join(work, "wine")
        subprocess.run([SESSION, "start", state], check=True)
        runs = []
        try:
            for _ in range(6):
                out = subprocess.run([ENV, state, "sh", "-c", '"$WINE_BIN" "$0" "$1" "$2"', TOOL,
                                      "Z:" + first.replace("/", "\\"), "Z:" + second.replace("/", "\\")],
                                     capture_output=True, text=True, check=True, timeout=300).stdout
                runs.append({k: float(v) for k, v in (line.split() for line in out.splitlines() if line)})
        finally:
            subprocess.run([SESSION, "stop", state], check=True)
        for key in ("main", "constructed", "shown", "opened", "first-frame", "decode", "next-prefetched"):
            values = [r[key] for r in runs[1:]]
            print("%-16s median %7.1f ms  (min %.1f, max %.1f)" % (key, statistics.median(values), min(values),
                                                                  max(values)))
        ratio = statistics.median([r["first-frame"] / r["decode"] for r in runs[1:]])
        print("first frame / decode alone: %.2f" % ratio)


if __name__ == "__main__":
    main()
