#!/usr/bin/env python3
"""The main window's place across runs, under Wine and Xvfb.

The viewer opens 800 x 600 in the middle of the screen; its title line is
dragged elsewhere and its bottom-right corner dragged outwards (xdotool),
then it is closed with Escape. The next run must open at exactly that
rectangle (xdotool getwindowgeometry); a double-click on its title line
maximises it to the whole screen (Xvfb has no taskbar) and another gives
the rectangle back. The settings file is put back as it was afterwards.

Usage (inside wine-env.sh): main_frame_window_test.py VIEWER
"""

import contextlib
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewer_window_test as vw  # noqa: E402

SETTINGS = os.path.join("Brintavolex Viewer", "Brintavolex Viewer.ini")


def settings_files():
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
    return [os.path.join(root, name) for root, _, names in os.walk(users) for name in names
            if os.path.join(root, name).endswith(SETTINGS)]


@contextlib.contextmanager
def kept_settings():
    """The settings files as they were before, whatever the runs stored."""
    kept = {path: open(path, "rb").read() for path in settings_files()}
    try:
        yield
    finally:
        for path in settings_files():
            if path not in kept:
                os.remove(path)
        for path, data in kept.items():
            with open(path, "wb") as out:
                out.write(data)


def drag(x0, y0, x1, y1):
    vw.run("xdotool", "mousemove", str(x0), str(y0), "mousedown", "1", "mousemove", str((x0 + x1) // 2),
           str((y0 + y1) // 2), "mousemove", str(x1), str(y1), "mouseup", "1")


def main():
    viewer = sys.argv[1]
    wine = os.environ["WINE_BIN"]
    assert vw.find_window() is None, "a viewer window is open already"
    width, height = vw.screen().shape[1::-1]
    with kept_settings():
        for path in settings_files():
            os.remove(path)
        with vw.viewer_run(wine, viewer) as process:
            window = vw.poll("the viewer window", vw.find_window, 60)
            x, y, w, h = vw.geometry(window)
            assert (x, y, w, h) == ((width - 800) // 2, (height - 600) // 2, 800, 600), (x, y, w, h)
            drag(x + 400, y + 10, x + 300, y - 70)
            moved = (x - 100, y - 80)
            vw.poll("the moved window", lambda: vw.geometry(window)[:2] == moved, 20)
            # The corner, a pixel inside the window.
            corner = (moved[0] + w - 2, moved[1] + h - 2)
            drag(corner[0], corner[1], corner[0] + 120, corner[1] + 90)
            placed = (moved[0], moved[1], w + 120, h + 90)
            vw.poll("the resized window", lambda: vw.geometry(window) == placed, 20)
            print("moved and resized to %r" % (placed,))
            vw.run("xdotool", "mousemove", str(placed[0] + 400), str(placed[1] + 300), "key", "Escape")
            vw.end(process, "first run")

        with vw.viewer_run(wine, viewer) as process:
            window = vw.poll("the viewer window again", vw.find_window, 60)
            vw.poll("the stored rectangle", lambda: vw.geometry(window) == placed, 20)
            print("the next run opened at %r" % (placed,))
            title = (placed[0] + 400, placed[1] + 8)
            vw.run("xdotool", "mousemove", str(title[0]), str(title[1]), "click", "--repeat", "2", "--delay", "80", "1")
            vw.poll("the maximised window", lambda: vw.geometry(window) == (0, 0, width, height), 20)
            vw.run("xdotool", "mousemove", "400", "8", "click", "--repeat", "2", "--delay", "80", "1")
            vw.poll("the restored window", lambda: vw.geometry(window) == placed, 20)
            print("double-clicks on the title maximised and restored it")
            vw.run("xdotool", "mousemove", str(placed[0] + 400), str(placed[1] + 300), "key", "Escape")
            vw.end(process, "second run")
    return 0


if __name__ == "__main__":
    sys.exit(main())
