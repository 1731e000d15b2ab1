#!/usr/bin/env python3
"""Draws the viewer's toolbar icons and writes them as a C++ source.

    make_icons.py OUTPUT.cpp          the pixel table the GUI library links
    make_icons.py --sheet OUTPUT.png  every icon on the dark toolbar colour

Icons are line drawings on a 24-unit grid, drawn from distance fields: a
pixel's coverage is the part of it within the shape, so edges are smooth at
every scale without supersampling. Pixels are straight (not premultiplied)
B, G, R, A, rows top-down, as the renderer blends textures.

Standard library only: the build needs nothing but python3.
"""

import math
import os
import struct
import sys
import zlib

GRID = 24  # icon units; 1 unit is 1 pixel at 100 % and 2 at 200 %
SCALES = (1, 2)
FAR = 1e9

LIGHT = (0xE6, 0xE6, 0xE6)   # strokes on the dark toolbar
ACCENT = (0x5C, 0xAA, 0xFF)  # the on state of two-state buttons
RED, GREEN, BLUE = (0xF0, 0x60, 0x60), (0x60, 0xD0, 0x70), (0x60, 0x90, 0xFF)
CYAN = (0x50, 0xD8, 0xE8)


def stroke_width(scale):
    # Thinner in units at 200 %: finer lines where pixels allow them.
    return 2.0 if scale == 1 else 1.75


# Shapes: objects with distance(x, y) in units, negative inside for areas,
# and a box (x0, y0, x1, y1) outside which they need not be asked.

class Segment:
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.box = (min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1]))

    def distance(self, x, y):
        ax, ay = self.a
        dx, dy = self.b[0] - ax, self.b[1] - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy)


class Polygon:
    """Closed: an area (signed); open: a line."""

    def __init__(self, points, closed=True):
        self.points, self.closed = list(points), closed
        pairs = list(zip(self.points, self.points[1:] + self.points[:1] if closed else self.points[1:]))
        self.segments = [Segment(a, b) for a, b in pairs]
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def distance(self, x, y):
        d = min(s.distance(x, y) for s in self.segments)
        if not self.closed:
            return d
        inside = False
        for s in self.segments:
            (ax, ay), (bx, by) = s.a, s.b
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d


def polyline(*points):
    return Polygon(points, closed=False)


class Circle:
    def __init__(self, centre, radius):
        self.centre, self.radius = centre, radius
        cx, cy = centre
        self.box = (cx - radius, cy - radius, cx + radius, cy + radius)

    def distance(self, x, y):
        return math.hypot(x - self.centre[0], y - self.centre[1]) - self.radius


class Arc:
    """Angles in degrees, y down: increasing angles turn clockwise on screen."""

    def __init__(self, centre, radius, start, end):
        self.centre, self.radius = centre, radius
        self.start, self.sweep = start, end - start
        cx, cy = centre
        self.box = (cx - radius, cy - radius, cx + radius, cy + radius)

    def point(self, angle):
        a = math.radians(angle)
        return (self.centre[0] + self.radius * math.cos(a), self.centre[1] + self.radius * math.sin(a))

    def distance(self, x, y):
        cx, cy = self.centre
        angle = math.degrees(math.atan2(y - cy, x - cx))
        if (angle - self.start) % 360.0 <= self.sweep:
            return abs(math.hypot(x - cx, y - cy) - self.radius)
        ends = (self.point(self.start), self.point(self.start + self.sweep))
        return min(math.hypot(x - px, y - py) for px, py in ends)


class Box:
    """A rectangle with rounded corners (an area)."""

    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.box = (x0, y0, x1, y1)
        self.radius = radius

    def distance(self, x, y):
        x0, y0, x1, y1 = self.box
        r = self.radius
        qx = abs(x - (x0 + x1) / 2) - ((x1 - x0) / 2 - r)
        qy = abs(y - (y0 + y1) / 2) - ((y1 - y0) / 2 - r)
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


class Intersection:
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.box = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]), min(a.box[2], b.box[2]), min(a.box[3], b.box[3]))

    def distance(self, x, y):
        return max(self.a.distance(x, y), self.b.distance(x, y))


