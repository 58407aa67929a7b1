#!/usr/bin/env python3
"""Draws the program's icon and toolbar image strips into app/resources.

The toolbar strips are 24-bit BMPs of fourteen 16x15 images side by side, in button order
(900..913), on magenta, which the image lists mask out. The hot strip is the same pictures
brighter, on a light frame. The icon is a small picture of the set itself at 32x32 and 16x16.
Run it after changing a picture and commit the files it writes.
"""
import math
import os
import struct
import sys

W, H = 16, 15
MAGENTA = (255, 0, 255)
COUNT = 14


class Canvas:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def polygon(self, pts, c):
        for y in range(self.h):
            for x in range(self.w):
                if inside(pts, x + 0.5, y + 0.5):
                    self.put(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r0, r1, c, a0=0.0, a1=360.0):
        for y in range(self.h):
            for x in range(self.w):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d = math.hypot(dx, dy)
                a = math.degrees(math.atan2(-dy, dx)) % 360
                if r0 <= d <= r1 and angle_in(a, a0, a1):
                    self.put(x, y, c)


def angle_in(a, a0, a1):
    a0 %= 360
    a1 %= 360
    return a0 <= a <= a1 if a0 <= a1 else (a >= a0 or a <= a1)


def inside(pts, x, y):
    hit = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
DARK = (64, 64, 64)
RED = (200, 30, 30)
GREEN = (30, 150, 40)
BLUE = (40, 70, 200)
YELLOW = (240, 200, 40)
BROWN = (170, 120, 40)
SKY = (120, 180, 240)


def mandelbrot_silhouette(c, x0, y0, w, h, colour):
    for py in range(h):
        for px in range(w):
            cr = -2.1 + 2.8 * (px + 0.5) / w
            ci = -1.25 + 2.5 * (py + 0.5) / h
            zr = zi = 0.0
            n = 0
            while n < 40 and zr * zr + zi * zi < 4.0:
                zr, zi = zr * zr - zi * zi + cr, 2 * zr * zi + ci
                n += 1
            if n == 40:
                c.put(x0 + px, y0 + py, colour)


def draw_reset(c):  # the whole set again
    mandelbrot_silhouette(c, 0, 1, 16, 13, BLACK)


def draw_open(c):  # an opening folder
    c.rect(1, 3, 6, 4, BROWN)
    c.rect(1, 4, 13, 12, BROWN)
    c.polygon([(3, 7), (15, 7), (13, 13), (1, 13)], YELLOW)
    c.frame(1, 4, 13, 12, DARK)


def draw_save(c):  # a floppy disk
    c.rect(1, 1, 14, 13, BLUE)
    c.rect(4, 1, 11, 5, WHITE)
    c.rect(9, 2, 10, 4, DARK)
    c.rect(3, 8, 12, 13, (220, 220, 220))
    c.frame(1, 1, 14, 13, DARK)


def draw_undo(c):  # an arrow curving back to the left
    c.ring(8.5, 8.5, 3.5, 5.5, BLUE, 270, 140)
    c.polygon([(0, 5), (6, 0), (6, 9)], BLUE)


def draw_picture(c):  # a framed landscape
    c.rect(1, 2, 14, 12, SKY)
    c.polygon([(2, 12), (7, 5), (11, 9), (13, 7), (14, 12)], GREEN)
    c.disc(11.5, 4.5, 1.6, YELLOW)
    c.frame(0, 1, 15, 13, BROWN)


def draw_film(c):  # a film strip of frames in changing colours
    c.rect(0, 2, 15, 12, DARK)
    for x in range(1, 16, 3):
        c.put(x, 3, WHITE)
        c.put(x, 11, WHITE)
    for i, col in enumerate([RED, YELLOW, GREEN, BLUE]):
        c.rect(1 + i * 4 - (1 if i else 0), 5, 2 + i * 4, 9, col)


def draw_redraw(c):  # two arrows chasing round a circle
    c.ring(7.5, 7.5, 4.0, 6.0, GREEN, 20, 160)
    c.ring(7.5, 7.5, 4.0, 6.0, GREEN, 200, 340)
    c.polygon([(1, 7), (6, 7), (3, 11)], GREEN)
    c.polygon([(9, 7), (14, 7), (12, 3)], GREEN)


