#!/usr/bin/env python3
"""Independent evaluation of the software renderer's arithmetic.

Random scenes (flat and textured quads, blending, viewports, translations,
every resampling method, zoom, rotation and clipping over several pixel
types) are written to a scene file, rendered by the C++ renderer (the program
named on the command line) and evaluated here with numpy from the written
rules: triangle set-up and spans, 16.16 blending, normalised texel access,
nearest (with colorization), bilinear, Catmull-Rom, box filter and the two
mip-mapped methods. Exact where the arithmetic is exact (flat fills, blending,
nearest), within one step of the last byte for the interpolating methods.

Usage: software_renderer_reference.py RENDERER WORKDIR
"""

import os
from fractions import Fraction
import struct
import subprocess
import sys

import numpy as np

# Pixel types: code -> (numpy channel type, channels)
TYPES = {
    7: (np.int8, 1), 8: (np.uint8, 1), 15: (np.int16, 1), 16: (np.uint16, 1), 23: (np.float32, 1),
    31: (np.int32, 1), 32: (np.uint32, 1), 52: (np.float64, 1), 63: (np.int64, 1), 64: (np.uint64, 1),
    47: (np.int8, 4), 48: (np.uint8, 4), 415: (np.int16, 4), 416: (np.uint16, 4), 423: (np.float32, 4),
    431: (np.int32, 4), 432: (np.uint32, 4), 452: (np.float64, 4), 463: (np.int64, 4), 464: (np.uint64, 4),
}
NEAREST, COLORIZED, LINEAR, CUBIC, AREA, MIP_BILINEAR, MIP_TRILINEAR = range(7)
# Resampling::EnumResamplingMode -> shader
MODE_SHADER = {0: CUBIC, 1: LINEAR, 2: NEAREST, 3: AREA, 4: MIP_BILINEAR, 5: MIP_TRILINEAR}


WEIGHTS = [(i * 65536 + 127) // 255 for i in range(256)]


def normalise(image, code):
    """Texels as float64 B, G, R, A in 0..1 (grey to B = G = R, alpha 1)."""
    dtype, channels = TYPES[code]
    v = image.astype(np.float64)
    if np.issubdtype(dtype, np.floating):
        v = np.where(np.isnan(v), 0.0, np.clip(v, 0.0, 1.0))
    elif dtype == np.uint64:
        v = image.astype(np.float64) * 2.0 ** -64
    elif dtype == np.int64:
        v = (image.astype(np.float64) + 2.0 ** 63) * 2.0 ** -64
    else:
        info = np.iinfo(dtype)
        v = (v - float(info.min)) / (float(info.max) - float(info.min))
    if channels == 1:
        return np.stack([v, v, v, np.ones_like(v)], axis=-1)
    return v


def to_bytes(c):
    return np.floor(c * 255.0 + 0.5).astype(np.int64).clip(0, 255)


def mip_levels(image, code):
    """max(1, w // 2) x max(1, h // 2) per level, each pixel the rounded mean of its 2 x 2 block."""
    dtype, _ = TYPES[code]
    levels = [image]
    while True:
        last = levels[-1]
        h, w = last.shape[:2]
        if w < 2 and h < 2:
            break
        nh, nw = max(1, h // 2), max(1, w // 2)
        ys0, ys1 = (np.minimum(2 * np.arange(nh) + k, h - 1) for k in (0, 1))
        xs0, xs1 = (np.minimum(2 * np.arange(nw) + k, w - 1) for k in (0, 1))
        blocks = [last[ys0][:, xs0], last[ys0][:, xs1], last[ys1][:, xs0], last[ys1][:, xs1]]
        if np.issubdtype(dtype, np.floating):
            nxt = (sum(b.astype(np.float64) for b in blocks) * 0.25).astype(dtype)
        else:
            total = sum(b.astype(object) for b in blocks)
            nxt = np.vectorize(lambda s: (s + 2) >> 2, otypes=[object])(total).astype(dtype)
        levels.append(nxt)
    return levels


class Texture:
    def __init__(self, image, code, mip):
        self.levels = [normalise(level, code) for level in (mip_levels(image, code) if mip else [image])]


def fetch(level, ix, iy):
    h, w = level.shape[:2]
    return level[np.clip(iy, 0, h - 1), np.clip(ix, 0, w - 1)]


def bilinear(level, x, y):
    x, y = x - 0.5, y - 0.5
    i, j = np.floor(x).astype(np.int64), np.floor(y).astype(np.int64)
    fx, fy = (x - i)[:, None], (y - j)[:, None]
    return (fetch(level, i, j) * (1 - fx) * (1 - fy) + fetch(level, i + 1, j) * fx * (1 - fy)
            + fetch(level, i, j + 1) * (1 - fx) * fy + fetch(level, i + 1, j + 1) * fx * fy)


def cubic_1d(p0, p1, p2, p3, t):
    return p1 + 0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)))


