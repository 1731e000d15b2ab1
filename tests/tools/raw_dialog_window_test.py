#!/usr/bin/env python3
"""Headerless data in the real viewer window under Wine and Xvfb.

A file no decoder claims opens the RAW import dialog in a window of its own;
Return there applies what it offers (one row of the file's bytes as 8-bit
grey), and the viewer then shows exactly those bytes as a row of pixels.
Nothing may be written to the error log.

Usage (inside wine-env.sh): raw_dialog_window_test.py VIEWER WORKDIR
"""

import os
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import view_window_test as view  # noqa: E402
import viewer_window_test as vw  # noqa: E402

SIZE = 416


def find_row(area, row):
    """Top-left of the row of grey pixels in the area when all of it is there."""
    grey = area[:, :, 0].astype(np.int16)
    same = (area[:, :, 0] == area[:, :, 1]) & (area[:, :, 1] == area[:, :, 2])
    for y, x in np.argwhere((grey == row[0]) & same):
        if x + len(row) <= area.shape[1] and np.array_equal(grey[y, x:x + len(row)], row):
            return int(x), int(y)
    return None


def main():
    viewer, workdir = sys.argv[1:3]
    wine = os.environ["WINE_BIN"]
    os.makedirs(workdir, exist_ok=True)
    path = os.path.join(workdir, "scan.unclaimed")
    data = ((np.arange(SIZE) * 7 + 3) % 256).astype(np.uint8)
    data[:4] = (1, 2, 3, 4)  # no decoder's signature
    data.tofile(path)
    with vw.viewer_run(wine, viewer, vw.windows_path(path)) as process:
        dialog = vw.poll("the import dialog", lambda: vw.find_window("^RAWDecoder$"), 60)
        main_window = vw.poll("the viewer's window", lambda: vw.find_window("^scan\\.unclaimed - %s$" % vw.TITLE), 30)
        print("the import dialog opened for the unclaimed file")
        vw.run("xdotool", "windowactivate", "--sync", dialog)
        time.sleep(0.3)
        vw.run("xdotool", "key", "Return")
        # Out of the picture's way.
        vw.run("xdotool", "windowmove", dialog, "0", "900")
        at = vw.poll("the file's bytes as a row of pixels",
                     lambda: find_row(view.window_area(main_window)[0], data.astype(np.int16)), 30)
        print("applied: the %d bytes show as a row at %s" % (SIZE, at))
        # Escape closes the dialog; a click into the viewer and Escape there
        # close the viewer.
        vw.run("xdotool", "windowactivate", "--sync", dialog)
        time.sleep(0.3)
        vw.run("xdotool", "key", "Escape")
        _, wx, wy = view.window_area(main_window)
        vw.run("xdotool", "mousemove", str(wx + 400), str(wy + 500), "click", "1")
        time.sleep(0.3)
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "viewer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
