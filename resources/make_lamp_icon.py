#!/usr/bin/env python3
"""Draws the panel programs' icon, lamp.ico: a red lamp with a black rim and a
highlight, on a green panel with a dark green border, at 32 x 32 and 16 x 16
(32-bit colour with an AND mask). Run it again only to change the drawing:
  python3 resources/make_lamp_icon.py resources/lamp.ico
"""
import struct
import sys

GREEN = (0, 255, 0)
DARK_GREEN = (0, 128, 0)
RED = (255, 0, 0)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)


def pixel(size, x, y):
    """Colour of pixel (x, y), top row first."""
    if x == 0 or y == 0 or x == size - 1 or y == size - 1:
        return DARK_GREEN
    c = (size - 1) / 2.0
    r = size * 0.36
    d2 = (x - c) ** 2 + (y - c) ** 2
    if d2 > r * r:
        return GREEN
    if d2 > (r - max(1.0, size / 16.0)) ** 2:
        return BLACK
    hx, hy = c - r * 0.35, c - r * 0.35
    if (x - hx) ** 2 + (y - hy) ** 2 < (r * 0.22) ** 2:
        return WHITE
    return RED


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = b"".join(struct.pack("BBBB", b, g, r, 255)
                       for (r, g, b) in (pixel(size, x, y) for x in range(size)))
        rows.append(row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # every pixel opaque
    return header + b"".join(rows) + mask


def main(path):
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "lamp.ico")