def cubic(level, x, y):
    x, y = x - 0.5, y - 0.5
    fx, fy = np.floor(x), np.floor(y)
    tx, ty = (x - fx)[:, None], (y - fy)[:, None]
    i0, j0 = fx.astype(np.int64) - 1, fy.astype(np.int64) - 1
    rows = [cubic_1d(*[fetch(level, i0 + c, j0 + r) for c in range(4)], tx) for r in range(4)]
    return np.clip(cubic_1d(*rows, ty), 0.0, 1.0)


def area(level, x, y, fx, fy):
    out = np.zeros((len(x), 4))
    for k in range(len(x)):
        x0, x1 = x[k] - fx / 2, x[k] + fx / 2
        y0, y1 = y[k] - fy / 2, y[k] + fy / 2

        def walk(a0, a1):
            first = int(np.floor(a0))
            yield first, min(1.0 - (a0 - first), a1 - a0)
            j = first + 1
            while j < a1:
                yield j, min(max(a1 - j, 0.0), 1.0)
                j += 1

        total = np.zeros(4)
        for row, wy in walk(y0, y1):
            for col, wx in walk(x0, x1):
                total += wx * wy * fetch(level, np.array([col]), np.array([row]))[0]
        out[k] = total / ((x1 - x0) * (y1 - y0))
    return out


def shade(texture, shader, u, v, dudx, dvdx, dudy, dvdy):
    """Output bytes (n, 4) of a filtering shader for pixels with coordinates
    u, v (nearest ones are evaluated exactly in draw_triangle)."""
    base = texture.levels[0]
    h, w = base.shape[:2]
    if shader == LINEAR:
        return to_bytes(bilinear(base, u * w, v * h))
    if shader == CUBIC:
        return to_bytes(cubic(base, u * w, v * h))
    if shader == AREA:
        fx = max((abs(dudx) + abs(dudy)) * w, 1e-6)
        fy = max((abs(dvdx) + abs(dvdy)) * h, 1e-6)
        return to_bytes(area(base, u * w, v * h, fx, fy))
    du, dv = abs(dudx), abs(dvdx)
    scaled = du * w if du > dv else dv * h
    lam = np.log2(scaled) if scaled > 0 else -1e9
    last = len(texture.levels) - 1
    if shader == MIP_BILINEAR:
        level = min(int(lam + 0.5) if lam > 0 else 0, last)
        lv = texture.levels[level]
        return to_bytes(bilinear(lv, u * lv.shape[1], v * lv.shape[0]))
    lam = max(lam, 0.0)
    l0 = int(lam)
    f = lam - l0
    ca, cb = (bilinear(lv, u * lv.shape[1], v * lv.shape[0]) for lv in (texture.levels[min(l0 + k, last)] for k in (0, 1)))
    return to_bytes((1 - f) * ca + f * cb)


def blend(src, dst):
    w = np.array([WEIGHTS[a] for a in src[:, 3]], dtype=np.int64)[:, None]
    out = dst.copy()
    out[:, :3] = (src[:, :3] * w + 32768 + dst[:, :3] * (65536 - w)) >> 16
    out[:, 3] = ((dst[:, 3:4] * (65536 - w)) + ((src[:, 3:4] << 16) | 0x8000))[:, 0] >> 16
    return out


def f32(x):
    return float(np.float32(x))


def color_byte(c):
    scaled = np.float32(c) * np.float32(255.0)
    if not scaled > 0:
        return 0
    return 255 if scaled >= 255 else int(scaled)


def edge_x(p, q, y):
    t = (y + 0.5 - p[1]) / float(q[1] - p[1])
    return int(np.floor(p[0] + t * (q[0] - p[0]) + 0.49999))


