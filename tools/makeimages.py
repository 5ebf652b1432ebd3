#!/usr/bin/env python3
"""Draws the program's tile images and writes them into qml/images/.

Standard library only. Every image is a rounded tile in one colour with a
white glyph; a glyph is a function that tells, for a point of the unit
square, whether it is ink. Add a tile by adding a glyph and an entry to
TILES. Run from anywhere: tools/makeimages.py
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, "..", "qml", "images")

BLUE = (0x29, 0x78, 0xE1)   # the main tone of the interface
WHITE = (0xFF, 0xFF, 0xFF)
SUPERSAMPLE = 4


def glyph_p(x, y):
    """A bold capital P: a stem and a bowl ring, in unit coordinates."""
    stem = 0.30 <= x <= 0.44 and 0.20 <= y <= 0.80
    cx, cy = 0.47, 0.385
    dx, dy = (x - cx) / 1.0, (y - cy)
    r = math.hypot(dx, dy)
    bowl_round = x >= cx and 0.115 <= r <= 0.185 + 0.0
    bowl_bars = 0.37 <= x <= cx and (0.20 <= y <= 0.27 or 0.50 <= y <= 0.57)
    return stem or bowl_round or bowl_bars


def inside_tile(x, y, radius=0.18):
    """A square with rounded corners filling the unit square."""
    qx = min(max(x, radius), 1 - radius)
    qy = min(max(y, radius), 1 - radius)
    return math.hypot(x - qx, y - qy) <= radius


def draw(size, colour, glyph):
    """Returns rows of (r, g, b, a) tuples, anti-aliased by supersampling."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            tile = ink = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    if inside_tile(x, y):
                        tile += 1
                        if glyph(x, y):
                            ink += 1
            total = n * n
            if tile == 0:
                row.append((0, 0, 0, 0))
                continue
            k = ink / tile
            rgb = tuple(round(c * (1 - k) + w * k) for c, w in zip(colour, WHITE))
            row.append(rgb + (round(255 * tile / total),))
        rows.append(row)
    return rows


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """A 32-bit icon bitmap: header with doubled height, BGRA bottom-up, AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico(images):
    """An .ico file from (size, rows); 256 pixels go in as PNG, smaller as bitmaps."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        blob = png(rows) if size >= 256 else dib(rows)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# name: (colour, glyph, .ico sizes, .png size)
TILES = {
    "app": (BLUE, glyph_p, (16, 24, 32, 48, 256), 64),
}


def main():
    os.makedirs(IMAGES, exist_ok=True)
    for name, (colour, glyph, ico_sizes, png_size) in TILES.items():
        drawn = {size: draw(size, colour, glyph) for size in set(ico_sizes) | {png_size}}
        with open(os.path.join(IMAGES, name + ".ico"), "wb") as f:
            f.write(ico([(size, drawn[size]) for size in ico_sizes]))
        with open(os.path.join(IMAGES, name + ".png"), "wb") as f:
            f.write(png(drawn[png_size]))


if __name__ == "__main__":
    main()