class Mirrored:
    """The shape mirrored left to right across the icon's middle."""

    def __init__(self, shape):
        self.shape = shape
        x0, y0, x1, y1 = shape.box
        self.box = (GRID - x1, y0, GRID - x0, y1)

    def distance(self, x, y):
        return self.shape.distance(GRID - x, y)


class Turned:
    """The shape turned by angle degrees (clockwise on screen) about the icon's centre."""

    def __init__(self, shape, angle):
        self.shape = shape
        self.cos, self.sin = math.cos(math.radians(angle)), math.sin(math.radians(angle))
        self.box = (0, 0, GRID, GRID)

    def distance(self, x, y):
        dx, dy = x - GRID / 2, y - GRID / 2
        return self.shape.distance(GRID / 2 + dx * self.cos + dy * self.sin, GRID / 2 - dx * self.sin + dy * self.cos)


# A drawing: layers painted in order over a transparent canvas.

class Drawing:
    def __init__(self):
        self.layers = []

    def line(self, *shapes, color=LIGHT, width=1.0, alpha=1.0):
        """Strokes the shapes' outlines; width relative to the icon stroke."""
        for shape in shapes:
            self.layers.append(("stroke", shape, color, width, alpha))

    def fill(self, *shapes, color=LIGHT, alpha=1.0):
        for shape in shapes:
            self.layers.append(("fill", shape, color, 0.0, alpha))

    def clear(self, shape, width=2.0):
        """Cuts a gap of width strokes around a shape, to keep crossing lines apart."""
        self.layers.append(("clear", shape, None, width, 1.0))

    def render(self, scale, active):
        size = GRID * scale
        pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied while drawing
        for kind, shape, color, width, alpha in self.layers:
            if active and color == LIGHT:
                color = ACCENT
            half = width * stroke_width(scale) / 2
            x0, y0, x1, y1 = shape.box
            reach = half + 1.0 / scale
            px0, py0 = max(0, int((x0 - reach) * scale)), max(0, int((y0 - reach) * scale))
            px1, py1 = min(size, int((x1 + reach) * scale) + 2), min(size, int((y1 + reach) * scale) + 2)
            for py in range(py0, py1):
                for px in range(px0, px1):
                    d = shape.distance((px + 0.5) / scale, (py + 0.5) / scale)
                    if kind != "fill":
                        d = abs(d) - half
                    coverage = max(0.0, min(1.0, 0.5 - d * scale)) * alpha
                    if coverage <= 0.0:
                        continue
                    p = pixels[py * size + px]
                    keep = 1.0 - coverage
                    if kind == "clear":
                        p[:] = [v * keep for v in p]
                    else:
                        for c in range(3):
                            p[c] = color[c] / 255.0 * coverage + p[c] * keep
                        p[3] = coverage + p[3] * keep
        out = bytearray()
        for r, g, b, a in pixels:
            alpha = min(255, int(a * 255 + 0.5))
            if alpha == 0:  # no colour where nothing shows
                out += b"\0\0\0\0"
                continue
            out += bytes([min(255, int(v / a * 255 + 0.5)) for v in (b, g, r)] + [alpha])
        return out


# The icons, each drawn on the 24-unit grid.

def open_folder(d):
    d.line(polyline((3, 18), (3, 5), (9, 5), (11, 7), (18, 7), (18, 10)))
    d.line(Polygon([(3, 18), (6.5, 11), (21.5, 11), (18, 18)]))


def clipboard(d):
    d.line(Box(5, 4.5, 19, 21, 2))
    d.clear(Box(8.5, 2.5, 15.5, 6.5, 1), width=1.5)
    d.fill(Box(8.5, 2.5, 15.5, 6.5, 1))
    d.line(Segment((8.5, 11), (15.5, 11)), Segment((8.5, 15), (13, 15)))


def screen(d):
    d.line(Box(2.5, 4, 21.5, 17, 1.5))
    d.line(Segment((12, 17), (12, 20)), Segment((8, 20.5), (16, 20.5)))
    d.fill(Circle((12, 10.5), 3))


