#!/usr/bin/env python3
"""Draws the product logo (a blue badge with two transfer arrows, on the
white of the pop-ups) at the three sizes the programs load by screen
resolution, as 24-bit BMP files beside this script.

    ./make-logos.py
"""
import os
import struct

SIZES = [(58, 55), (74, 70), (96, 90)]
SAMPLES = 4  # per axis, for smooth edges

TOP = (40, 128, 208)
BOTTOM = (14, 66, 138)
WHITE = (255, 255, 255)


def in_badge(x, y):
    # A rounded square with a margin, corner radius 0.2.
    m, r = 0.05, 0.2
    lo, hi = m + r, 1 - m - r
    if x < m or x > 1 - m or y < m or y > 1 - m:
        return False
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_arrow(x, y, cy, x0, x1, rightwards):
    # A bar from x0 to x1 whose head points away from its tail.
    half_bar, half_head, head = 0.055, 0.15, 0.17
    if rightwards:
        tip, base = x1, x1 - head
        if x0 <= x <= base and abs(y - cy) <= half_bar:
            return True
        if base <= x <= tip:
            return abs(y - cy) <= half_head * (tip - x) / head
    else:
        tip, base = x0, x0 + head
        if base <= x <= x1 and abs(y - cy) <= half_bar:
            return True
        if tip <= x <= base:
            return abs(y - cy) <= half_head * (x - tip) / head
    return False


def colour(x, y):
    if not in_badge(x, y):
        return WHITE
    if in_arrow(x, y, 0.37, 0.22, 0.80, True) or in_arrow(x, y, 0.63, 0.20, 0.78, False):
        return WHITE
    t = (x + y) / 2
    c = [a + (b - a) * t for a, b in zip(TOP, BOTTOM)]
    # A soft light over the upper half.
    if y < 0.5:
        c = [v + (255 - v) * 0.12 * (0.5 - y) * 2 for v in c]
    return c


def render(w, h):
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour((px + (sx + 0.5) / SAMPLES) / w, (py + (sy + 0.5) / SAMPLES) / h)
                    acc = [a + v for a, v in zip(acc, c)]
            row.append(tuple(int(round(a / SAMPLES ** 2)) for a in acc))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


here = os.path.dirname(os.path.abspath(__file__))
for w, h in SIZES:
    write_bmp(os.path.join(here, "logo-%dx%d.bmp" % (w, h)), render(w, h))
