#!/usr/bin/env python3
"""make_tiff_decoder_cases.py OUT_DIR: TIFF files and the pixels an independent
reader gives for them, in the decoder's pixel layout.

Sources are written uncompressed by tifffile; libtiff's tiffcp makes every
compression, predictor, strip/tile, chunky/planar, byte-order and BigTIFF
variant of them (all lossless, so the source's pixels are the reference).
JPEG variants are read back by Pillow (libtiff underneath). Each case is a
line of cases.txt: file, image index, colour type name, width, height,
depth, tolerance; NAME.I.expected holds the pixels (little-endian, BGRA
order, alpha at full where the file has none).
"""
import os
import subprocess
import sys

import numpy as np
import tifffile
from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
rng = np.random.default_rng(5)
cases = []


def photo(h, w):
    y, x = np.mgrid[0:h, 0:w]
    r = (x * 255 // max(w - 1, 1))
    g = (y * 255 // max(h - 1, 1))
    b = ((x + y) * 7) % 256
    noise = rng.integers(0, 24, (h, w, 3))
    return np.clip(np.dstack([r, g, b]) + noise, 0, 255).astype(np.uint8)


def bgra(rgb, alpha=None, full=255):
    h, w = rgb.shape[:2]
    a = np.full((h, w), full, rgb.dtype) if alpha is None else alpha
    return np.dstack([rgb[..., 2], rgb[..., 1], rgb[..., 0], a])


def add(name, expected, color_type, index=0, depth=1, tolerance=0):
    h, w = expected.shape[-3:-1] if expected.ndim >= 3 and color_type.startswith('BGRA') else expected.shape[-2:]
    expected.astype(expected.dtype.newbyteorder('<')).tofile(os.path.join(out, f'{name}.{index}.expected'))
    cases.append(f'{name} {index} {color_type} {w} {h} {depth} {tolerance}')


def tiffcp(source, name, *options):
    subprocess.run(['tiffcp', *options, os.path.join(out, source), os.path.join(out, name + '.tif')], check=True)


# Every lossless compression over strips and tiles, chunky and planar,
# both byte orders and BigTIFF, for RGB, grey, 16-bit and float samples.
rgb = photo(61, 97)
grey = photo(61, 97)[..., 1].copy()
grey16 = (grey.astype(np.uint16) * 257 + np.arange(97, dtype=np.uint16)).astype(np.uint16)
rgba = np.dstack([rgb, rng.integers(0, 256, (61, 97), dtype=np.uint8)])
rgb16 = (rgb.astype(np.uint16) * 251)
float32 = (grey.astype(np.float32) / 7.0 - 3.0)
sources = {
    'rgb': (rgb, bgra(rgb), 'BGRAUInt8', {}),
    'rgba': (rgba, bgra(rgba[..., :3], rgba[..., 3]), 'BGRAUInt8', {'extrasamples': ['unassalpha']}),
    'grey': (grey, grey, 'UInt8', {}),
    'grey16': (grey16, grey16, 'UInt16', {}),
    'rgb16': (rgb16, bgra(rgb16, full=65535), 'BGRAUInt16', {}),
    'float': (float32, float32, 'Float32', {}),
}
layouts = {
    'strips': ['-r', '5'],
    'tiles': ['-t', '-w', '32', '-l', '16'],
    'planar': ['-r', '7'],
    'planartiles': ['-t', '-w', '16', '-l', '16'],
}
for sname, (data, expected, color_type, extra) in sources.items():
    tifffile.imwrite(os.path.join(out, sname + '.tif'), data, photometric='rgb' if data.ndim == 3 else 'minisblack',
                     planarconfig='contig', **extra)
    add(sname, expected, color_type)
    if data.ndim == 3:  # tiffcp turns only 8-bit samples planar
        tifffile.imwrite(os.path.join(out, sname + '-separate.tif'), np.moveaxis(data, 2, 0), photometric='rgb',
                         planarconfig='separate', **extra)
    for compression in ['none', 'lzw', 'lzw:2', 'zip', 'zip:2', 'packbits']:
        if sname == 'float' and compression.endswith(':2'):
            continue  # floating-point data takes predictor 3, which is refused
        for lname, loptions in layouts.items():
            if data.ndim == 2 and lname.startswith('planar'):
                continue
            if sname == 'rgb16' and lname == 'planartiles':
                continue  # tiffcp garbles planar tiles of 16-bit samples (libtiff reads them back changed too)
            name = f'{sname}-{compression.replace(":", "-")}-{lname}'
            source = sname + ('-separate.tif' if lname.startswith('planar') else '.tif')
            tiffcp(source, name, '-c', compression, *loptions)
            add(name, expected, color_type)
    for order in ['-B', '-L']:
        for big in [[], ['-8']]:
            name = f'{sname}{order}{"-big" if big else ""}'
            tiffcp(sname + '.tif', name, order, *big, '-c', 'zip:2' if sname != 'float' else 'lzw', '-r', '9')
            add(name, expected, color_type)

def write_packed(path, values, bits, photometric, colormap=None):
    """An uncompressed one-strip TIFF of one-sample pixels of bits bits, rows
    packed most significant bit first (tifffile packs only with imagecodecs)."""
    h, w = values.shape
    per_byte = 8 // bits
    padded = np.zeros((h, -(-w // per_byte) * per_byte), np.uint8)
    padded[:, :w] = values
    groups = padded.reshape(h, -1, per_byte)
    packed = np.zeros(groups.shape[:2], np.uint8)
    for i in range(per_byte):
        packed |= (groups[..., i] << (8 - bits * (i + 1))).astype(np.uint8)
    data = packed.tobytes()
    tags = [(256, 3, [w]), (257, 3, [h]), (258, 3, [bits]), (259, 3, [1]), (262, 3, [photometric]),
            (273, 4, [0]), (277, 3, [1]), (278, 3, [h]), (279, 4, [len(data)])]
    if colormap is not None:
        tags.append((320, 3, list(colormap.reshape(-1))))
    ifd_offset = 8
    extra_offset = ifd_offset + 2 + 12 * len(tags) + 4
    extra = b''
    entries = b''
    for tag, kind, values_ in tags:
        size = 2 if kind == 3 else 4
        payload = b''.join(int(v).to_bytes(size, 'little') for v in values_)
        if len(payload) <= 4:
            field = payload.ljust(4, b'\0')
        else:
            field = (extra_offset + len(extra)).to_bytes(4, 'little')
            extra += payload
        entries += tag.to_bytes(2, 'little') + kind.to_bytes(2, 'little') + len(values_).to_bytes(4, 'little') + field
    strip_offset = extra_offset + len(extra)
    entries = entries.replace((273).to_bytes(2, 'little') + (4).to_bytes(2, 'little') + (1).to_bytes(4, 'little') +
                              (0).to_bytes(4, 'little'),
                              (273).to_bytes(2, 'little') + (4).to_bytes(2, 'little') + (1).to_bytes(4, 'little') +
                              strip_offset.to_bytes(4, 'little'))
    with open(path, 'wb') as f:
        f.write(b'II*\0' + ifd_offset.to_bytes(4, 'little') + len(tags).to_bytes(2, 'little') + entries +
                b'\0\0\0\0' + extra + data)


# Low bit depths: grey stretched to 0..255, MinIsWhite inverted; palettes
# through their 16-bit colour map.
bits = rng.integers(0, 2, (37, 45), dtype=np.uint8)
for photometric in ['minisblack', 'miniswhite']:
    name = f'bilevel-{photometric}'
    tifffile.imwrite(os.path.join(out, name + '.tif'), bits.astype(bool), photometric=photometric)
    shown = bits * 255 if photometric == 'minisblack' else (1 - bits) * 255
    add(name, shown.astype(np.uint8), 'UInt8')
    for c in ['g3', 'g3:2d', 'g3:fill', 'g4', 'packbits']:
        tiffcp(name + '.tif', f'{name}-{c.replace(":", "-")}', '-c', c)
        add(f'{name}-{c.replace(":", "-")}', shown.astype(np.uint8), 'UInt8')
for depth in [2, 4]:
    values = rng.integers(0, 1 << depth, (23, 29), dtype=np.uint8)
    name = f'grey{depth}bit'
    write_packed(os.path.join(out, name + '.tif'), values, depth, 1)
    add(name, (values.astype(np.uint32) * 255 // ((1 << depth) - 1)).astype(np.uint8), 'UInt8')
for depth in [1, 4, 8]:
    entries = 1 << depth
    colormap = rng.integers(0, 65536, (3, entries), dtype=np.uint16)
    values = rng.integers(0, entries, (19, 33), dtype=np.uint8)
    name = f'palette{depth}bit'
    write_packed(os.path.join(out, name + '.tif'), values, depth, 3, colormap)
    tiffcp(name + '.tif', name + '-lzw', '-c', 'lzw')
    add(name + '-lzw', np.dstack([colormap[2][values], colormap[1][values], colormap[0][values],
                                  np.full(values.shape, 65535, np.uint16)]), 'BGRAUInt16')
    mapped = colormap[:, values]  # (3, h, w): red, green, blue
    add(name, np.dstack([mapped[2], mapped[1], mapped[0], np.full(values.shape, 65535, np.uint16)]), 'BGRAUInt16')

# JPEG: YCbCr with 2x2 subsampling and RGB, strips and tiles. YCbCr chunks
# are read by djpeg without smoothing the subsampled chroma (Pillow's
# libjpeg smooths, we do not), each as the JPEGTables and the chunk joined
# into one JPEG file; RGB ones, which have no subsampling, by Pillow.
y, x = np.mgrid[0:61, 0:97]
smooth = np.dstack([x * 2, y * 3 + 40, (x + y) + 60]).astype(np.uint8)
tifffile.imwrite(os.path.join(out, 'smooth.tif'), smooth, photometric='rgb')


def djpeg_chunks(path):
    with tifffile.TiffFile(path) as tif:
        page = tif.pages[0]
        tables = page.tags['JPEGTables'].value
        tile = page.tilewidth or page.imagewidth, page.tilelength or page.rowsperstrip
        across = -(-page.imagewidth // tile[0])
        picture = np.zeros((-(-page.imagelength // tile[1]) * tile[1], across * tile[0], 3), np.uint8)
        for i, (offset, count) in enumerate(zip(page.dataoffsets, page.databytecounts)):
            tif.filehandle.seek(offset)
            jpeg = tables[:-2] + tif.filehandle.read(count)[2:]
            ppm = subprocess.run(['djpeg', '-nosmooth', '-dct', 'float', '-pnm'], input=jpeg, check=True,
                                 capture_output=True).stdout
            header = ppm.split(b'\n', 3)
            w, h = map(int, header[1].split())
            pixels = np.frombuffer(header[3], np.uint8).reshape(h, w, 3)
            y0, x0 = (i // across) * tile[1], (i % across) * tile[0]
            picture[y0:y0 + h, x0:x0 + w] = pixels[:, :min(w, picture.shape[1] - x0)]
        return picture[:page.imagelength, :page.imagewidth]


for cname, compression in [('ycbcr', 'jpeg'), ('rgb', 'jpeg:r')]:
    for lname, loptions in [('strips', ['-r', '16']), ('tiles', ['-t', '-w', '32', '-l', '32'])]:
        name = f'jpeg-{cname}-{lname}'
        tiffcp('smooth.tif', name, '-c', compression, *loptions)
        if cname == 'ycbcr':
            add(name, bgra(djpeg_chunks(os.path.join(out, name + '.tif'))), 'BGRAUInt8', tolerance=2)
        else:
            with Image.open(os.path.join(out, name + '.tif')) as picture:
                add(name, bgra(np.asarray(picture.convert('RGB'))), 'BGRAUInt8', tolerance=2)
tiffcp('grey.tif', 'jpeg-grey', '-c', 'jpeg', '-r', '16')
with Image.open(os.path.join(out, 'jpeg-grey.tif')) as picture:
    add('jpeg-grey', np.asarray(picture.convert('L')), 'UInt8', tolerance=2)

# Pages, an ImageJ stack and a tiled volume.
pages = [photo(20 + 3 * i, 30 + i) for i in range(3)]
with tifffile.TiffWriter(os.path.join(out, 'pages.tif')) as writer:
    for page in pages:
        writer.write(page, photometric='rgb')
for i, page in enumerate(pages):
    add('pages', bgra(page), 'BGRAUInt8', index=i)
stack = rng.integers(0, 65536, (5, 17, 23), dtype=np.uint16)
tifffile.imwrite(os.path.join(out, 'imagej.tif'), stack, imagej=True)
# ImageJ itself writes one directory for a stack whose images follow each
# other: cut tifffile's chain after the first.
with open(os.path.join(out, 'imagej.tif'), 'r+b') as f:
    f.seek(4)
    first = int.from_bytes(f.read(4), 'little')
    f.seek(first)
    entries = int.from_bytes(f.read(2), 'little')
    f.seek(first + 2 + 12 * entries)
    f.write(b'\0\0\0\0')
for i in range(len(stack)):
    add('imagej', stack[i], 'UInt16', index=i)
volume = rng.integers(0, 256, (9, 40, 35), dtype=np.uint8)
tifffile.imwrite(os.path.join(out, 'volume.tif'), volume, tile=(4, 16, 16), volumetric=True)
add('volume', volume, 'UInt8', depth=9)

with open(os.path.join(out, 'cases.txt'), 'w') as listing:
    listing.write('\n'.join(cases) + '\n')
