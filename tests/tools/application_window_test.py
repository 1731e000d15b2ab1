#!/usr/bin/env python3
"""The application's shell commands in the real program, under Wine and Xvfb.

With deletion enabled in the settings file, the viewer opens the first of
two pictures of a folder; Delete (xdotool) moves it into Wine's trash (the
shell's confirmation is answered with Return), the file is
gone from the folder and Down opens the other one. Then a picture under an
extension nothing is associated with opens, and the print button must show
the shell's message in a box while the viewer goes on and ends with 0.
Nothing may be written to the error log.

Usage (inside wine-env.sh): application_window_test.py VIEWER LAYOUT_TOOL WORKDIR
"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import main_frame_window_test as mf  # noqa: E402
import viewer_window_test as vw  # noqa: E402


def roaming_settings():
    """Where the viewer of this prefix keeps its settings file."""
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
    for root, folders, _ in os.walk(users):
        if os.path.basename(root) == "Roaming" and "Public" not in root:
            return os.path.join(root, mf.SETTINGS)
    raise AssertionError("no roaming application data folder in the prefix")


def trash_files():
    data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    return os.path.join(data, "Trash", "files")


def main():
    viewer, layout_tool, workdir = sys.argv[1:4]
    wine = os.environ["WINE_BIN"]
    shutil.rmtree(workdir, ignore_errors=True)
    folder = os.path.join(workdir, "folder")
    os.makedirs(folder)
    first, second = os.path.join(folder, "first-delete-me.bmp"), os.path.join(folder, "second.bmp")
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "make-sample-image.py"),
                    first], check=True, timeout=60)
    shutil.copy(first, second)
    odd = os.path.join(workdir, "scan.qqq")
    shutil.copy(first, odd)
    trash = trash_files()
    in_trash_before = set(os.listdir(trash)) if os.path.isdir(trash) else set()

    with mf.kept_settings():
        settings = roaming_settings()
        os.makedirs(os.path.dirname(settings), exist_ok=True)
        with open(settings, "w") as out:
            out.write("[EnableFileDelete]\ntrue\n\n")
        with vw.viewer_run(wine, viewer, vw.windows_path(first)) as process:
            window = vw.poll("the first picture", lambda: vw.find_window("^first-delete-me\\.bmp - "), 60)
            x, y, _, _ = vw.geometry(window)
            vw.run("xdotool", "mousemove", str(x + 400), str(y + 300), "key", "Delete")

            def gone():
                if not os.path.exists(first):
                    return True
                # Wine's shell asks first: its Yes is the default button.
                confirm = vw.find_window("^Confirm file deletion$")
                if confirm:
                    cx, cy, cw, _ = vw.geometry(confirm)
                    vw.run("xdotool", "mousemove", str(cx + cw // 2), str(cy + 15), "click", "1", "key", "Return")
                return False

            vw.poll("the file moved out of the folder", gone, 30)
            # Wine adds a suffix when the name is in the trash already.
            trashed = [name for name in set(os.listdir(trash)) - in_trash_before
                       if name.startswith(os.path.basename(first))]
            assert len(trashed) == 1, "not in the trash %s: %r" % (trash, trashed)
            print("Delete moved the file into the trash as %s" % trashed[0])
            os.remove(os.path.join(trash, trashed[0]))
            info = os.path.join(os.path.dirname(trash), "info", trashed[0] + ".trashinfo")
            if os.path.exists(info):
                os.remove(info)
            vw.run("xdotool", "mousemove", str(x + 400), str(y + 300), "key", "Down")
            vw.poll("the other picture's title", lambda: vw.window_name(window) == "second.bmp - " + vw.TITLE, 20)
            vw.run("xdotool", "key", "Escape")
            vw.end(process, "delete run")

        layout = vw.toolbar_layout(wine, layout_tool)
        with vw.viewer_run(wine, viewer, vw.windows_path(odd)) as process:
            window = vw.poll("the odd picture", lambda: vw.find_window("^scan\\.qqq - "), 60)
            x, y, _, _ = vw.geometry(window)
            x0, y0, x1, y1 = layout["Print"]
            vw.run("xdotool", "mousemove", str(x + (x0 + x1) // 2), str(y + (y0 + y1) // 2), "click", "1")
            box = vw.poll("the print message", lambda: vw.find_window("^%s$" % vw.TITLE), 30)
            print("print without a handler shows its message")
            vw.run("xdotool", "key", "--window", box, "Return")
            vw.poll("the message closed", lambda: vw.find_window("^%s$" % vw.TITLE) is None, 20)
            assert process.poll() is None, "the viewer ended"
            vw.run("xdotool", "mousemove", str(x + 400), str(y + 300), "key", "Escape")
            vw.end(process, "print run")
    return 0


if __name__ == "__main__":
    sys.exit(main())
