#!/usr/bin/env python3
"""The 2D view in the real viewer window under Wine and Xvfb.

Opens a BMP of a known pattern from the command line and finds every one of
its pixels on the screen, unchanged, at 100 % with Nearest sampling. Then
drives the view like a user with xdotool and checks the picture: "+"
and "-" step the zoom (the picture is no longer at 100 %, then is again), a wheel notch zooms about the cursor (the image
pixel under the pointer stays under it), a drag moves the picture by exactly
the pointer's way. Then a PNG (written by Pillow) must appear the same way,
every pixel unchanged. Nothing may be written to the error log.

Usage (inside wine-env.sh): view_window_test.py VIEWER WORKDIR
"""

import os
import struct
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewer_window_test as vw  # noqa: E402


def write_pattern(path, width, height):
    """A 24-bit BMP whose pixel (x, y) is blue x, green y, red a mix; returns
    the pixels as RGB rows."""
    y, x = np.mgrid[0:height, 0:width]
    pixels = np.stack([(x * 7 + y * 13) & 255, y & 255, x & 255], axis=-1).astype(np.uint8)
    row_bytes = (width * 3 + 3) // 4 * 4
    body = bytearray()
    for y in range(height - 1, -1, -1):
        row = pixels[y][:, ::-1].tobytes()  # B, G, R
        body += row + bytes(row_bytes - len(row))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + body)
    return pixels


def window_area(window):
    x, y, w, h = vw.geometry(window)
    return vw.screen()[y:y + h, x:x + w], x, y


def find_picture(area, pixels):
    """Top-left of the picture in the window's area when every pixel of it is
    there unchanged, else None."""
    h, w = pixels.shape[:2]
    corner = pixels[:4, :4]
    candidates = np.argwhere((area[:, :, 0] == corner[0, 0, 0]) & (area[:, :, 1] == corner[0, 0, 1]) &
                             (area[:, :, 2] == corner[0, 0, 2]))
    for y, x in candidates:
        if y + h <= area.shape[0] and x + w <= area.shape[1] and np.array_equal(area[y:y + 4, x:x + 4], corner):
            if np.array_equal(area[y:y + h, x:x + w], pixels):
                return int(x), int(y)
    return None


def show_png(wine, viewer, workdir):
    """Opens a PNG of another pattern and finds all of it on the screen."""
    from PIL import Image
    y, x = np.mgrid[0:170, 0:260]
    pixels = np.stack([x & 255, (x * 3 + y * 5) & 255, (y * 2) & 255], axis=-1).astype(np.uint8)
    path = os.path.join(workdir, "pattern.png")
    Image.fromarray(pixels, "RGB").save(path)
    process = vw.start(wine, viewer, vw.windows_path(path))
    try:
        window = vw.poll("the PNG's window", lambda: vw.find_window("^pattern\\.png - %s$" % vw.TITLE), 60)
        found = vw.poll("every PNG pixel on the screen", lambda: find_picture(window_area(window)[0], pixels), 30)
        print("PNG found whole at %s" % (found,))
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "PNG window")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def main():
    viewer, workdir = sys.argv[1:3]
    wine = os.environ["WINE_BIN"]
    os.makedirs(workdir, exist_ok=True)
    path = os.path.join(workdir, "pattern.bmp")
    pixels = write_pattern(path, 300, 200)
    before = vw.log_lines()
    started = time.monotonic()
    process = vw.start(wine, viewer, vw.windows_path(path))
    try:
        named = "^pattern\\.bmp - %s$" % vw.TITLE
        window = vw.poll("the pattern's window", lambda: vw.find_window(named), 60)
        found = vw.poll("every pattern pixel on the screen", lambda: find_picture(window_area(window)[0], pixels), 30)
        print("pattern found whole at %s after %.1f s" % (found, time.monotonic() - started))
        _, wx, wy = window_area(window)
        px, py = found

        # "+" and "-" step the zoom by one eighth of an octave and back.
        vw.run("xdotool", "mousemove", str(wx + px + 150), str(wy + py + 100), "key", "plus")
        vw.poll("the zoomed-in picture", lambda: find_picture(window_area(window)[0], pixels) is None, 20)
        vw.run("xdotool", "key", "minus")
        vw.poll("the pattern back unchanged", lambda: find_picture(window_area(window)[0], pixels) == found, 20)

        # A wheel notch at a pointer position: the image point under it stays
        # (green and blue name its y and x; magnified, Cubic sampling blends
        # the red mix with the neighbours).
        cx, cy = px + 97, py + 61
        under = window_area(window)[0][cy, cx].copy()
        vw.run("xdotool", "mousemove", str(wx + cx), str(wy + cy), "click", "4")
        vw.poll("the wheel's zoom", lambda: find_picture(window_area(window)[0], pixels) is None, 20)
        time.sleep(0.5)
        after = window_area(window)[0]
        assert abs(int(after[cy, cx][1]) - int(under[1])) <= 1 and abs(int(after[cy, cx][2]) - int(under[2])) <= 1, (
            under, after[cy, cx])
        print("wheel zoom kept pixel %s under the pointer" % (under,))
        vw.run("xdotool", "click", "5")
        vw.poll("the pattern after the wheel", lambda: find_picture(window_area(window)[0], pixels) is not None, 20)
        px, py = find_picture(window_area(window)[0], pixels)

        # A drag moves the picture by exactly the pointer's way.
        vw.run("xdotool", "mousemove", str(wx + px + 150), str(wy + py + 100), "mousedown", "1",
               "mousemove", str(wx + px + 120), str(wy + py + 110), "mousemove", str(wx + px + 110),
               str(wy + py + 125), "mouseup", "1")
        moved = vw.poll("the dragged picture",
                        lambda: find_picture(window_area(window)[0], pixels) == (px - 40, py + 25), 20)
        print("drag moved the picture by (-40, 25)")
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "pattern window")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    show_png(wine, viewer, workdir)
    new = vw.log_lines()[len(before):]
    assert not new, "the run logged problems: %r" % new
    print("2D view checked in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
