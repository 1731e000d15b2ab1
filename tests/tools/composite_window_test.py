#!/usr/bin/env python3
"""The 2D viewer's toolbar in the real viewer window under Wine and Xvfb.

The toolbar's buttons stand where the headless host lays them out (the
layout tool prints their rectangles) and are drawn there, not background. A
click with xdotool on "Rotate view 90 degrees clockwise" turns the picture:
every pixel of the pattern is then found on the screen turned clockwise, and
a click on the counterclockwise button brings it back unchanged. Nothing may
be written to the error log.

Usage (inside wine-env.sh): composite_window_test.py VIEWER LAYOUT_TOOL WORKDIR
"""

import os
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewer_window_test as vw  # noqa: E402
from view_window_test import find_picture, window_area, write_pattern  # noqa: E402

BACKGROUND = np.array([63, 63, 63], dtype=np.uint8)


def click(window, rect):
    _, wx, wy = window_area(window)
    x, y = wx + (rect[0] + rect[2]) // 2, wy + (rect[1] + rect[3]) // 2
    # Move first, so that the button sees the pointer enter before the press.
    vw.run("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.3)
    vw.run("xdotool", "mousedown", "1")
    time.sleep(0.1)
    vw.run("xdotool", "mouseup", "1")


def main():
    viewer, tool, workdir = sys.argv[1:4]
    wine = os.environ["WINE_BIN"]
    os.makedirs(workdir, exist_ok=True)
    rects = vw.toolbar_layout(wine, tool)
    for name in ("Toolbar", "RotateRight", "RotateLeft", "ZoomIn", "Histogram", "TooltipRotateRight"):
        assert name in rects, "the layout tool names no %s: %r" % (name, rects)
    path = os.path.join(workdir, "turn.bmp")
    pixels = write_pattern(path, 150, 70)
    with vw.viewer_run(wine, viewer, vw.windows_path(path)) as process:
        window = vw.poll("the pattern's window", lambda: vw.find_window("^turn\\.bmp - %s$" % vw.TITLE), 60)
        found = vw.poll("every pattern pixel on the screen", lambda: find_picture(window_area(window)[0], pixels), 30)
        print("pattern found whole at %s" % (found,))

        # The toolbar is drawn: every button's square holds more than background.
        area = window_area(window)[0]
        for name in ("ZoomIn", "RotateLeft", "RotateRight", "Histogram"):
            x0, y0, x1, y1 = rects[name]
            square = area[y0:y1, x0:x1].reshape(-1, 3)
            drawn = np.any(square != BACKGROUND, axis=1).mean()
            # Toggles draw their picture alone, without a background.
            assert drawn > 0.3, "button %s is not drawn (%.2f of its pixels)" % (name, drawn)
        tx0, ty0, tx1, ty1 = rects["Toolbar"]
        assert found[1] >= ty1, "the picture at %s overlaps the toolbar ending at %d" % (found, ty1)
        print("toolbar drawn over %d x %d pixels" % (tx1 - tx0, ty1 - ty0))

        # The pointer on the clockwise button shows its tooltip where the
        # host computes it: everything that changes, apart from the hovered
        # button itself, lies in that rectangle.
        before_tip = window_area(window)[0].astype(np.int16)
        _, wx, wy = window_area(window)
        rr = rects["RotateRight"]
        vw.run("xdotool", "mousemove", str(wx + (rr[0] + rr[2]) // 2), str(wy + (rr[1] + rr[3]) // 2))
        x0, y0, x1, y1 = rects["TooltipRotateRight"]

        def tooltip_shown():
            now = window_area(window)[0].astype(np.int16)
            changed = np.any(now != before_tip, axis=2)
            changed[rr[1]:rr[3], rr[0]:rr[2]] = False
            ys, xs = np.nonzero(changed)
            if len(xs) < 50:
                return None
            box = (int(xs.min()), int(ys.min()), int(xs.max()) + 1, int(ys.max()) + 1)
            inside = box[0] >= x0 - 1 and box[1] >= y0 - 1 and box[2] <= x1 + 1 and box[3] <= y1 + 1
            return inside and (len(xs), box)
        try:
            shown = vw.poll("the tooltip at %r" % ((x0, y0, x1, y1),), tooltip_shown, 20)
        except AssertionError:
            from PIL import Image
            Image.fromarray(vw.screen()).save(os.path.join(workdir, "no-tooltip.png"))
            raise
        print("tooltip drawn: %d pixels changed within %r, inside %r" % (shown[0], shown[1], (x0, y0, x1, y1)))
        vw.run("xdotool", "mousemove", str(wx + 5), str(wy + rects["Toolbar"][3] + 40))
        time.sleep(0.3)

        # Clockwise: the pattern's first row becomes the last column.
        turned = np.ascontiguousarray(np.rot90(pixels, k=-1))
        click(window, rects["RotateRight"])
        at = vw.poll("the pattern turned clockwise", lambda: find_picture(window_area(window)[0], turned), 20)
        print("a click on the clockwise button turned the picture (now at %s)" % (at,))
        click(window, rects["RotateLeft"])
        vw.poll("the pattern back upright", lambda: find_picture(window_area(window)[0], pixels) is not None, 20)
        print("the counterclockwise button turned it back")
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "pattern window")
    return 0


if __name__ == "__main__":
    sys.exit(main())
