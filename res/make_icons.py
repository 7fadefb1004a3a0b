#!/usr/bin/env python3
"""Draws the program's icons, an envelope with a fern leaf, as 16-colour .ico files:
res/fernpost.ico (icon group 128: 32x32 and 16x16) and res/mail.ico (icon group 130: 32x32).
Run it again after changing the drawing; the .ico files are kept in the repository."""
import os
import struct

# The standard 16-colour palette (black, dark red, ..., white), as B, G, R.
PALETTE = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
           (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
           (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
CLEAR, OUTLINE, PAPER, FLAP, LEAF, STEM = None, 4, 15, 7, 10, 2


def envelope(size):
    """Rows of palette indexes (None: transparent), top row first."""
    pixels = [[CLEAR] * size for _ in range(size)]
    top, bottom, left, right = size // 4, size - size // 5, 1, size - 2
    middle = (left + right) / 2
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = y in (top, bottom) or x in (left, right)
            pixels[y][x] = OUTLINE if edge else PAPER
    # The flap: two lines from the top corners down to the middle.
    depth = (bottom - top) * 0.6
    for x in range(left, right + 1):
        y = top + round(depth * (1 - abs(x - middle) / (middle - left)))
        pixels[y][x] = OUTLINE
        for fill in range(top + 1, y):
            pixels[fill][x] = FLAP
    # A fern leaf in the lower right corner.
    leaf = max(2, size // 6)
    for i in range(leaf):
        x, y = right - leaf + i, bottom - 1 - i
        pixels[y][x] = STEM
        if y - 1 > top:
            pixels[y - 1][x] = LEAF
        if x + 1 < right:
            pixels[y][x + 1] = LEAF
    return pixels


def image(pixels):
    """The icon image: header, palette, 4-bit colour rows and 1-bit mask rows, bottom-up."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes(c) + b"\0" for c in PALETTE)
    colour, mask = b"", b""
    for row in reversed(pixels):
        nibbles = [0 if p is None else p for p in row]
        line = bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, size, 2))
        colour += line + b"\0" * (-len(line) % 4)
        bits = "".join("1" if p is None else "0" for p in row)
        line = int(bits, 2).to_bytes(size // 8, "big")
        mask += line + b"\0" * (-len(line) % 4)
    return header + palette + colour + mask


def write_icon(path, sizes):
    images = [image(envelope(size)) for size in sizes]
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


here = os.path.dirname(os.path.abspath(__file__))
write_icon(os.path.join(here, "fernpost.ico"), [32, 16])
write_icon(os.path.join(here, "mail.ico"), [32])