def draw_play(c):  # start cycling
    c.polygon([(3, 1), (14, 7.5), (3, 14)], GREEN)
    c.line(3, 1, 3, 13, DARK)


def draw_stop_cycle(c):  # stop cycling
    c.rect(3, 3, 12, 11, BLUE)
    c.frame(3, 3, 12, 11, DARK)


def draw_faster(c):  # fast forward
    c.polygon([(0, 2), (8, 7.5), (0, 13)], GREEN)
    c.polygon([(7, 2), (15, 7.5), (7, 13)], GREEN)


def draw_slower(c):  # slow down: back
    c.polygon([(16, 2), (8, 7.5), (16, 13)], BROWN)
    c.polygon([(9, 2), (1, 7.5), (9, 13)], BROWN)


def draw_reverse(c):  # arrows both ways
    c.rect(3, 4, 14, 5, BLUE)
    c.polygon([(0, 4.5), (5, 0), (5, 9)], BLUE)
    c.rect(1, 10, 12, 11, RED)
    c.polygon([(16, 10.5), (11, 6), (11, 15)], RED)


def draw_stop_render(c):  # a red stop sign
    s = 7.5
    pts = [(s + 7 * math.cos(math.radians(22.5 + 45 * k)), s + 7 * math.sin(math.radians(22.5 + 45 * k)))
           for k in range(8)]
    c.polygon(pts, RED)
    c.rect(4, 6, 11, 8, WHITE)


def draw_about(c):  # a question mark in a circle
    c.disc(7.5, 7.5, 7.2, BLUE)
    c.ring(7.5, 5.5, 1.8, 3.5, WHITE, 330, 200)
    c.rect(7, 7, 8, 9, WHITE)
    c.rect(7, 11, 8, 12, WHITE)


PICTURES = [draw_reset, draw_open, draw_save, draw_undo, draw_picture, draw_film, draw_redraw,
            draw_play, draw_stop_cycle, draw_faster, draw_slower, draw_reverse, draw_stop_render,
            draw_about]
assert len(PICTURES) == COUNT


def brighten(c):
    if c == MAGENTA:
        return c
    return tuple(min(255, int(v * 0.6 + 110)) for v in c)


def strip(hot):
    out = Canvas(W * COUNT, H, MAGENTA)
    for i, draw in enumerate(PICTURES):
        img = Canvas(W, H, MAGENTA)
        draw(img)
        for y in range(H):
            for x in range(W):
                p = img.px[y][x]
                if hot:
                    p = brighten(p)
                    if p == MAGENTA and (x in (0, W - 1) or y in (0, H - 1)):
                        p = (255, 255, 225)
                out.px[y][i * W + x] = p
    return out


def bmp24(canvas):
    stride = (canvas.w * 3 + 3) & ~3
    rows = b""
    for y in range(canvas.h - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in canvas.px[y])
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(rows), 0, 0, 54) + header + rows


def icon_image(size):
    """A 32-bit picture of the set, with an AND mask (all opaque)."""
    pixels = []
    for py in range(size - 1, -1, -1):  # bottom-up
        for px in range(size):
            cr = -2.2 + 3.0 * (px + 0.5) / size
            ci = -1.5 + 3.0 * (py + 0.5) / size
            zr = zi = 0.0
            n = 0
            while n < 64 and zr * zr + zi * zi < 4.0:
                zr, zi = zr * zr - zi * zi + cr, 2 * zr * zi + ci
                n += 1
            if n == 64:
                r, g, b = 0, 0, 0
            else:
                t = n / 64.0
                r = int(255 * min(1.0, 3 * t))
                g = int(255 * min(1.0, max(0.0, 3 * t - 1)))
                b = int(255 * (0.35 + 0.65 * (1 - t)))
            pixels.append(bytes((b, g, r, 255)))
    xor = b"".join(pixels)
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "resources")
    with open(os.path.join(outdir, "toolbar.bmp"), "wb") as f:
        f.write(bmp24(strip(False)))
    with open(os.path.join(outdir, "toolbar_hot.bmp"), "wb") as f:
        f.write(bmp24(strip(True)))
    with open(os.path.join(outdir, "zorb.ico"), "wb") as f:
        f.write(ico([32, 16]))
    print("gen-resources: wrote toolbar.bmp, toolbar_hot.bmp and zorb.ico in", outdir)


if __name__ == "__main__":
    main()
