#!/usr/bin/env python3
"""make_gif_cases.py GIFLIB_PICS OUT_DIR: GIF files and every frame of them
as an independent composition gives it.

Files: giflib's test pictures; animations ImageMagick's convert makes (each
disposal, delays, transparency, interlace, local colour tables, frames
offset and partly or wholly outside the screen); files written here byte by
byte (an LZW encoder that lets the table fill and goes on without a clear
code, code size 1, indices beyond a short colour table, a 0 x 0 screen).

The composition is done here from the GIF rules with numpy: this script
reads the block structure itself and leaves the LZW data to Pillow, one
image at a time (wrapped in a GIF of its own with an identity palette, so
that Pillow's pixels are the stored indices). Rules: the canvas starts
transparent black; an image is clipped to the screen; its transparent
index and indices beyond its colour table leave the canvas as it is;
disposal 2 clears the image's rectangle to transparent black and 3 restores
what was under it, before the next image; a 0 x 0 screen takes the first
image's size.

Output: cases.txt with a line "file width height frames" per file;
FILE.rgba holds all frames one after the other, 8-bit RGBA rows.
"""
import io
import os
import shutil
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

pics, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
rng = np.random.default_rng(20)


def sub_blocks(data, at):
    """The sub-blocks from at: their joined bytes and the offset after the
    terminator."""
    chunks = []
    while data[at]:
        chunks.append(data[at + 1:at + 1 + data[at]])
        at += 1 + data[at]
    return b''.join(chunks), at + 1


def parse(data):
    assert data[3:5] in (b'87', b'89'), 'not a GIF'
    width, height, packed = struct.unpack('<HHB', data[6:11])
    at = 13
    global_table = None
    if packed & 0x80:
        n = 2 << (packed & 7)
        global_table = np.frombuffer(data[at:at + 3 * n], np.uint8).reshape(n, 3)
        at += 3 * n
    images, control = [], None
    while at < len(data) and data[at] != 0x3B:
        if data[at] == 0x21:
            label = data[at + 1]
            body, after = sub_blocks(data, at + 2)
            if label == 0xF9 and len(body) >= 4:
                control = body[0], struct.unpack('<H', body[1:3])[0], body[3]
            at = after
        elif data[at] == 0x2C:
            left, top, w, h, ipacked = struct.unpack('<HHHHB', data[at + 1:at + 10])
            at += 10
            table = global_table
            if ipacked & 0x80:
                n = 2 << (ipacked & 7)
                table = np.frombuffer(data[at:at + 3 * n], np.uint8).reshape(n, 3)
                at += 3 * n
            code_size = data[at]
            lzw, at = sub_blocks(data, at + 1)
            images.append(dict(left=left, top=top, width=w, height=h, interlaced=bool(ipacked & 0x40),
                               table=table, code_size=code_size, lzw=lzw, control=control))
            control = None
        else:
            raise ValueError('unknown block')
    return width, height, images


def blocks(payload):
    return b''.join(bytes([len(payload[i:i + 255])]) + payload[i:i + 255]
                    for i in range(0, len(payload), 255)) + b'\0'


def indices_by_pillow(image):
    """The image's indices as Pillow decodes its LZW data."""
    w, h = image['width'], image['height']
    identity = bytes(v for i in range(256) for v in (i, i, i))
    wrapped = (b'GIF89a' + struct.pack('<HHBBB', w, h, 0, 0, 0) +
               b'\x2C' + struct.pack('<HHHHB', 0, 0, w, h, 0x87 | (0x40 if image['interlaced'] else 0)) +
               identity + bytes([image['code_size']]) + blocks(image['lzw']) + b'\x3B')
    im = Image.open(io.BytesIO(wrapped))
    im.load()
    assert im.size == (w, h)
    return np.asarray(im.convert('L') if im.mode not in ('P', 'L') else im, np.uint8)