def folder_with_arrow(d):
    arrow_tail, arrow_tip = (11, 16), (21, 6)
    d.line(Polygon([(3, 20), (3, 5), (8.5, 5), (10.5, 7.5), (17, 7.5), (17, 20)]))
    d.clear(Segment(arrow_tail, arrow_tip), width=2.5)
    d.line(Segment(arrow_tail, arrow_tip), polyline((15, 6), arrow_tip, (21, 12)))


def printer(d):
    d.line(polyline((6.5, 9), (6.5, 3), (17.5, 3), (17.5, 9)))
    d.line(Box(2.5, 9, 21.5, 17.5, 2))
    d.clear(Box(6.5, 14, 17.5, 21.5), width=1.0)
    d.line(Box(6.5, 14, 17.5, 21.5))
    d.fill(Circle((18, 12), 1))


def waste_bin(d):
    d.line(Segment((3, 6), (21, 6)), polyline((9, 6), (9, 3), (15, 3), (15, 6)))
    d.line(polyline((5.5, 6), (6.5, 21), (17.5, 21), (18.5, 6)))
    d.line(Segment((10, 10.5), (10, 16.5)), Segment((14, 10.5), (14, 16.5)))


def play(d):
    triangle = Polygon([(7, 4), (19.5, 12), (7, 20)])
    d.fill(triangle, alpha=0.3)
    d.line(triangle)


def info(d):
    d.line(Circle((12, 12), 9.5))
    d.fill(Circle((12, 7.5), 1.4))
    d.line(Segment((12, 11), (12, 17)))


def console(d):
    d.line(Box(2.5, 4, 21.5, 20, 2))
    d.line(polyline((6.5, 9), (10, 12), (6.5, 15)), Segment((12.5, 15.5), (17.5, 15.5)))


def gear(d):
    teeth, outer, inner = 8, 10.0, 7.2
    points = []
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        for da, r in ((-0.26, inner), (-0.14, outer), (0.14, outer), (0.26, inner)):
            points.append((12 + r * math.cos(a + da), 12 + r * math.sin(a + da)))
    d.line(Polygon(points))
    d.line(Circle((12, 12), 3))


def question(d):
    d.line(Circle((12, 12), 9.5))
    hook = Arc((12, 9.5), 3, 190, 400)
    d.line(hook, polyline(hook.point(400), (12, 13.5), (12, 14)))
    d.fill(Circle((12, 17.5), 1.4))


def corners_out(d):
    d.line(polyline((3, 9), (3, 3), (9, 3)), polyline((15, 3), (21, 3), (21, 9)))
    d.line(polyline((21, 15), (21, 21), (15, 21)), polyline((9, 21), (3, 21), (3, 15)))


def step_next(d):
    triangle = Polygon([(6, 5), (15.5, 12), (6, 19)])
    d.fill(triangle, alpha=0.3)
    d.line(triangle, Segment((19, 5), (19, 19)))


def step_previous(d):
    step_next(d)
    d.layers = [(k, Mirrored(s), c, w, a) for k, s, c, w, a in d.layers]


def floppy(d):
    d.line(Polygon([(3, 3), (17, 3), (21, 7), (21, 21), (3, 21)]))
    d.line(polyline((7.5, 3), (7.5, 8), (15, 8), (15, 3)))
    d.line(polyline((7, 21), (7, 14), (17, 14), (17, 21)))


def fit_width(d):
    d.line(Segment((3, 4), (3, 20)), Segment((21, 4), (21, 20)))
    d.line(Segment((7, 12), (17, 12)), polyline((10, 9), (7, 12), (10, 15)), polyline((14, 9), (17, 12), (14, 15)))


def magnifier(d, plus):
    d.line(Circle((10, 10), 7))
    d.line(Segment((15.3, 15.3), (20.5, 20.5)), width=1.25)
    d.line(Segment((7, 10), (13, 10)))
    if plus:
        d.line(Segment((10, 7), (10, 13)))


