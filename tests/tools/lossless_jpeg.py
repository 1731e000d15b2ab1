"""A lossless JPEG (SOF3, Huffman) encoder of its own, written from the
standard (ITU T.81 Annex H, Huffman tables by Annex K.2), for the decoder's
round-trip tests: encode(samples, precision, predictor, point_transform,
restart_rows) -> bytes, samples a (height, width, components) array."""
import struct

import numpy as np


def segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


def code_lengths(freq):
    """Annex K.2: optimal code sizes, at most 16 bits, the all-ones code
    left unused (a reserved symbol 256 of frequency 1 takes it)."""
    freq = list(freq) + [1]
    size = [0] * 257
    others = [-1] * 257
    while True:
        live = [i for i in range(257) if freq[i] > 0]
        if len(live) < 2:
            break
        v1 = min(live, key=lambda i: (freq[i], -i))
        v2 = min((i for i in live if i != v1), key=lambda i: (freq[i], -i))
        freq[v1] += freq[v2]
        freq[v2] = 0
        for v in (v1, v2):
            size[v] += 1
            while others[v] >= 0:
                v = others[v]
                size[v] += 1
        v = v1
        while others[v] >= 0:
            v = others[v]
        others[v] = v2
    bits = [0] * 33
    for s in size:
        if s:
            bits[s] += 1
    for i in range(32, 16, -1):
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    i = 16
    while bits[i] == 0:
        i -= 1
    bits[i] -= 1  # drop the reserved symbol
    symbols = sorted((s, v) for v, s in enumerate(size[:256]) if s)
    return bits[1:17], [v for _, v in symbols]


def canonical_codes(bits, values):
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, length):
        for i in range(length - 1, -1, -1):
            self.acc = self.acc << 1 | (value >> i & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)
                self.acc, self.n = 0, 0

    def flush(self):
        while self.n:
            self.put(1, 1)


def predict(rows, y, x, c, predictor, first_row, initial):
    """Annex H.1.2.1: the first row of the image and of each restart
    interval predicts from the left, the first column from above."""
    if y == first_row:
        return initial if x == 0 else int(rows[y, x - 1, c])
    if x == 0:
        return int(rows[y - 1, 0, c])
    ra, rb, rc = int(rows[y, x - 1, c]), int(rows[y - 1, x, c]), int(rows[y - 1, x - 1, c])
    return [None, ra, rb, rc, ra + rb - rc, ra + ((rb - rc) >> 1), rb + ((ra - rc) >> 1), (ra + rb) >> 1][predictor]


def encode(samples, precision, predictor, point_transform=0, restart_rows=0):
    height, width, components = samples.shape
    stored = samples.astype(np.int64) >> point_transform
    initial = 1 << (precision - point_transform - 1)
    categories = np.zeros((height, width, components), np.int64)
    diffs = np.zeros((height, width, components), np.int64)
    for y in range(height):
        first_row = y - y % restart_rows if restart_rows else 0
        for x in range(width):
            for c in range(components):
                d = (int(stored[y, x, c]) - predict(stored, y, x, c, predictor, first_row, initial)) % 65536
                d = d - 65536 if d > 32768 else d
                diffs[y, x, c] = d
                categories[y, x, c] = abs(d).bit_length()
    tables = [code_lengths(np.bincount(categories[..., c].ravel(), minlength=256)) for c in range(components)]
    codes = [canonical_codes(*table) for table in tables]
    writer = BitWriter()
    out = bytearray()
    for y in range(height):
        if restart_rows and y and y % restart_rows == 0:
            writer.flush()
            out += writer.out + bytes([0xFF, 0xD0 + (y // restart_rows - 1) % 8])
            writer.out = bytearray()
        for x in range(width):
            for c in range(components):
                ssss, d = int(categories[y, x, c]), int(diffs[y, x, c])
                writer.put(*codes[c][ssss])
                if 0 < ssss < 16:
                    writer.put(d if d > 0 else d + (1 << ssss) - 1, ssss)
    writer.flush()
    out += writer.out
    ids = range(1, components + 1)
    head = b"\xFF\xD8"
    if components >= 3:
        # Adobe, transform 0: samples are RGB or CMYK as they stand.
        head += segment(0xEE, b"Adobe" + struct.pack(">HHHB", 100, 0, 0, 0))
    head += segment(0xC3, struct.pack(">BHHB", precision, height, width, components) +
                    b"".join(struct.pack(">BBB", i, 0x11, 0) for i in ids))
    for c, (bits, values) in enumerate(tables):
        head += segment(0xC4, bytes([c]) + bytes(bits) + bytes(values))
    if restart_rows:
        head += segment(0xDD, struct.pack(">H", restart_rows * width))
    scan = bytes([components]) + b"".join(bytes([i, c << 4]) for c, i in enumerate(ids))
    head += segment(0xDA, scan + bytes([predictor, 0, point_transform]))
    return head + bytes(out) + b"\xFF\xD9"
