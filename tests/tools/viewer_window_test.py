#!/usr/bin/env python3
"""The real viewer window under Wine and Xvfb, driven with xdotool.

Starts "Brintavolex Viewer.exe" in the running Wine session, waits for its
window, photographs the screen and compares the window's area with the
frame the headless host draws for the same window: exactly with the frame
drawn under Wine (same glyph rasteriser), and with the checked-in native
frame everywhere outside the title text (GDI and FreeType glyphs differ).
Then drags the title line with the pointer (the window must follow, drawn
anew) and presses Escape (the process must end with exit code 0). A second
run opens the sample picture named on the command line: the screen must
show exactly the headless frame of the decoded picture, the window title
"name - Brintavolex Viewer", and a key press must zoom in. A third run does
the same with the sample as a JPEG (made by cjpeg), whose folder holds both:
Down must open the next file of the folder. The first run, of a copy that
was never installed, shows the portable notice on its blue band. No run may
write to the error log.

Usage (inside wine-env.sh):
viewer_window_test.py VIEWER FRAME_TOOL LAYOUT_TOOL GOLDEN SAMPLE_MAKER WORKDIR
"""

import contextlib
import os
import subprocess
import sys
import time

import numpy as np

TITLE = "Brintavolex Viewer"
# The notice line's band as it must show on the screen.
NOTICE_BAND = (99, 107, 194)


def read_png(path):
    """RGB rows of a PNG as ImageMagick decodes it."""
    width, height = map(int, run("/usr/bin/identify", "-format", "%w %h", path).stdout.split())
    rgb = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "rgb:-"], capture_output=True, timeout=30, check=True).stdout
    return np.frombuffer(rgb, dtype=np.uint8).reshape(height, width, 3).copy()


def run(*command, **kw):
    return subprocess.run(command, capture_output=True, text=True, timeout=30, **kw)


def poll(what, check, timeout):
    end = time.monotonic() + timeout
    while True:
        result = check()
        if result is not None and result is not False:
            return result
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def screen():
    info = run("xwininfo", "-root").stdout
    width = int(info.split("Width:")[1].split()[0])
    height = int(info.split("Height:")[1].split()[0])
    shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], capture_output=True,
                          timeout=30, check=True).stdout
    return np.frombuffer(shot, dtype=np.uint8).reshape(height, width, 3)


def geometry(window):
    values = dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", window).stdout.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def find_window(pattern="^%s$" % TITLE):
    found = run("xdotool", "search", "--onlyvisible", "--name", pattern).stdout.split()
    return found[0] if len(found) == 1 else None


def window_name(window):
    return run("xdotool", "getwindowname", window).stdout.strip()