def turn_clockwise(d):
    arc = Arc((12, 13), 8, 330, 630)
    d.line(arc)
    tip = arc.point(630)
    d.line(polyline((tip[0] - 3.5, tip[1] - 3.5), tip, (tip[0] - 3.5, tip[1] + 3.5)))


def turn_counterclockwise(d):
    turn_clockwise(d)
    d.layers = [(k, Mirrored(s), c, w, a) for k, s, c, w, a in d.layers]


def ruler(d):
    def turned(shape):
        return Turned(shape, -45)

    d.line(turned(Box(1.5, 8, 22.5, 16, 1)))
    for i, x in enumerate((5.5, 9, 12.5, 16, 19.5)):
        d.line(turned(Segment((x, 8), (x, 11.5 if i % 2 else 10))), width=0.75)


def scroll_bars(d):
    d.line(Box(3, 3, 21, 21, 2))
    tracks = Segment((17, 6.5), (17, 17)), Segment((6.5, 17), (17, 17))
    d.line(*tracks, width=0.75, alpha=0.45)
    d.line(Segment((17, 6.5), (17, 10.5)), Segment((6.5, 17), (10.5, 17)), width=1.25)


def bars(d, heights, base=20.5, x0=3.5, width=3.2, gap=1.5):
    for i, h in enumerate(heights):
        x = x0 + i * (width + gap)
        d.fill(Box(x, base - h, x + width, base, 0.6))


def histogram(d):
    bars(d, (6, 13, 16, 10))
    d.line(Segment((2.5, 21), (21.5, 21)), width=0.75)


def axes(d):
    d.line(polyline((3, 3), (3, 21), (21, 21)))


def histogram_linear(d):
    axes(d)
    d.line(Segment((7, 17), (20, 5)))


def histogram_log(d):
    axes(d)
    samples = [6.5 + 13.5 * i / 24 for i in range(25)]
    d.line(polyline(*[(x, 17.5 - 13 * math.log10(1 + 9 * (x - 6.5) / 13.5)) for x in samples]))


def histogram_relative(d):
    axes(d)
    d.line(Segment((6, 3.5), (21, 3.5)), width=0.75)
    bars(d, (8, 15.5, 11), base=19.5, x0=6.5, width=3.5)


def histogram_absolute(d):
    axes(d)
    bars(d, (4, 7, 5), base=19.5, x0=6.5, width=3.5)
    d.line(polyline((20, 3.5), (14, 3.5), (17, 7), (14, 10.5), (20, 10.5)), width=0.75)


def letters_rgb(d):
    top, bottom, w = 4.5, 14.5, 0.75
    # R
    x0 = 2.5
    bowl = Arc((x0 + 3, top + 2.5), 2.5, 270, 450)
    d.line(polyline((x0, bottom), (x0, top), (x0 + 3, top)), bowl, polyline((x0 + 3, top + 5), (x0, top + 5)), width=w)
    d.line(Segment((x0 + 2.5, top + 5), (x0 + 5.5, bottom)), width=w)
    # G
    x0, r = 9, 3
    d.line(Arc((x0 + r, top + r), r, 180, 320), Segment((x0, top + r), (x0, bottom - r)),
           Arc((x0 + r, bottom - r), r, 0, 180), polyline((x0 + 3.5, 10), (x0 + 2 * r, 10), (x0 + 2 * r, bottom - r)),
           width=w)
    # B
    x0 = 16.5
    d.line(polyline((x0 + 3, top), (x0, top), (x0, bottom), (x0 + 3, bottom)), Segment((x0, 9.3), (x0 + 3, 9.3)), width=w)
    d.line(Arc((x0 + 3, top + 2.4), 2.4, 270, 450), Arc((x0 + 3, 9.3 + 2.6), 2.6, 270, 450), width=w)
    for x, color in ((2.5, RED), (9, GREEN), (16.5, BLUE)):
        d.line(Segment((x + 1, 19.5), (x + 4.5, 19.5)), color=color, width=1.25)