def compose(data, sources=None):
    """sources: the indices each image was written from, for files made
    here: Pillow's reading must give them; Pillow refuses code size 1,
    which giflib reads as written, so there they stand in."""
    width, height, images = parse(data)
    if width == 0 or height == 0:
        width, height = images[0]['width'], images[0]['height']
    canvas = np.zeros((height, width, 4), np.uint8)
    frames, saved, before = [], None, None
    for number, image in enumerate(images):
        if before is not None and before['control']:
            disposal = before['control'][0] >> 2 & 7
            x0, y0, x1, y1 = before['clip']
            if disposal == 2:
                canvas[y0:y1, x0:x1] = 0
            elif disposal == 3:
                canvas[y0:y1, x0:x1] = saved
        x0, y0 = min(image['left'], width), min(image['top'], height)
        x1, y1 = min(image['left'] + image['width'], width), min(image['top'] + image['height'], height)
        image['clip'] = x0, y0, x1, y1
        saved = canvas[y0:y1, x0:x1].copy()
        if image['width'] and image['height']:
            if sources and image['code_size'] == 1:
                indices = sources[number]
            else:
                indices = indices_by_pillow(image)
                assert sources is None or np.array_equal(indices, sources[number])
            indices = indices[:y1 - y0, :x1 - x0]
            table = image['table'] if image['table'] is not None else np.zeros((0, 3), np.uint8)
            drawn = indices < len(table)
            if image['control'] and image['control'][0] & 1:
                drawn &= indices != image['control'][2]
            colours = np.zeros(indices.shape + (4,), np.uint8)
            colours[..., :3] = table[np.minimum(indices, max(len(table) - 1, 0))] if len(table) else 0
            colours[..., 3] = 255
            region = canvas[y0:y1, x0:x1]
            region[drawn] = colours[drawn]
        frames.append(canvas.copy())
        before = image
    return width, height, frames


def lzw_encode(indices, code_size, defer_clear=False):
    """GIF LZW; with defer_clear a full table stays in use without a clear."""
    clear, end = 1 << code_size, (1 << code_size) + 1
    bits, held, out = 0, 0, bytearray()

    def put(code, width):
        nonlocal bits, held
        bits |= code << held
        held += width
        while held >= 8:
            out.append(bits & 255)
            bits >>= 8
            held -= 8

    width, next_code, table = code_size + 1, end + 1, {}
    put(clear, width)
    current = None
    for c in indices.ravel().tolist():
        if current is None:
            current = c
            continue
        if (current, c) in table:
            current = table[(current, c)]
            continue
        put(current, width)
        if next_code >= (1 << width) and width < 12:
            width += 1
        if next_code < 4096:
            table[(current, c)] = next_code
            next_code += 1
        elif not defer_clear:
            put(clear, width)
            width, next_code, table = code_size + 1, end + 1, {}
        current = c
    put(current, width)
    if next_code >= (1 << width) and width < 12:
        width += 1
    put(end, width)
    if held:
        out.append(bits & 255)
    return bytes(out), next_code


def gif_file(width, height, global_table, images):
    """images: dicts of left, top, indices, code_size, and optionally table,
    control (disposal, transparent index or None, delay), defer_clear."""
    packed = 0
    tables = b''
    if global_table is not None:
        packed = 0x80 | (len(global_table).bit_length() - 2)
        tables = global_table.astype(np.uint8).tobytes()
    data = b'GIF89a' + struct.pack('<HHBBB', width, height, packed, 0, 0) + tables
    for im in images:
        if 'control' in im:
            disposal, transparent, delay = im['control']
            data += struct.pack('<BBBBHBB', 0x21, 0xF9, 4, disposal << 2 | (transparent is not None), delay,
                                transparent or 0, 0)
        h, w = im['indices'].shape
        ipacked, local = 0, b''
        if im.get('table') is not None:
            ipacked = 0x80 | (len(im['table']).bit_length() - 2)
            local = im['table'].astype(np.uint8).tobytes()
        payload, _ = lzw_encode(im['indices'], im['code_size'], im.get('defer_clear', False))
        data += b'\x2C' + struct.pack('<HHHHB', im['left'], im['top'], w, h, ipacked) + local
        data += bytes([im['code_size']]) + blocks(payload)
    return data + b'\x3B', [im['indices'] for im in images]


def palette(n):
    return rng.integers(0, 256, (n, 3))