def draw_triangle(target, verts, clip, blending, texture, shader, offset):
    """verts: three tuples (u, v, r, g, b, a, x, y) as stored floats."""
    pts = [[int(np.trunc(np.float32(x))) + offset[0], int(np.trunc(np.float32(y))) + offset[1], f32(u), f32(v)]
           for u, v, _, _, _, _, x, y in verts]
    first = verts[0]
    color = [color_byte(first[4]), color_byte(first[3]), color_byte(first[2]), color_byte(first[5])]  # B, G, R, A
    a, b, c = sorted(pts, key=lambda p: p[1])  # stable, as the renderer's swaps
    det = float(a[0] - c[0]) * float(b[1] - c[1]) + float(a[1] - c[1]) * float(c[0] - b[0])
    if det == 0:
        return
    height, width = target.shape[:2]
    left, top, right, bottom = max(clip[0], 0), max(clip[1], 0), min(clip[2], width), min(clip[3], height)
    middle_left = float(b[0] - a[0]) * float(c[1] - a[1]) - float(b[1] - a[1]) * float(c[0] - a[0]) < 0
    if texture is not None and shader is None:
        shader = NEAREST if color == [255, 255, 255, 255] else COLORIZED

    def bary(px, py):
        l1 = ((b[1] - c[1]) * (px - c[0]) + (c[0] - b[0]) * (py - c[1])) / det
        l2 = ((c[1] - a[1]) * (px - c[0]) + (a[0] - c[0]) * (py - c[1])) / det
        l3 = 1.0 - l1 - l2
        return l1 * a[2] + l2 * b[2] + l3 * c[2], l1 * a[3] + l2 * b[3] + l3 * c[3]

    for y in range(max(a[1], top), min(c[1], bottom)):
        x_long = edge_x(a, c, y)
        x_short = edge_x(a, b, y) if y + 0.5 < b[1] else edge_x(b, c, y)
        xl, xr = (x_short, x_long) if middle_left else (x_long, x_short)
        xl, xr = max(xl, left), min(xr, right)
        if xl >= xr:
            continue
        px = np.arange(xl, xr) + 0.5
        dst = target[y, xl:xr].astype(np.int64)
        if texture is None:
            src = np.tile(np.array(color, dtype=np.int64), (xr - xl, 1))
        elif shader in (NEAREST, COLORIZED):
            # Nearest decides on texel edges: evaluate the position exactly.
            h, w = texture.levels[0].shape[:2]
            d = Fraction(det)
            fa, fb, fc = ([Fraction(q[2]), Fraction(q[3])] for q in (a, b, c))
            us, vs = [], []
            for x in range(xl, xr):
                cx, cy = Fraction(2 * x + 1, 2), Fraction(2 * y + 1, 2)
                l1 = ((b[1] - c[1]) * (cx - c[0]) + (c[0] - b[0]) * (cy - c[1])) / d
                l2 = ((c[1] - a[1]) * (cx - c[0]) + (a[0] - c[0]) * (cy - c[1])) / d
                l3 = 1 - l1 - l2
                us.append(l1 * fa[0] + l2 * fb[0] + l3 * fc[0])
                vs.append(l1 * fa[1] + l2 * fb[1] + l3 * fc[1])
            ix = np.array([int(np.floor(q * w)) for q in us], dtype=np.int64)
            iy = np.array([int(np.floor(q * h)) for q in vs], dtype=np.int64)
            src = to_bytes(fetch(texture.levels[0], ix, iy))
            if shader == COLORIZED:
                src = (src * np.array(color)[None, :]) >> 8
        else:
            u, v = bary(px, y + 0.5)
            u1, v1 = bary(px + 1.0, y + 0.5)
            u2, v2 = bary(px, y + 1.5)
            src = shade(texture, shader, u, v, float(u1[0] - u[0]), float(v1[0] - v[0]), float(u2[0] - u[0]),
                        float(v2[0] - v[0]))
        target[y, xl:xr] = blend(src, dst) if blending else src