def sun_rays(d, inner, outer):
    for i in range(8):
        a = math.pi * i / 4
        c, s = math.cos(a), math.sin(a)
        d.line(Segment((12 + inner * c, 12 + inner * s), (12 + outer * c, 12 + outer * s)))


def brightness(d):
    d.line(Circle((12, 12), 4.5))
    sun_rays(d, 8, 10)


def right_half(circle):
    cx, cy = circle.centre
    return Intersection(circle, Box(cx, cy - circle.radius - 1, cx + circle.radius + 1, cy + circle.radius + 1))


def contrast(d):
    disc = Circle((12, 12), 9.5)
    d.fill(right_half(disc))
    d.line(disc)


def brightness_contrast(d):
    disc = Circle((12, 12), 5)
    d.fill(right_half(disc))
    d.line(disc)
    sun_rays(d, 8.3, 10.3)


def automatic(d):
    d.line(polyline((3, 21), (9.5, 5), (16, 21)), Segment((5.5, 15.5), (13.5, 15.5)))
    cx, cy, r = 19, 5.5, 3.8
    star = []
    for i in range(8):
        a = math.pi * i / 4
        radius = r if i % 2 == 0 else r * 0.3
        star.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    d.fill(Polygon(star))


# A cube seen from the front, above and right: the front face, the top and
# the right side, as the volume's XY, XZ and YZ planes.
CUBE_FRONT = [(3, 8), (16, 8), (16, 21), (3, 21)]
CUBE_TOP = [(3, 8), (8, 3), (21, 3), (16, 8)]
CUBE_SIDE = [(16, 8), (21, 3), (21, 16), (16, 21)]


def cube(d, face=None):
    if face is not None:
        d.fill(Polygon(face), alpha=0.45)
    for points in (CUBE_FRONT, CUBE_TOP, CUBE_SIDE):
        d.line(Polygon(points))


def view_default(d):
    cube(d)
    # The hidden edges, faint: the whole volume in view.
    d.line(polyline((3, 21), (8, 16), (21, 16)), Segment((8, 16), (8, 3)), width=0.5, alpha=0.45)


def red_cyan(d):
    d.line(Segment((2, 9), (22, 9)), polyline((10, 12), (12, 10.5), (14, 12)), width=0.75)
    for x0, color in ((2.5, RED), (14, CYAN)):
        lens = Box(x0, 9.5, x0 + 7.5, 16, 2)
        d.fill(lens, color=color, alpha=0.8)
        d.line(lens, width=0.75)


# File name, drawing, whether the icon has an "Active" twin (two-state buttons).
ICONS = [
    ("IconOpen", open_folder, False),
    ("IconInsert", clipboard, False),
    ("IconScreenVideo", screen, True),
    ("IconExplorerExport", folder_with_arrow, True),
    ("IconPrint", printer, False),
    ("IconFileDelete", waste_bin, False),
    ("IconPlay", play, True),
    ("IconInfo", info, True),
    ("IconConsoleOutput", console, True),
    ("IconConfig", gear, False),
    ("IconAbout", question, False),
    ("IconFullscreen", corners_out, False),
    ("IconImagePrev", step_previous, False),
    ("IconImageNext", step_next, False),
    ("IconSave", floppy, False),
    ("IconZoomFit", fit_width, False),
    ("IconZoomNeg", lambda d: magnifier(d, plus=False), False),
    ("IconZoomPos", lambda d: magnifier(d, plus=True), False),
    ("IconRotateL", turn_counterclockwise, False),
    ("IconRotateR", turn_clockwise, False),
    ("IconRuler", ruler, True),
    ("IconScrollBars", scroll_bars, True),
    ("IconHistogram", histogram, True),
    ("IconRGB", letters_rgb, True),
    ("IconBrightnessContrast", brightness_contrast, True),
    ("IconHistogramLin", histogram_linear, True),
    ("IconHistogramLog", histogram_log, True),
    ("IconHistogramRel", histogram_relative, True),
    ("IconHistogramAbs", histogram_absolute, True),
    ("IconBrightness", brightness, False),
    ("IconContrast", contrast, False),
    ("IconAuto", automatic, False),
    ("ViewDefault", view_default, False),
    ("XY", lambda d: cube(d, CUBE_FRONT), False),
    ("XZ", lambda d: cube(d, CUBE_TOP), False),
    ("YZ", lambda d: cube(d, CUBE_SIDE), False),
    ("RedCyan", red_cyan, True),
]


