#!/usr/bin/env python3
"""Time from starting "Brintavolex Viewer.exe" on a 6000 x 4000 24-bit BMP
under Wine to its first window frame and to the first frame that shows the
decoded picture (the title then carries the zoom). Runs in its own Wine
session. Usage: bench/first_frame_under_wine.py [BUILD_DIR]"""

import os
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "win64")
VIEWER = os.path.join(BUILD, "bin", "Brintavolex Viewer.exe")


def write_bmp(path, width, height):
    row_bytes = (width * 3 + 3) // 4 * 4
    row = bytes((x * 7) & 255 for x in range(row_bytes))
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 54 + row_bytes * height, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, row_bytes * height, 2835, 2835, 0, 0))
        for _ in range(height):
            f.write(row)


def centre_pixel(env):
    """The screen's centre pixel (the picture's middle once it is drawn)."""
    shot = subprocess.run(["import", "-window", "root", "-crop", "1x1+640+512", "-depth", "8", "rgb:-"],
                          capture_output=True, env=env).stdout
    return shot[:3]


def names():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Brintavolex Viewer"],
                           capture_output=True, text=True).stdout.split()
    return [subprocess.run(["xdotool", "getwindowname", w], capture_output=True, text=True).stdout.strip()
            for w in found]


def main():
    state = tempfile.mkdtemp(prefix="brintavolex-bench-")
    session = os.path.join(ROOT, "tools", "wine", "wine-session.sh")
    subprocess.run([session, "start", state], check=True, stdout=subprocess.DEVNULL)
    try:
        env = dict(os.environ)
        for line in open(os.path.join(state, "env")):
            key, value = line.replace("export ", "").strip().split("=", 1)
            env[key] = value.strip("'")
        env["WINEDEBUG"] = "-all"
        picture = os.path.join(state, "big.bmp")
        write_bmp(picture, 6000, 4000)
        wine = "/usr/lib/wine/wine64"
        for attempt in range(3):
            started = time.monotonic()
            process = subprocess.Popen([wine, VIEWER, "Z:" + picture.replace("/", "\\")], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            first = shown = drawn = None
            background = centre_pixel(env)
            while time.monotonic() - started < 60 and drawn is None:
                titles = names() if "DISPLAY" in env else []
                os.environ["DISPLAY"] = env["DISPLAY"]
                if titles and first is None:
                    first = time.monotonic() - started
                if shown is None and any(t.endswith("%") for t in titles):
                    shown = time.monotonic() - started
                if shown is not None and centre_pixel(env) not in (background, b""):
                    drawn = time.monotonic() - started
                time.sleep(0.02)
            subprocess.run(["xdotool", "key", "Escape"], env=env)
            process.wait(timeout=30)
            print("run %d: window %.2f s, picture decoded %.2f s, picture on the screen %.2f s" % (
                attempt + 1, first or -1, shown or -1, drawn or -1))
    finally:
        subprocess.run([session, "stop", state], stdout=subprocess.DEVNULL)
    return 0


if __name__ == "__main__":
    sys.exit(main())