def paint_vertices(rotation, dest, clip):
    """Resampling::Paint's quad: the destination cut by the clip, texture coordinates moved in proportion."""
    cut = [max(dest[0], clip[0]), max(dest[1], clip[1]), min(dest[2], clip[2]), min(dest[3], clip[3])]
    if cut[0] >= cut[2] or cut[1] >= cut[3]:
        return None
    base = [(0.0, 0.0), (1.0, 0.0), (1.0, 1.0), (0.0, 1.0)]  # TL, TR, BR, BL at 0 degrees
    corner = [base[(k - rotation // 90) % 4] for k in range(4)]
    dw, dh = dest[2] - dest[0], dest[3] - dest[1]

    def tc(x, y):
        sx, sy = (x - dest[0]) / dw, (y - dest[1]) / dh
        tl, tr, bl = corner[0], corner[1], corner[3]
        return (tl[0] + sx * (tr[0] - tl[0]) + sy * (bl[0] - tl[0]), tl[1] + sx * (tr[1] - tl[1]) + sy * (bl[1] - tl[1]))

    xs, ys = [cut[0], cut[2], cut[2], cut[0]], [cut[1], cut[1], cut[3], cut[3]]
    uvs = [tc(xs[k], ys[k]) for k in range(4)]
    return [(f32(uvs[k][0]), f32(uvs[k][1]), 1.0, 1.0, 1.0, 1.0, float(xs[k]), float(ys[k])) for k in (0, 1, 3, 1, 2, 3)]


# ---- scenes ----

def random_image(rng, code, w, h):
    dtype, channels = TYPES[code]
    shape = (h, w) if channels == 1 else (h, w, 4)
    if np.issubdtype(dtype, np.floating):
        return rng.uniform(-0.1, 1.1, shape).astype(dtype)
    info = np.iinfo(dtype)
    return rng.integers(info.min, info.max, shape, dtype=dtype, endpoint=True)


def make_scenes(rng):
    scenes = []
    codes = [48, 16, 23, 8, 47, 415, 423, 32, 63, 452]

    def base(kind, w, h, tol=0, fixed=False, blend=None):
        background = rng.integers(0, 256, (h, w, 4), dtype=np.uint8)
        if rng.random() < 0.3:
            background[:] = rng.integers(0, 256, 4, dtype=np.uint8)
        vp = [int(rng.integers(-5, w // 2)), int(rng.integers(-5, h // 2)), int(rng.integers(w // 2, w + 6)),
              int(rng.integers(h // 2, h + 6))] if rng.random() < 0.5 else [0, 0, w, h]
        off = [int(rng.integers(-6, 7)), int(rng.integers(-6, 7))] if rng.random() < 0.4 else [0, 0]
        s = {"kind": kind, "w": w, "h": h, "bg": background, "blend": bool(rng.random() < 0.5), "vp": vp, "off": off,
             "code": 0, "image": None, "mip": False, "tol": tol}
        if fixed:  # the view's own viewport, no translation
            s.update(vp=[0, 0, w, h], off=[0, 0])
        if blend is not None:
            s["blend"] = blend
        return s

    def random_vertex(w, h, white):
        col = [1.0, 1.0, 1.0, 1.0] if white else list(rng.uniform(-0.2, 1.2, 4))
        return [float(rng.uniform(-0.3, 1.3)), float(rng.uniform(-0.3, 1.3))] + col + \
               [float(rng.uniform(-8, w + 8)), float(rng.uniform(-8, h + 8))]

    def axis_quad(w, h, white, uv=(0.0, 0.0, 1.0, 1.0)):
        x0, y0 = float(rng.uniform(-5, w - 5)), float(rng.uniform(-5, h - 5))
        x1, y1 = x0 + float(rng.uniform(3, w)), y0 + float(rng.uniform(3, h))
        col = [1.0, 1.0, 1.0, 1.0] if white else list(rng.uniform(0, 1, 4))
        u0, v0, u1, v1 = uv
        corners = {0: (u0, v0, x0, y0), 1: (u1, v0, x1, y0), 2: (u0, v1, x0, y1), 4: (u1, v1, x1, y1)}
        return [[corners[k][0], corners[k][1]] + col + [corners[k][2], corners[k][3]] for k in (0, 1, 2, 1, 4, 2)]

    # Flat fills: random triangles and quads, blending, viewports, translations.
    for _ in range(40):
        s = base(1, int(rng.integers(8, 48)), int(rng.integers(8, 40)))
        s["shader"] = -1
        s["quads"] = [axis_quad(s["w"], s["h"], False) if rng.random() < 0.5 else
                      [random_vertex(s["w"], s["h"], False) for _ in range(6)] for _ in range(int(rng.integers(1, 4)))]
        scenes.append(s)
    # Textured without shader: nearest, colorized when the colour is not opaque white.
    for _ in range(20):
        s = base(1, int(rng.integers(8, 40)), int(rng.integers(8, 32)))
        s["code"] = int(rng.choice(codes))
        s["image"] = random_image(rng, s["code"], int(rng.integers(1, 12)), int(rng.integers(1, 12)))
        s["shader"] = -1
        white = rng.random() < 0.5
        s["quads"] = [axis_quad(s["w"], s["h"], white, tuple(rng.uniform(-0.2, 1.2, 4))) if rng.random() < 0.5 else
                      [random_vertex(s["w"], s["h"], white) for _ in range(6)]]
        scenes.append(s)
    # Each shader over random quads (turned and sheared ones included).
    for shader in (NEAREST, LINEAR, CUBIC, AREA, MIP_BILINEAR, MIP_TRILINEAR):
        for _ in range(14):
            s = base(1, int(rng.integers(8, 40)), int(rng.integers(8, 32)), 0 if shader == NEAREST else 1)
            s["code"] = int(rng.choice(codes))
            s["image"] = random_image(rng, s["code"], int(rng.integers(1, 24)), int(rng.integers(1, 24)))
            s["mip"] = shader in (MIP_BILINEAR, MIP_TRILINEAR)
            s["shader"] = shader
            s["quads"] = [axis_quad(s["w"], s["h"], True, tuple(rng.uniform(-0.2, 1.2, 4))) if rng.random() < 0.6 else
                          [random_vertex(s["w"], s["h"], True) for _ in range(6)]]
            scenes.append(s)
    # Resampling::Paint: every mode, zoom, rotation and clip.
    for mode in range(6):
        for rotation in (0, 90, 180, 270):
            for zoom in (3.1, 1.0, 0.37):
                s = base(2, 48, 40, 0 if mode == 2 else 1, True, False)
                s["code"] = int(rng.choice([48, 16, 23, 416]))
                iw, ih = int(rng.integers(2, 30)), int(rng.integers(2, 30))
                s["image"] = random_image(rng, s["code"], iw, ih)
                s["mip"] = mode in (4, 5)
                sw, sh = (ih, iw) if rotation in (90, 270) else (iw, ih)
                left, top = int(rng.integers(-10, 20)), int(rng.integers(-10, 15))
                dest = [left, top, left + max(1, int(round(sw * zoom))), top + max(1, int(round(sh * zoom)))]
                clip = [int(rng.integers(0, 10)), int(rng.integers(0, 10)), int(rng.integers(30, 49)), int(rng.integers(25, 41))]
                s["mode"], s["rotation"], s["dest"], s["clip"] = mode, rotation, dest, clip
                scenes.append(s)
    # Nearest at whole-number magnifications, copied or replicated along rows:
    # every pixel type, odd sizes, pictures across the view's edges, cut by
    # the clip, blended as the view draws (opaque colour pictures included).
    for code in TYPES:
        for k in (1, 2, 3, 4):
            s = base(2, 48, 40, fixed=True)
            s["code"] = code
            iw, ih = int(rng.integers(1, 40)) | 1, int(rng.integers(1, 30))
            s["image"] = random_image(rng, code, iw, ih)
            dtype, channels = TYPES[code]
            if channels == 4 and rng.random() < 0.6:
                # Opaque, or one step short of it.
                top = 1.0 if np.issubdtype(dtype, np.floating) else np.iinfo(dtype).max
                short = np.nextafter(dtype(1), dtype(0)) if np.issubdtype(dtype, np.floating) else top - 1
                s["image"][..., 3] = top if rng.random() < 0.5 else short
            left, top = int(rng.integers(-iw * k, 40)), int(rng.integers(-ih * k, 30))
            clip = [int(rng.integers(-3, 8)), int(rng.integers(-3, 8)), int(rng.integers(30, 52)), int(rng.integers(25, 44))]
            s["mode"], s["rotation"], s["dest"], s["clip"] = 2, 0, [left, top, left + iw * k, top + ih * k], clip
            scenes.append(s)
    # Rows longer than one block of converted texels.
    for k in (1, 2, 3):
        s = base(2, 900, 3, 0, True, False)
        s["code"] = int(rng.choice([48, 16, 23]))
        s["image"] = random_image(rng, s["code"], 1001, 2)
        s["mode"], s["rotation"], s["dest"], s["clip"] = 2, 0, [-37, 0, 1001 * k - 37, 2 * k], [0, 0, 900, 3]
        scenes.append(s)
    # Long spans over larger images: the filters' chunked lines, edge runs and reductions.
    for mode in (0, 1, 2):
        for rotation in (0, 90, 270):
            for zoom in (0.3, 0.7, 1.0, 2.5):
                s = base(2, 160, 120, 0 if mode == 2 else 1, True, False)
                s["code"] = int(rng.choice([48, 16, 23]))
                iw, ih = int(rng.integers(300, 700)), int(rng.integers(200, 500))
                s["image"] = random_image(rng, s["code"], iw, ih)
                sw, sh = (ih, iw) if rotation in (90, 270) else (iw, ih)
                left, top = int(rng.integers(-40, 20)), int(rng.integers(-40, 15))
                dest = [left, top, left + max(1, int(round(sw * zoom))), top + max(1, int(round(sh * zoom)))]
                s["mode"], s["rotation"], s["dest"], s["clip"] = mode, rotation, dest, [0, 0, 160, 120]
                scenes.append(s)
    return scenes


def write_scenes(path, scenes):
    with open(path, "wb") as f:
        f.write(b"BRSC" + struct.pack("<I", len(scenes)))
        for s in scenes:
            f.write(struct.pack("<III", s["kind"], s["w"], s["h"]))
            f.write(s["bg"].tobytes())
            f.write(struct.pack("<B4i2i", int(s["blend"]), *s["vp"], *s["off"]))
            img = s["image"] if s["code"] else np.zeros((0, 0), dtype=np.uint8)
            f.write(struct.pack("<iII", s["code"], img.shape[1], img.shape[0]) + np.ascontiguousarray(img).tobytes())
            f.write(struct.pack("<B", int(s["mip"])))
            if s["kind"] == 1:
                f.write(struct.pack("<iI", s["shader"], len(s["quads"])))
                for quad in s["quads"]:
                    for vert in quad:
                        f.write(struct.pack("<8f", *vert))
            else:
                f.write(struct.pack("<ii4i4i", s["mode"], s["rotation"], *s["dest"], *s["clip"]))


def reference(s):
    target = s["bg"].astype(np.int64).copy()
    texture = Texture(s["image"], s["code"], s["mip"]) if s["code"] else None
    if s["kind"] == 1:
        shader, quads = None if s["shader"] < 0 else s["shader"], s["quads"]
    else:
        shader, quads = MODE_SHADER[s["mode"]], [paint_vertices(s["rotation"], s["dest"], s["clip"])]
    for quad in quads:
        for t in (0, 3) if quad is not None else ():
            draw_triangle(target, quad[t:t + 3], s["vp"], s["blend"], texture, shader, s["off"])
    return target


def main():
    renderer, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    rng = np.random.default_rng(20240611)
    scenes = make_scenes(rng)
    scene_path, out_path = os.path.join(workdir, "scenes.bin"), os.path.join(workdir, "rendered.bin")
    write_scenes(scene_path, scenes)
    subprocess.run([renderer, scene_path, out_path], check=True)
    data = np.fromfile(out_path, dtype=np.uint8)
    at = passed = failed = 0
    worst = {}
    for index, s in enumerate(scenes):
        n = s["w"] * s["h"] * 4
        got = data[at:at + n].reshape(s["h"], s["w"], 4).astype(np.int64)
        at += n
        want = reference(s)
        diff = np.abs(got - want)
        label = ("paint mode %d rot %d" % (s["mode"], s["rotation"])) if s["kind"] == 2 else \
            ("shader %d type %d" % (s["shader"], s["code"]))
        kind = label.split(" type")[0]
        worst[kind] = max(worst.get(kind, 0), int(diff.max()))
        if diff.max() > s["tol"]:
            failed += 1
            ys, xs = np.nonzero(diff.max(axis=2) > s["tol"])
            print("scene %d (%s): %d pixels differ by more than %d, first at (%d, %d): got %s want %s" % (
                index, label, len(ys), s["tol"], xs[0], ys[0], got[ys[0], xs[0]].tolist(), want[ys[0], xs[0]].tolist()))
        else:
            passed += 1
    if at != len(data):
        print("renderer wrote %d bytes, expected %d" % (len(data), at))
        failed += 1
    print("\n".join("largest difference, %s: %d" % item for item in sorted(worst.items())))
    print("scenes matching the reference: %d of %d" % (passed, passed + failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
