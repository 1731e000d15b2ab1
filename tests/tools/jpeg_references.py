#!/usr/bin/env python3
"""jpeg_references.py SUITE_DIR OUT_DIR [CMYK_TOOL]: JPEG test files and
what an independent decoder makes of them, listed in OUT_DIR/cases.txt:

  reference FILE W H        FILE.rgba: libjpeg-turbo's djpeg (float DCT, no
                            fancy upsampling), 8-bit RGBA rows
  progressive FILE BASELINE the same coefficients as BASELINE, progressive
  exact FILE W H            lossless: FILE.rgba holds the exact expectation
  exact16 FILE W H          lossless above 8 bits: FILE.grey16, 16-bit LE
  refused FILE MESSAGE      the decoder refuses FILE with MESSAGE
  orientation FILE N        FILE carries the Exif orientation N
  hostile FILE              FILE carries a malformed Exif segment

Files are libjpeg-turbo's test images (SUITE_DIR), files made here with
cjpeg and jpegtran from a drawn picture, CMYK and YCCK files written by
CMYK_TOOL (tests/reference/JpegCmykCli.cpp, libjpeg), lossless files from
lossless_jpeg.py and Exif variants made with exiftool or by hand."""
import os
import shutil
import struct
import subprocess
import sys

import numpy as np

import lossless_jpeg

REFUSALS = {
    0xC1: "SOF01 Extended sequential DCT with Huffman coding is not supported",
    0xC5: "SOF05 Differential sequential DCT with Huffman coding is not supported",
    0xC6: "SOF06 Differential progressive DCT with Huffman coding is not supported",
    0xC7: "SOF07 Differential lossless (sequential) with Huffman coding is not supported",
    0xC9: "SOF09 Extended sequential DCT with arithmetic coding is not supported",
    0xCA: "SOF10 Progressive DCT with arithmetic coding is not supported",
    0xCB: "SOF11 Lossless (sequential) with arithmetic coding is not supported",
    0xCD: "SOF13 Differential sequential DCT with arithmetic coding is not supported",
    0xCE: "SOF14 Differential progressive DCT with arithmetic coding is not supported",
    0xCF: "SOF15 Differential lossless (sequential) with arithmetic coding is not supported",
}
DEEP_COLOUR = "ConvertMCUColors with 16bit is currently not supported"
SAMPLINGS = {"444": "1x1", "422": "2x1", "420": "2x2", "440": "1x2", "411": "4x1", "31": "3x1",
             "mixed": "2x2,2x1,1x2"}


