#!/usr/bin/env python3
"""An animated GIF playing in the real viewer window under Wine and Xvfb.

Pillow writes a 2-frame animation (700 ms per frame) and composes its
frames; screenshots taken over a few seconds must find each of Pillow's
frames on the screen whole, every pixel unchanged, and the picture must
change from one to the other and back as the animation loops. Nothing may
be written to the error log.

Usage (inside wine-env.sh): stream_window_test.py VIEWER WORKDIR
"""

import os
import sys
import time

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import view_window_test as view  # noqa: E402
import viewer_window_test as vw  # noqa: E402

WIDTH, HEIGHT, DELAY = 160, 100, 700


def write_animation(path):
    """Two frames of distinct patterns; returns Pillow's composition of
    each as RGB rows."""
    y, x = np.mgrid[0:HEIGHT, 0:WIDTH]
    palette = [v for i in range(256) for v in (i, (i * 5) & 255, 255 - i)]
    frames = []
    for indices in (((x + y * 2) & 255), ((x * 3 - y + 128) & 255)):
        image = Image.fromarray(indices.astype(np.uint8), "P")
        image.putpalette(palette)
        frames.append(image)
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=DELAY, loop=0)
    reading = Image.open(path)
    composed = []
    for k in range(reading.n_frames):
        reading.seek(k)
        composed.append(np.asarray(reading.convert("RGB"), np.uint8))
    return composed


def main():
    viewer, workdir = sys.argv[1:3]
    wine = os.environ["WINE_BIN"]
    os.makedirs(workdir, exist_ok=True)
    path = os.path.join(workdir, "animation.gif")
    frames = write_animation(path)
    assert len(frames) == 2 and not np.array_equal(frames[0], frames[1])
    with vw.viewer_run(wine, viewer, vw.windows_path(path)) as process:
        window = vw.poll("the animation's window", lambda: vw.find_window("^animation\\.gif - %s$" % vw.TITLE),
                         60)
        vw.poll("a frame of the animation on the screen",
                lambda: any(view.find_picture(view.window_area(window)[0], f) for f in frames), 30)
        # Which frame each screenshot shows, over several periods.
        seen, started = [], time.monotonic()
        while time.monotonic() - started < 8 * DELAY / 1000 and len(seen) < 4:
            area = view.window_area(window)[0]
            shown = [k for k, f in enumerate(frames) if view.find_picture(area, f)]
            if len(shown) == 1 and (not seen or seen[-1] != shown[0]):
                seen.append(shown[0])
            time.sleep(0.05)
        print("frames seen in turn: %s" % seen)
        assert len(seen) >= 3, "the animation did not play: frames seen %s" % seen
        vw.run("xdotool", "key", "Escape")
        vw.end(process, "animation window")
    print("animation played")


if __name__ == "__main__":
    main()
