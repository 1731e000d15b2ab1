#!/usr/bin/env python3
"""Paste in the real program, under Wine and Xvfb.

The viewer shows a picture of a folder of two. A second process puts a
bitmap of a known pattern (drawn here with PIL) on the clipboard as CF_DIB;
Ctrl+V must title the window "Clipboard.dib". Right after, the clipboard is
emptied by another process, which fails if the viewer still holds it open;
the pattern must still show on the screen at 100 %, pixel for pixel. The
pasted picture has no folder: Down changes nothing. Shift+Insert with the
clipboard empty changes nothing either, and nothing is logged.

Usage (inside wine-env.sh): paste_window_test.py VIEWER CLIPBOARD_TOOL WORKDIR
"""

import os
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewer_window_test as vw  # noqa: E402

WIDTH, HEIGHT = 61, 37


def pattern():
    """Colours that occur once each, so that the pattern is found by its corner."""
    y, x = np.mgrid[0:HEIGHT, 0:WIDTH]
    return np.dstack([(x * 4 + 3) % 256, (y * 6 + 5) % 256, (x * 3 + y * 5 + 17) % 256]).astype(np.uint8)


def find_on_screen(window, expected):
    """Where expected shows unscaled inside the window, else None."""
    x, y, w, h = vw.geometry(window)
    area = vw.screen()[y:y + h, x:x + w]
    for top, left in np.argwhere((area == expected[0, 0]).all(axis=2)):
        block = area[top:top + HEIGHT, left:left + WIDTH]
        if block.shape == expected.shape and np.array_equal(block, expected):
            return left, top
    return None


def clipboard(wine, tool, *arguments):
    result = subprocess.run([wine, tool, *arguments], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, "clipboard_tool %r: %d %s" % (arguments, result.returncode, result.stderr)


def main():
    viewer, tool, workdir = sys.argv[1:4]
    wine = os.environ["WINE_BIN"]
    shutil.rmtree(workdir, ignore_errors=True)
    folder = os.path.join(workdir, "folder")
    os.makedirs(folder)
    expected = pattern()
    bmp = os.path.join(workdir, "pattern.bmp")
    Image.fromarray(expected, "RGB").save(bmp)
    first, second = os.path.join(folder, "a.bmp"), os.path.join(folder, "b.bmp")
    Image.new("RGB", (40, 30), (200, 40, 40)).save(first)
    shutil.copy(first, second)

    with vw.viewer_run(wine, viewer, vw.windows_path(first)) as process:
        window = vw.poll("the first picture", lambda: vw.find_window("^a\\.bmp - "), 60)
        x, y, _, _ = vw.geometry(window)
        clipboard(wine, tool, "set-dib", vw.windows_path(bmp))
        vw.run("xdotool", "mousemove", str(x + 400), str(y + 300), "key", "ctrl+v")
        vw.poll("the pasted title", lambda: vw.window_name(window) == "Clipboard.dib - " + vw.TITLE, 20)
        clipboard(wine, tool, "empty")
        at = vw.poll("the pattern on the screen", lambda: find_on_screen(window, expected), 20)
        print("the pasted pattern shows unscaled at %d, %d of the window" % at)

        vw.run("xdotool", "key", "Down")
        vw.run("xdotool", "key", "shift+Insert")
        vw.poll("the pattern still shown", lambda: find_on_screen(window, expected), 20)
        assert vw.window_name(window) == "Clipboard.dib - " + vw.TITLE, vw.window_name(window)
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "paste run")
    return 0


if __name__ == "__main__":
    sys.exit(main())