def shows(window, frame):
    """The window's area on the screen when it shows frame exactly, else None."""
    x, y, w, h = geometry(window)
    if (w, h) != frame.shape[1::-1]:
        return None
    area = screen()[y:y + h, x:x + w]
    return area if np.array_equal(area, frame) else None


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def log_lines():
    """Lines of every error log in the prefix that is named after the viewer."""
    lines = []
    for root, _, files in os.walk(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")):
        for name in files:
            if name.startswith("Brintavolex Viewer") and name.endswith(".log"):
                lines += open(os.path.join(root, name), "rb").read().splitlines()
    return lines


def start(wine, viewer, *arguments):
    return subprocess.Popen([wine, viewer, *arguments], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


@contextlib.contextmanager
def viewer_run(wine, viewer, *arguments):
    """The viewer started with arguments; on leaving it is killed if it still
    runs, and a run that wrote to the error log fails."""
    before = log_lines()
    process = start(wine, viewer, *arguments)
    try:
        yield process
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    new = log_lines()[len(before):]
    assert not new, "the run logged problems: %r" % new


def end(process, what):
    """Waits for the viewer to end after Escape; its exit code must be 0."""
    code = process.wait(timeout=20)
    output = process.stdout.read().decode(errors="replace")
    assert code == 0, "%s: exit code %d, output %r" % (what, code, output)


def toolbar_layout(wine, tool, *arguments):
    """The toolbar's items as the headless host places them: name -> (x0, y0, x1, y1)."""
    out = subprocess.run([wine, tool, *arguments], capture_output=True, text=True, check=True, timeout=60).stdout
    return {p[0]: tuple(int(v) for v in p[1:]) for p in (line.split() for line in out.splitlines()) if len(p) == 5}


def main():
    viewer, frame_tool, layout_tool, golden_path, sample_maker, workdir = sys.argv[1:7]
    wine = os.environ["WINE_BIN"]
    os.makedirs(workdir, exist_ok=True)
    assert find_window(TITLE) is None, "a viewer window is open already"
    frame_path = os.path.join(workdir, "wine-frame.png")
    subprocess.run([wine, frame_tool, windows_path(frame_path)], check=True, timeout=60)
    frame = read_png(frame_path)
    golden = read_png(golden_path)
    assert frame.shape == golden.shape, (frame.shape, golden.shape)
    # The frames under Wine and natively differ in the glyphs only: of the
    # title, the notice and the toolbars' lists.
    texts = np.zeros(frame.shape[:2], dtype=bool)
    texts[:22, :400] = True
    for name, (x0, y0, x1, y1) in toolbar_layout(wine, layout_tool, "notice").items():
        if name.endswith("List"):
            texts[y0:y1, x0:x1] = True
    texts[np.where((frame[:, 0] == NOTICE_BAND).all(axis=1))[0], :] = True
    differ = np.argwhere((frame != golden).any(axis=2) & ~texts)
    assert not differ.size, "headless frames differ outside the texts, first at %s" % (differ[0][::-1],)
    print("native and Wine frames differ in %d text pixels" % int(((frame != golden).any(axis=2)).sum()))
    pictures = os.path.join(workdir, "pictures")
    os.makedirs(pictures, exist_ok=True)
    sample = os.path.join(pictures, "sample.bmp")
    subprocess.run([sys.executable, sample_maker, sample], check=True, timeout=60)
    jpeg = os.path.join(pictures, "sample.jpg")
    with open(jpeg, "wb") as out:
        subprocess.run(["/usr/bin/cjpeg", "-quality", "90", sample], stdout=out, check=True, timeout=60)
    frames = {}
    for path in (sample, jpeg):
        frame_png = os.path.join(workdir, os.path.basename(path) + "-frame.png")
        subprocess.run([wine, frame_tool, windows_path(frame_png), windows_path(path)], check=True, timeout=60)
        frames[path] = read_png(frame_png)

    before = log_lines()
    started = time.monotonic()
    process = start(wine, viewer)
    try:
        window = poll("the viewer window", find_window, 60)
        print("window after %.1f s" % (time.monotonic() - started))
        x, y, w, h = geometry(window)
        assert (w, h) == (800, 600), (w, h)
        width, height = screen().shape[1::-1]
        assert (x, y) == ((width - w) // 2, (height - h) // 2), "not centred: %d, %d" % (x, y)
        first = poll("the first frame on the screen", lambda: shows(window, frame), 20)
        band = int((first == NOTICE_BAND).all(axis=2).sum())
        assert band > 10000, "the portable notice's band shows in %d pixels" % band

        # Drag the title line by (50, 40): the window follows and is drawn anew.
        run("xdotool", "mousemove", str(x + 400), str(y + 10), "mousedown", "1",
            "mousemove", str(x + 420), str(y + 20), "mousemove", str(x + 450), str(y + 50), "mouseup", "1")
        poll("the moved window", lambda: geometry(window)[:2] == (x + 50, y + 40), 20)
        poll("the moved window's frame", lambda: shows(window, frame) is not None, 20)
        print("title drag moved the window to %d, %d" % (x + 50, y + 40))

        # Escape on the root panel closes the window; the run ends with 0.
        run("xdotool", "mousemove", str(x + 450), str(y + 300), "key", "Escape")
        end(process, "empty window")

        # The sample pictures, decoded in the background and shown in the view.
        for path in (sample, jpeg):
            process = start(wine, viewer, windows_path(path))
            named = "^%s - %s$" % (os.path.basename(path).replace(".", "\\."), TITLE)
            window = poll("the window of " + path, lambda: find_window(named), 60)
            poll("the decoded picture on the screen", lambda: shows(window, frames[path]) is not None, 30)
            print("sample window: %r" % window_name(window))
            x, y, _, _ = geometry(window)
            run("xdotool", "mousemove", str(x + 400), str(y + 300), "key", "KP_Add")
            poll("the zoomed picture", lambda: shows(window, frames[path]) is None, 20)
            if path == jpeg:
                # The folder holds the two samples: the next file after the
                # last is the first.
                run("xdotool", "key", "Down")
                after = "sample.bmp - " + TITLE
                poll("the next file's title", lambda: window_name(window) == after, 20)
                print("after Down: %r" % after)
            run("xdotool", "key", "Escape")
            end(process, "window of " + path)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    new = log_lines()[len(before):]
    assert not new, "the runs logged problems: %r" % new
    print("viewer windows drawn, dragged, zoomed and closed in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