def crafted():
    files = {}
    # Noise fills the table quickly; it then stays full for the rest.
    noise = rng.integers(0, 256, (150, 200)).astype(np.uint8)
    _, last = lzw_encode(noise, 8, defer_clear=True)
    assert last == 4096
    files['deferred-clear.gif'] = gif_file(200, 150, palette(256), [dict(left=0, top=0, indices=noise, code_size=8,
                                                                         defer_clear=True)])
    # Code size 1: two colours, codes from 2 bits.
    stripes = ((np.arange(37)[None, :] // 3 + np.arange(23)[:, None] // 5) % 2).astype(np.uint8)
    files['code-size-1.gif'] = gif_file(37, 23, palette(2), [dict(left=0, top=0, indices=stripes, code_size=1)])
    # A table of 4 colours under code size 3: indices 4 to 7 draw nothing,
    # the first image shows through them.
    base = rng.integers(0, 4, (30, 40)).astype(np.uint8)
    over = rng.integers(0, 8, (20, 25)).astype(np.uint8)
    files['short-table.gif'] = gif_file(40, 30, palette(4), [
        dict(left=0, top=0, indices=base, code_size=3),
        dict(left=10, top=5, indices=over, code_size=3, control=(1, None, 5))])
    # A 0 x 0 screen takes the first image's size; the second sticks out,
    # the third lies wholly outside, the fourth has a local table.
    files['zero-screen.gif'] = gif_file(0, 0, palette(16), [
        dict(left=0, top=0, indices=rng.integers(0, 16, (20, 30)).astype(np.uint8), code_size=4),
        dict(left=20, top=12, indices=rng.integers(0, 16, (15, 18)).astype(np.uint8), code_size=4,
             control=(2, 3, 10)),
        dict(left=31, top=0, indices=rng.integers(0, 16, (5, 5)).astype(np.uint8), code_size=4),
        dict(left=2, top=2, indices=rng.integers(0, 64, (9, 7)).astype(np.uint8), code_size=6,
             table=palette(64), control=(3, 0, 1)),
        dict(left=0, top=0, indices=rng.integers(0, 16, (4, 4)).astype(np.uint8), code_size=4)])
    return files


def convert(name, *arguments):
    subprocess.run(['convert', *arguments, os.path.join(out, name)], check=True)


def imagemagick():
    base = os.path.join(out, 'base.png')
    subprocess.run(['convert', '-seed', '3', '-size', '120x80', 'plasma:', base], check=True)
    sprite = ['-size', '50x40', 'xc:none', '-fill', 'rgb(250,200,0)', '-draw', 'circle 25,20 25,2',
              '-fill', 'rgb(20,90,240)', '-draw', 'rectangle 5,30 45,38']
    frames = ['-delay', '7', base,
              '(', *sprite, '-repage', '+10+10', ')',
              '-delay', '23', '(', 'gradient:red-blue', '-resize', '30x30!', '-repage', '+95+60', ')',
              '(', *sprite, '-rotate', '90', '-repage', '+60+5', ')',
              '(', '-size', '20x20', 'plasma:green-yellow', '-repage', '+40+30', ')']
    names = []
    for dispose in ('none', 'background', 'previous'):
        name = f'im-dispose-{dispose}.gif'
        convert(name, '-seed', '4', '-dispose', dispose, *frames, '-loop', '0')
        names.append(name)
    convert('im-mixed-interlaced.gif', '-seed', '5', '-dispose', 'none', '-delay', '10', base,
            '-dispose', 'previous', '(', *sprite, '-repage', '+70+20', ')',
            '-dispose', 'background', '(', *sprite, '-flip', '-repage', '+20+30', ')',
            '-dispose', 'none', '(', 'gradient:white-black', '-resize', '40x25!', '-repage', '+0+55', ')',
            '-interlace', 'GIF')
    names.append('im-mixed-interlaced.gif')
    os.remove(base)
    return names


files = []
for name in sorted(os.listdir(pics)):
    if name.endswith('.gif'):
        shutil.copy(os.path.join(pics, name), os.path.join(out, name))
        files.append(name)
sources = {}
for name, (data, indices) in crafted().items():
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)
    files.append(name)
    sources[name] = indices
files += imagemagick()

lines = []
for name in files:
    with open(os.path.join(out, name), 'rb') as f:
        data = f.read()
    width, height, frames = compose(data, sources.get(name))
    np.stack(frames).tofile(os.path.join(out, name + '.rgba'))
    lines.append(f'{name} {width} {height} {len(frames)}')
with open(os.path.join(out, 'cases.txt'), 'w') as f:
    f.write('\n'.join(lines) + '\n')
