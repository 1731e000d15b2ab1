#!/usr/bin/env python3
"""make_test_icons.py OUT_DIR: test icons and their reference pictures.

multi.ico is made by ImageMagick from one drawing: 1-, 4- and 8-bit palette
entries with AND masks, 32-bit entries with alpha and a 256 x 256 PNG entry.
crafted.ico is written here byte by byte: a 24-bit entry with a mask, a
32-bit entry whose alpha is 0 everywhere (drawn through its mask), an entry
too short for its bitmap header and one beyond the end of the file.
crafted.cur is crafted.ico as a cursor with hot spots.

References come from Pillow's ICO reader (not our code): OUT_DIR/FILE.I.rgba
(8-bit RGBA rows of entry I in file order) and FILE.I.size ("width height").
For the all-zero-alpha entry Pillow shows nothing; its reference takes
Pillow's colours and the alpha of the mask written here."""
import io
import os
import struct
import subprocess
import sys

from PIL import IcoImagePlugin, Image

ZERO_ALPHA_ENTRY = 1


def draw(path):
    subprocess.run(["convert", "-size", "64x64", "xc:none",
                    "-fill", "rgba(200,40,30,1)", "-draw", "circle 32,32 32,4",
                    "-fill", "rgba(20,160,220,0.5)", "-draw", "rectangle 4,40 60,60",
                    "-fill", "yellow", "-draw", "polygon 10,10 30,5 20,30", path], check=True)


def make_multi(out, source):
    # Palette entries keep their transparency only as a mask: alpha first
    # becomes 0 or 1.
    binary = ["-channel", "A", "-threshold", "50%", "+channel"]
    subprocess.run(["convert",
                    "(", source, "-resize", "16x16", *binary, "-colors", "2", ")",
                    "(", source, "-resize", "32x32", *binary, "-colors", "16", ")",
                    "(", source, "-resize", "48x48", *binary, "-colors", "200", ")",
                    "(", source, "-resize", "24x24", "-background", "white", "-alpha", "remove", ")",
                    "(", source, "-resize", "40x40", ")",
                    "(", source, "-resize", "256x256", ")",
                    os.path.join(out, "multi.ico")], check=True)


def dib(width, height, bits, rows, mask_rows):
    """A header-less bitmap as icons hold it: BITMAPINFOHEADER with the
    doubled height, bottom-up colour rows, bottom-up 1-bit mask rows."""
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0, 0, 0, 0, 0, 0)
    stride = (bits * width + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    colour = b"".join(row.ljust(stride, b"\0") for row in reversed(rows))
    mask = bytearray()
    for row in reversed(mask_rows):
        packed = bytearray(mask_stride)
        for x, bit in enumerate(row):
            if bit:
                packed[x >> 3] |= 0x80 >> (x & 7)
        mask += packed
    return header + colour + bytes(mask)


def crafted_entries():
    w24, h24 = 20, 12
    rows24 = [bytes(v for x in range(w24) for v in (x * 12, y * 20, 255 - x * 12)) for y in range(h24)]
    mask24 = [[(x // 4 + y // 4) % 2 for x in range(w24)] for y in range(h24)]
    w32 = h32 = 8
    rows32 = [bytes(v for x in range(w32) for v in (x * 30, 255 - y * 30, 100, 0)) for y in range(h32)]
    mask32 = [[x == y or x + y == 7 for x in range(w32)] for y in range(h32)]
    return [(w24, h24, 24, dib(w24, h24, 24, rows24, mask24)),
            (w32, h32, 32, dib(w32, h32, 32, rows32, mask32)),
            (w24, h24, 24, None), (w24, h24, 24, None)], mask32


def make_crafted(out, cursor):
    entries, mask32 = crafted_entries()
    count = len(entries)
    data_start = 6 + 16 * count
    directory = struct.pack("<HHH", 0, 2 if cursor else 1, count)
    body = b""
    for i, (w, h, bits, image) in enumerate(entries):
        planes, bit_count = (i + 3, i + 5) if cursor else (1, bits)
        if i == 2:  # shorter than a BITMAPINFOHEADER, over the first entry's bytes
            size, offset = 30, data_start
        elif i == 3:  # beyond the end of the file
            size, offset = 100, 1 << 20
        else:
            size, offset = len(image), data_start + len(body)
            body += image
        directory += struct.pack("<BBBBHHII", w, h, 0, 0, planes, bit_count, size, offset)
    name = "crafted.cur" if cursor else "crafted.ico"
    with open(os.path.join(out, name), "wb") as f:
        f.write(directory + body)
    return mask32


def write_references(out, name, zero_alpha_mask=None):
    data = open(os.path.join(out, name), "rb").read()
    count = struct.unpack("<H", data[4:6])[0]
    offsets = [struct.unpack("<I", data[6 + 16 * i + 12:6 + 16 * i + 16])[0] for i in range(count)]
    ico = IcoImagePlugin.IcoFile(io.BytesIO(data))
    for sorted_index, header in enumerate(ico.entry):
        i = offsets.index(header["offset"])
        if header["offset"] >= len(data) or header["size"] < 40:
            continue
        im = ico.frame(sorted_index).convert("RGBA")
        if zero_alpha_mask is not None and i == ZERO_ALPHA_ENTRY:
            im.putalpha(Image.frombytes("L", im.size, bytes(0 if bit else 255 for row in zero_alpha_mask
                                                             for bit in row)))
        with open(os.path.join(out, f"{name}.{i}.rgba"), "wb") as f:
            f.write(im.tobytes())
        with open(os.path.join(out, f"{name}.{i}.size"), "w") as f:
            f.write(f"{im.size[0]} {im.size[1]}\n")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    source = os.path.join(out, "drawing.png")
    draw(source)
    make_multi(out, source)
    write_references(out, "multi.ico")
    mask32 = make_crafted(out, cursor=False)
    make_crafted(out, cursor=True)
    write_references(out, "crafted.ico", mask32)


if __name__ == "__main__":
    main()