def picture(width, height, seed=1):
    """Photo-like RGB: smooth shading, hard edges and a little noise."""
    y, x = np.mgrid[0:height, 0:width].astype(np.float64)
    r = 128 + 100 * np.sin(x / 17.0) * np.cos(y / 23.0)
    g = 255 * x / max(width - 1, 1)
    b = 255 - 200 * np.hypot(x - width / 3, y - height / 2) / max(width, height)
    rgb = np.stack([r, g, b], -1)
    rgb[(x // 29 + y // 19) % 5 == 0] = (240, 30, 60)
    rgb += np.random.RandomState(seed).normal(0, 4, rgb.shape)
    return np.clip(rgb, 0, 255).astype(np.uint8)


def run(*args, stdin=None):
    return subprocess.run(args, check=True, input=stdin, stdout=subprocess.PIPE).stdout


def ppm(rgb):
    h, w, c = rgb.shape
    return (b"P6" if c == 3 else b"P5") + b"\n%d %d\n255\n" % (w, h) + rgb.tobytes()


def djpeg_rgba(path):
    data = run("djpeg", "-dct", "float", "-nosmooth", "-pnm", path)
    fields = data.split(maxsplit=4)
    w, h = int(fields[1]), int(fields[2])
    pixels = np.frombuffer(fields[4], np.uint8).reshape(h, w, -1)
    return rgba(pixels)


def rgba(pixels):
    if pixels.shape[2] == 1:
        pixels = np.repeat(pixels, 3, 2)
    return np.dstack([pixels, np.full(pixels.shape[:2], 255, np.uint8)]).astype(np.uint8)


def cmyk_to_rgb(cmyk):
    # Adobe's inverted CMYK: R = round(C * K / 255), likewise G and B.
    c = cmyk.astype(np.float64)
    return np.floor(c[..., :3] * c[..., 3:] / 255 + 0.5).astype(np.uint8)


class Cases:
    def __init__(self, out):
        self.out, self.lines = out, []

    def path(self, name):
        return os.path.join(self.out, name)

    def reference(self, name, picture=None):
        picture = djpeg_rgba(self.path(name)) if picture is None else picture
        picture.tofile(self.path(name + ".rgba"))
        self.lines.append(f"reference {name} {picture.shape[1]} {picture.shape[0]}")

    def add(self, *fields):
        self.lines.append(" ".join(str(f) for f in fields))


def sof_marker(data):
    i = 2
    while i + 4 <= len(data):
        marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            return marker, i
        i += 2 + length
    raise ValueError("no frame header")


def suite(cases, folder):
    for name in sorted(os.listdir(folder)):
        if name.endswith(".jpg"):
            shutil.copy(os.path.join(folder, name), cases.path(name))
            check(cases, name)
    # Each refused process once, its frame marker set in a baseline file.
    original = bytearray(open(cases.path("testorig.jpg"), "rb").read())
    _, at = sof_marker(original)
    for marker in REFUSALS:
        original[at + 1] = marker
        open(cases.path(f"sof{marker - 0xC0:02d}.jpg"), "wb").write(original)
        check(cases, f"sof{marker - 0xC0:02d}.jpg")


def check(cases, name):
    marker, _ = sof_marker(open(cases.path(name), "rb").read())
    if marker in REFUSALS:
        cases.add("refused", name, REFUSALS[marker])
    else:
        cases.reference(name)


def made(cases):
    source = cases.path("source.ppm")
    open(source, "wb").write(ppm(picture(227, 149)))
    baselines = []
    for layout, sample in SAMPLINGS.items():
        baselines.append((f"s{layout}.jpg", ["-sample", sample]))
    baselines += [("grey.jpg", ["-grayscale"]), ("rgb.jpg", ["-rgb"]),
                  ("restart1.jpg", ["-sample", "2x2", "-restart", "1B"]),
                  ("restart7.jpg", ["-sample", "2x1", "-restart", "7B"]),
                  ("restart1row.jpg", ["-grayscale", "-restart", "1"])]
    for name, options in baselines:
        run("cjpeg", "-quality", "90", *options, "-outfile", cases.path(name), source)
        cases.reference(name)
        progressive = name.replace(".jpg", ".prog.jpg")
        restart = options[options.index("-restart"):][:2] if "-restart" in options else []
        run("jpegtran", "-progressive", *restart, "-outfile", cases.path(progressive), cases.path(name))
        cases.add("progressive", progressive, name)
    for width, height, sample in ((1, 1, "2x2"), (17, 9, "2x1"), (8191, 3, "2x2")):
        name = f"size{width}x{height}.jpg"
        open(cases.path(name + ".ppm"), "wb").write(ppm(picture(width, height)))
        run("cjpeg", "-sample", sample, "-outfile", cases.path(name), cases.path(name + ".ppm"))
        cases.reference(name)
    run("cjpeg", "-arithmetic", "-outfile", cases.path("arith.jpg"), source)
    run("jpegtran", "-arithmetic", "-progressive", "-outfile", cases.path("arithprog.jpg"), cases.path("arith.jpg"))
    check(cases, "arith.jpg")
    check(cases, "arithprog.jpg")


def cmyk(cases, tool):
    rgb = picture(61, 43, seed=2)
    k = np.linspace(96, 255, 61, dtype=np.float64)[None, :, None].repeat(43, 0)
    samples = np.dstack([255 - rgb, k.astype(np.uint8)])
    samples.tofile(cases.path("cmyk.source"))
    for space in ("cmyk", "ycck"):
        name = space + ".jpg"
        run(tool, "write", space, "61", "43", cases.path("cmyk.source"), cases.path(name))
        # djpeg only prints CMYK as RGB; libjpeg's CMYK decode (float DCT,
        # no fancy upsampling; YCCK turned into CMYK by libjpeg) goes
        # through the decoder's formula here instead.
        run(tool, "read", cases.path(name), cases.path(name + ".cmyk"))
        decoded = np.fromfile(cases.path(name + ".cmyk"), np.uint8).reshape(43, 61, 4)
        cases.reference(name, rgba(cmyk_to_rgb(decoded)))


LOSSLESS = [(1, 8, p, 0, 0) for p in range(1, 8)] + [
    (1, 2, 1, 0, 0), (1, 5, 4, 1, 0), (1, 9, 2, 0, 3), (1, 12, 6, 0, 0), (1, 12, 7, 3, 2),
    (1, 16, 1, 0, 0), (1, 16, 4, 0, 1), (1, 16, 5, 4, 0), (3, 8, 1, 0, 0), (3, 8, 7, 2, 1),
    (3, 6, 3, 0, 0), (4, 8, 4, 0, 0), (4, 8, 6, 1, 5), (3, 12, 1, 0, 0)]


def lossless(cases):
    width, height = 37, 23
    for components, precision, predictor, shift, restart in LOSSLESS:
        name = f"lossless-{components}c{precision}b-p{predictor}-pt{shift}-r{restart}.jpg"
        rgb = picture(width, height, seed=precision).astype(np.int64)
        samples = np.dstack([rgb, rgb[..., :1] ^ rgb[..., 1:2]])[..., [0, 1, 2, 3][:components]]
        samples = samples << 8 | samples[..., ::-1] if precision > 8 else samples
        samples = samples >> (16 - precision if precision > 8 else 8 - precision)
        if precision == 16:
            samples[5, :, 0] = np.arange(width) % 2 * 32768  # differences of 32768
        open(cases.path(name), "wb").write(
            lossless_jpeg.encode(samples, precision, predictor, shift, restart))
        samples.astype("<u2").tofile(cases.path(name + ".samples"))
        # The decoder gives back what the point transform kept, in place.
        expected = (samples >> shift << shift)
        if components > 1 and precision > 8:
            cases.add("refused", name, DEEP_COLOUR)
        elif precision > 8:
            expected.astype("<u2").tofile(cases.path(name + ".grey16"))
            cases.add("exact16", name, width, height)
        else:
            pixels = cmyk_to_rgb(expected) if components == 4 else expected.astype(np.uint8)
            rgba(pixels).tofile(cases.path(name + ".rgba"))
            cases.add("exact", name, width, height)


def exif_segment(entries, next_ifd=0, tail=b""):
    """APP1 Exif with a little-endian IFD0 at offset 8."""
    ifd = struct.pack("<H", len(entries)) + b"".join(struct.pack("<HHII", *e) for e in entries)
    tiff = b"II*\0" + struct.pack("<I", 8) + ifd + struct.pack("<I", next_ifd) + tail
    return lossless_jpeg.segment(0xE1, b"Exif\0\0" + tiff)


def exif(cases):
    base = cases.path("exif-base.jpg")
    open(base + ".ppm", "wb").write(ppm(picture(40, 24, seed=3)))
    run("cjpeg", "-sample", "1x1", "-outfile", base, base + ".ppm")
    for n in range(1, 9):
        name = f"orientation{n}.jpg"
        if os.path.exists(cases.path(name)):
            os.remove(cases.path(name))
        run("exiftool", "-q", "-n", f"-Orientation={n}", "-o", cases.path(name), base)
        cases.reference(name)
        cases.add("orientation", name, n)
    data = open(base, "rb").read()
    hostile = {
        # IFD0 names itself as the next IFD and as its Exif IFD.
        "exif-loop.jpg": exif_segment([(274, 3, 1, 6), (34665, 4, 1, 8)], next_ifd=8),
        # Counts whose values would need gigabytes, an offset past the end,
        # and a next IFD that claims 65535 entries.
        "exif-huge.jpg": exif_segment([(270, 2, 0x7FFFFFFF, 8), (273, 4, 0x3FFFFFFF, 8),
                                       (282, 5, 0x20000000, 0xFFFFFF00), (274, 3, 1, 6)],
                                      next_ifd=62, tail=b"\xFF\xFF" + b"\0" * 8),
    }
    for name, app1 in hostile.items():
        open(cases.path(name), "wb").write(data[:2] + app1 + data[2:])
        cases.reference(name)
        cases.add("hostile", name)


def main():
    folder, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    cases = Cases(out)
    suite(cases, folder)
    made(cases)
    if len(sys.argv) > 3:
        cmyk(cases, sys.argv[3])
    lossless(cases)
    exif(cases)
    with open(cases.path("cases.txt"), "w") as f:
        f.write("\n".join(cases.lines) + "\n")


if __name__ == "__main__":
    main()
