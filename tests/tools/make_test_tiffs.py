#!/usr/bin/env python3
"""make_test_tiffs.py OUT_DIR: TIFF files made by independent tools and
libtiff's listing of their directories.

exif-le.tif and exif-be.tif: ImageMagick pictures in both byte orders, with
TIFF, Exif, GPS and Interoperability tags written by ExifTool. pages-be.tif:
two big-endian floating-point pages, a description set by tiffset.
big-le.tif and big-be.tif: tiffcp's BigTIFF copies, the second tiled.

For every FILE, FILE.dump lists what libtiff's tiffdump reads, normalised:
"header ORDER VERSION FIRST_OFFSET", then per directory "ifd PATH" ("0",
"1", sub-directories "0/34665", "0/34665/40965") and one line per entry
"TAG TYPE COUNT VALUES": integers in decimal, rationals and floats as
tiffdump's %g, text as hex bytes."""
import os
import re
import subprocess
import sys

POINTERS = {34665, 34853, 40965}
ENTRY = re.compile(r"^(.+?) \((0x[0-9a-f]+|\d+)\) (\S+) \((\d+)\) (\d+)<(.*)>$")
DIRECTORY = re.compile(r"^Directory \d+: offset (\d+) ")
TEXT_TYPES = {2}
NUMBER_TYPES = {5, 10, 11, 12}
ESCAPES = {"0": 0, "n": 10, "t": 9, "r": 13, "b": 8, "v": 11, "f": 12, "a": 7, "\\": 92, "'": 39, '"': 34}


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def unescape(text):
    out, i = bytearray(), 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            octal = re.match(r"[0-7]{3}", text[i + 1:])
            if octal:
                out.append(int(octal.group(0), 8))
                i += 4
                continue
            out.append(ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(ord(text[i]))
            i += 1
    return out


def values(type_code, text):
    if type_code in TEXT_TYPES:
        return unescape(text).hex()
    tokens = text.split()
    if type_code in NUMBER_TYPES:
        return " ".join(tokens)
    return " ".join(str(int(t, 16) if t.lstrip("-").startswith("0x") else int(t)) for t in tokens)


def directories(path, offset=None):
    """[(offset, [(tag, type, count, values)])] as tiffdump lists them."""
    args = ["tiffdump", "-m", "1000000"] + (["-o", str(offset)] if offset is not None else []) + [path]
    listing = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    result = []
    for line in listing.splitlines():
        d = DIRECTORY.match(line)
        if d:
            result.append((int(d.group(1)), []))
            continue
        e = ENTRY.match(line)
        if e and result:
            name, number, _, type_code, count, text = e.groups()
            tag = int(name) if name.isdigit() else int(number, 0)
            result[-1][1].append((tag, int(type_code), int(count), values(int(type_code), text)))
    return result


def dump_directory(path, name, entries, lines):
    lines.append("ifd " + name)
    for tag, type_code, count, text in entries:
        lines.append(f"{tag} {type_code} {count} {text}".rstrip())
    for tag, _, _, text in entries:
        if tag in POINTERS:
            offset = int(text.split()[0])
            dump_directory(path, f"{name}/{tag}", directories(path, offset)[0][1], lines)


def dump(path):
    with open(path, "rb") as f:
        head = f.read(16)
    order = "II" if head[:2] == b"II" else "MM"
    version = int.from_bytes(head[2:4], "little" if order == "II" else "big")
    chain = directories(path)
    lines = [f"header {order} {version} {chain[0][0]}"]
    for i, (_, entries) in enumerate(chain):
        dump_directory(path, str(i), entries, lines)
    with open(path + ".dump", "w") as f:
        f.write("\n".join(lines) + "\n")


EXIF_TAGS = ["-Make=Acme Optics", "-Model=Model 7", "-Software=make_test_tiffs", "-Artist=Test Person",
             "-Copyright=none", "-ImageDescription=line one\nline two", "-XResolution=300", "-YResolution=300",
             "-ResolutionUnit=inches", "-ExposureTime=1/250", "-FNumber=2.8", "-ISO=200",
             "-ExposureProgram#=2", "-MeteringMode#=5", "-EXIF:Flash#=25", "-FocalLength=35",
             "-ExposureCompensation=-0.7", "-DateTimeOriginal=2020:01:02 03:04:05", "-UserComment=hello",
             "-SubjectArea=10 20 30 40", "-ImageUniqueID=0123456789abcdef0123456789abcdef",
             "-LensInfo=24 70 2.8 2.8", "-GPSLatitude=48.5", "-GPSLatitudeRef=N", "-GPSLongitude=11.25",
             "-GPSLongitudeRef=W", "-GPSAltitude=500", "-GPSAltitudeRef#=1", "-GPSTimeStamp=12:34:56",
             "-GPSDateStamp=2020:01:02", "-GPSMapDatum=WGS-84", "-InteropIndex=R98",
             "-EXIF:FileSource#=3", "-EXIF:SceneType#=1"]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    t = lambda name: os.path.join(out, name)
    for name, endian in (("exif-le.tif", "lsb"), ("exif-be.tif", "msb")):
        run("convert", "-size", "16x8", "gradient:red-blue", "-define", "tiff:endian=" + endian, t(name))
        run("exiftool", "-q", "-overwrite_original", *EXIF_TAGS, t(name))
    run("convert", "-size", "8x4", "xc:red", "xc:green", "-depth", "32", "-define",
        "quantum:format=floating-point", "-compress", "zip", "-define", "tiff:endian=msb", t("pages-be.tif"))
    run("tiffset", "-s", "270", "first page", t("pages-be.tif"))
    run("tiffcp", "-8", "-L", t("exif-le.tif"), t("big-le.tif"))
    run("tiffcp", "-8", "-B", "-t", "-w", "16", "-l", "16", t("pages-be.tif"), t("big-be.tif"))
    for name in ("exif-le.tif", "exif-be.tif", "pages-be.tif", "big-le.tif", "big-be.tif"):
        dump(t(name))


if __name__ == "__main__":
    main()