def all_icons():
    """(file name, scale, BGRA bytes) of every icon at every scale."""
    for name, draw, has_active in ICONS:
        drawing = Drawing()
        draw(drawing)
        for active in (False, True) if has_active else (False,):
            file_name = name + ("Active" if active else "") + ".bmp"
            for scale in SCALES:
                yield file_name, scale, drawing.render(scale, active)


def write_source(path, icons):
    entries, chunks, offset = [], [], 0
    for name, scale, pixels in icons:
        size = GRID * scale
        entries.append('    {"%s", %d, %d, %d, %d},' % (name, scale, size, size, offset))
        chunks.append(pixels)
        offset += len(pixels)
    blob = b"".join(chunks)
    lines = []
    for start in range(0, len(blob), 64):
        lines.append('    "' + "".join("\\%03o" % b for b in blob[start:start + 64]) + '"')
    # Written aside and renamed, so that a broken run leaves no half table.
    with open(path + ".part", "w", newline="\n") as out:
        out.write("// Written by tools/make_icons.py at build time.\n")
        out.write('#include "GUI/src/IconTable.h"\n\n')
        out.write("namespace Brintavolex::GUI::IconTable {\n\n")
        out.write("const Entry entries[] = {\n%s\n};\n" % "\n".join(entries))
        out.write("const std::size_t entryCount = %d;\n\n" % len(entries))
        out.write("const char pixels[] =\n%s;\n" % "\n".join(lines))
        out.write("const std::size_t pixelBytes = %d;\n\n" % len(blob))
        out.write("} // namespace Brintavolex::GUI::IconTable\n")
    os.replace(path + ".part", path)


def png_bytes(width, height, rgba_rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(row) for row in rgba_rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


SHEET_COLUMNS = 4


def write_sheet(path, icons):
    """Each icon at 100 % and 200 % on the toolbar's dark grey, one row per name."""
    background = (0x38, 0x38, 0x38)
    by_name = {}
    for name, scale, pixels in icons:
        by_name.setdefault(name, {})[scale] = pixels
    pad, columns = 8, SHEET_COLUMNS
    cell_w, cell_h = GRID * 3 + pad * 3, GRID * 2 + pad * 2
    names = list(by_name)
    rows = (len(names) + columns - 1) // columns
    width, height = columns * cell_w, rows * cell_h
    canvas = [[*background, 255] * width for _ in range(height)]
    for i, name in enumerate(names):
        ox, oy = (i % columns) * cell_w + pad, (i // columns) * cell_h + pad
        for scale, x in ((1, ox), (2, ox + GRID + pad)):
            size = GRID * scale
            y0 = oy + (GRID * 2 - size) // 2
            src = by_name[name][scale]
            for y in range(size):
                row = canvas[y0 + y]
                for xx in range(size):
                    b, g, r, a = src[(y * size + xx) * 4:(y * size + xx) * 4 + 4]
                    k = (x + xx) * 4
                    for c, v in enumerate((r, g, b)):
                        row[k + c] = (v * a + row[k + c] * (255 - a) + 127) // 255
    with open(path, "wb") as out:
        out.write(png_bytes(width, height, canvas))
    return names


def main(argv):
    if len(argv) == 3 and argv[1] == "--sheet":
        names = write_sheet(argv[2], list(all_icons()))
        print(argv[2] + ", each icon at 100 % and 200 %:")
        for row in range(0, len(names), SHEET_COLUMNS):
            print("  row %d: %s" % (row // SHEET_COLUMNS + 1, ", ".join(names[row:row + SHEET_COLUMNS])))
        return 0
    if len(argv) == 2 and not argv[1].startswith("-"):
        write_source(argv[1], all_icons())
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
