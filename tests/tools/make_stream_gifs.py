#!/usr/bin/env python3
"""make_stream_gifs.py OUT_DIR: a 3-frame animation written by Pillow and
its frames as Pillow composes them, for the viewer's frame stepping.

Frame 1 changes only a block of frame 0 (Pillow stores it as a smaller
image), frame 2 everything. Stored delays: 12, 1 and 25 hundredths.

Output: three-frames.gif; three-frames.gif.rgba with the three frames one
after the other (8-bit RGBA rows); three-frames.txt "width height frames"
and then the delay of each frame in milliseconds as Pillow reads it.
"""
import os
import sys

import numpy as np
from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
width, height = 64, 48
palette = np.zeros((256, 3), np.uint8)
palette[:, 0] = np.arange(256)
palette[:, 1] = (np.arange(256) * 7) & 255
palette[:, 2] = 255 - np.arange(256)
y, x = np.mgrid[0:height, 0:width]
first = ((x * 3 + y * 2) & 255).astype(np.uint8)
second = first.copy()
second[10:30, 20:50] = 200
third = ((x * 5 + 100 - y) & 255).astype(np.uint8)


def paletted(indices):
    image = Image.fromarray(indices, 'P')
    image.putpalette(palette.ravel().tolist())
    return image


path = os.path.join(out, 'three-frames.gif')
frames = [paletted(f) for f in (first, second, third)]
frames[0].save(path, save_all=True, append_images=frames[1:], duration=[120, 10, 250], loop=0, disposal=1)

reading = Image.open(path)
assert reading.n_frames == 3
composed, delays = [], []
for k in range(3):
    reading.seek(k)
    composed.append(np.asarray(reading.convert('RGBA'), np.uint8))
    delays.append(reading.info.get('duration', 0))
np.stack(composed).tofile(path + '.rgba')
with open(os.path.join(out, 'three-frames.txt'), 'w') as f:
    f.write(f'{width} {height} 3 ' + ' '.join(str(int(d)) for d in delays) + '\n')
