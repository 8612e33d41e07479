#!/usr/bin/env python3
"""Draws kroplay.exe's icon, packaging/kroplay.ico: three rippled wave
bands, sea green to deep blue, on a rounded dark square, at 16, 32 and 48
pixels, as 32-bit images with an alpha channel (the ICO format Windows XP
and later read). Run it again after changing the drawing:
    python3 packaging/make_icon.py
"""
import math
import os
import struct

SIZES = (16, 32, 48)
BANDS = ((64, 200, 170), (40, 140, 220), (30, 80, 200))  # top to bottom
FRAME = (20, 24, 40)


def pixel(x, y, size):
    """(r, g, b, a) at pixel (x, y) of a size x size icon."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    # The rounded square's corners are clear.
    corner = 0.18
    dx, dy = max(corner - u, u - (1 - corner), 0), max(corner - v, v - (1 - corner), 0)
    if math.hypot(dx, dy) > corner:
        return (0, 0, 0, 0)
    # Bands whose edges follow a sine, as the ripple moves rows.
    for band, colour in enumerate(BANDS):
        edge = 0.22 + 0.22 * band + 0.06 * math.sin(2 * math.pi * (u * 1.5 + band * 0.3))
        if v < edge:
            return (*FRAME, 255) if band == 0 else (*BANDS[band - 1], 255)
    return (*BANDS[-1], 255)


def image(size):
    """One ICO image: a BITMAPINFOHEADER of twice the height, the BGRA rows
    bottom up, then a 1-bit AND mask (all clear: alpha decides)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b"".join(
        bytes(c for x in range(size) for c in (lambda p: (p[2], p[1], p[0], p[3]))(pixel(x, y, size)))
        for y in reversed(range(size)))
    mask_row = ((size + 31) // 32) * 4
    return header + rows + bytes(mask_row * size)


def main():
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kroplay.ico")
    with open(path, "wb") as f:
        f.write(out + b"".join(images))
    print(f"wrote {path} ({len(out) + sum(map(len, images))} bytes)")


if __name__ == "__main__":
    main()
