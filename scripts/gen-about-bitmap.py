#!/usr/bin/env python3
"""Draws the About box's picture: a 155 x 121 escape-time picture of z^2 + c in the program's
Rainbow colours, written as an 8-bit, 256-colour, bottom-up BMP.

Usage: scripts/gen-about-bitmap.py [OUTPUT]   (default: app/resources/about.bmp)
The output is committed; run this again only to change the picture.
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 155, 121
MAX_ITERATIONS = 254
INSIDE = 255


def rainbow():
    """256 (red, green, blue) ramps through red, yellow, green, cyan, blue, magenta."""
    colours = []
    for i in range(256):
        if i <= 42:
            colours.append((255, 255 if i > 40 else int(40 * math.sqrt(i)), 0))
        elif i <= 84:
            colours.append((255 if i <= 44 else int(40 * math.sqrt(84 - i)), 255, 0))
        elif i <= 126:
            colours.append((0, 255, 255 if i > 124 else int(40 * math.sqrt(i - 85))))
        elif i <= 168:
            colours.append((0, 255 if i <= 128 else int(40 * math.sqrt(168 - i)), 255))
        elif i <= 210:
            colours.append((255 if i > 208 else int(40 * math.sqrt(i - 169)), 0, 255))
        else:
            colours.append((255, 0, 255 if i <= 212 else int(38 * math.sqrt(255 - i))))
    colours[INSIDE] = (0, 0, 0)
    return colours


def colour_index(cx, cy):
    zx = zy = 0.0
    for n in range(MAX_ITERATIONS):
        zx, zy = zx * zx - zy * zy + cx, 2.0 * zx * zy + cy
        if zx * zx + zy * zy > 4.0:
            # Spread the low counts, which most of the picture has, over the whole palette.
            return int(24.0 * math.sqrt(n + 1)) % 255
    return INSIDE


def picture():
    x_min, x_max, y_mid = -2.1, 0.8, 0.0
    step = (x_max - x_min) / WIDTH
    rows = []
    for y in range(HEIGHT):
        cy = y_mid + (HEIGHT / 2 - y) * step
        rows.append(bytes(colour_index(x_min + x * step, cy) for x in range(WIDTH)))
    return rows


def bmp(rows, colours):
    stride = (WIDTH + 3) & ~3
    image_size = stride * HEIGHT
    offset = 14 + 40 + 256 * 4
    out = bytearray(b"BM")
    out += struct.pack("<IHHI", offset + image_size, 0, 0, offset)
    out += struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, image_size, 0, 0, 256, 256)
    for red, green, blue in colours:
        out += bytes((blue, green, red, 0))
    for row in reversed(rows):  # bottom row first
        out += row + bytes(stride - WIDTH)
    return bytes(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "resources", "about.bmp")
    with open(target, "wb") as f:
        f.write(bmp(picture(), rainbow()))


if __name__ == "__main__":
    main()
