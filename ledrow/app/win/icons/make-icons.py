#!/usr/bin/env python3
"""Draws the address book's icons and small bitmaps beside this script:

- ledrow.ico: the program (a book with a screen on its cover);
- tray.ico: the same for the notification area;
- new-entry.ico, new-folder.ico, properties.ico, delete.ico, connect.ico:
  the toolbar buttons;
- tree.bmp: 48 x 16, the tree's folder, entry and protected entry, on the
  mask colour magenta;
- group-collapsed.bmp, group-expanded.bmp: 12 x 12, the alphabetic view's
  group marks.

    ./make-icons.py
"""
import math
import os
import struct

SAMPLES = 4  # per axis, for smooth edges

# Shapes work in a unit square, y downwards. Each is (test, colour) where
# test(x, y) tells whether the point is inside.


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def polygon(points):
    def inside(x, y):
        n, c = len(points), False
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                c = not c
        return c
    return inside


def line(xa, ya, xb, yb, w):
    dx, dy = xb - xa, yb - ya
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * w / 2, dx / length * w / 2
    return polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)])


def moved(shapes, dx, dy, scale):
    """Shapes shrunk by scale and moved by (dx, dy)."""
    def place(test):
        return lambda x, y: test((x - dx) / scale, (y - dy) / scale)
    return [(place(t), c) for t, c in shapes]


# Colours (r, g, b, a).
NAVY = (24, 62, 120, 255)
BLUE = (48, 110, 190, 255)
PAGE = (246, 246, 240, 255)
SCREEN = (92, 170, 230, 255)
DARK = (40, 44, 52, 255)
GREY = (120, 126, 136, 255)
WHITE = (255, 255, 255, 255)
GOLD = (222, 170, 40, 255)
GOLD_DARK = (150, 110, 20, 255)
FOLDER = (236, 190, 70, 255)
FOLDER_DARK = (190, 140, 40, 255)
GREEN = (46, 160, 70, 255)
RED = (204, 48, 48, 255)


def monitor(x0=0.08, y0=0.14, x1=0.92, y1=0.74):
    cx = (x0 + x1) / 2
    return [
        (rounded(x0, y0, x1, y1, 0.06), DARK),
        (rect(x0 + 0.07, y0 + 0.07, x1 - 0.07, y1 - 0.07), SCREEN),
        (rect(cx - 0.06, y1, cx + 0.06, y1 + 0.1), DARK),
        (rounded(cx - 0.24, y1 + 0.08, cx + 0.24, y1 + 0.16, 0.03), DARK),
    ]


def padlock(dx, dy, s):
    shapes = [
        (ring(0.5, 0.42, 0.16, 0.27), GOLD_DARK),
        (rect(0.23, 0.42, 0.77, 0.92), GOLD_DARK),
        (rect(0.29, 0.48, 0.71, 0.86), GOLD),
        (rect(0.46, 0.58, 0.54, 0.76), GOLD_DARK),
    ]
    return moved(shapes, dx, dy, s)


def folder():
    return [
        (rounded(0.06, 0.18, 0.48, 0.36, 0.05), FOLDER_DARK),
        (rounded(0.06, 0.28, 0.94, 0.86, 0.06), FOLDER_DARK),
        (rounded(0.1, 0.34, 0.9, 0.82, 0.04), FOLDER),
    ]


def plus(dx, dy, s):
    shapes = [
        (circle(0.5, 0.5, 0.48), WHITE),
        (circle(0.5, 0.5, 0.42), GREEN),
        (rect(0.42, 0.22, 0.58, 0.78), WHITE),
        (rect(0.22, 0.42, 0.78, 0.58), WHITE),
    ]
    return moved(shapes, dx, dy, s)


def book():
    shapes = [
        (rounded(0.12, 0.04, 0.9, 0.96, 0.08), NAVY),
        (rect(0.2, 0.06, 0.88, 0.92), BLUE),
        (rect(0.12, 0.04, 0.24, 0.96), NAVY),
        (rect(0.86, 0.1, 0.92, 0.92), PAGE),
    ]
    return shapes + moved(monitor(), 0.3, 0.24, 0.5)


def properties():
    return [
        (rounded(0.16, 0.06, 0.84, 0.94, 0.05), GREY),
        (rect(0.21, 0.11, 0.79, 0.89), PAGE),
        (rect(0.3, 0.24, 0.7, 0.3), DARK),
        (rect(0.3, 0.4, 0.7, 0.46), DARK),
        (rect(0.3, 0.56, 0.7, 0.62), DARK),
        (rect(0.3, 0.72, 0.56, 0.78), DARK),
    ]


def delete():
    return [(line(0.18, 0.18, 0.82, 0.82, 0.2), RED), (line(0.82, 0.18, 0.18, 0.82, 0.2), RED)]


def connect():
    arrow = polygon([(0.04, 0.5), (0.36, 0.5), (0.36, 0.34), (0.6, 0.6), (0.36, 0.86),
                     (0.36, 0.7), (0.04, 0.7)])
    return moved(monitor(), 0.3, 0.0, 0.7) + [(arrow, WHITE)] + moved([(arrow, GREEN)], 0.03, 0.045, 0.9)


def render(shapes, w, h, background=None):
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / w
                    y = (py + (sy + 0.5) / SAMPLES) / h
                    c = background or (0, 0, 0, 0)
                    for test, colour in shapes:
                        if test(x, y):
                            c = colour
                    # premultiplied, so transparent samples add no colour
                    a = c[3] / 255.0
                    acc = [acc[0] + c[0] * a, acc[1] + c[1] * a, acc[2] + c[2] * a, acc[3] + a]
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [v / acc[3] for v in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append(tuple(int(round(v)) for v in rgb) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def ico_image(rows):
    h, w = len(rows), len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico(path, shapes, sizes):
    images = [ico_image(render(shapes, s, s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        for r, g, b, _ in row:
            line_bytes += bytes((b, g, r))
        pixels += line_bytes + bytes(stride - len(line_bytes))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def flatten(rows, mask):
    """Opaque pixels on the mask colour: bitmaps have no alpha."""
    out = []
    for row in rows:
        line_px = []
        for r, g, b, a in row:
            if a < 128:
                line_px.append(mask + (255,))
            else:
                k = a / 255.0
                line_px.append((int(r * k + 255 * (1 - k)), int(g * k + 255 * (1 - k)),
                                int(b * k + 255 * (1 - k)), 255))
        out.append(line_px)
    return out


def group_mark(expanded):
    shapes = [(rect(0.0, 0.0, 1.0, 1.0), GREY), (rect(0.09, 0.09, 0.91, 0.91), WHITE),
              (rect(0.25, 0.45, 0.75, 0.55), DARK)]
    if not expanded:
        shapes.append((rect(0.45, 0.25, 0.55, 0.75), DARK))
    return shapes


here = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = [16, 20, 24, 32, 36, 48]
write_ico(os.path.join(here, "ledrow.ico"), book(), ICON_SIZES + [64])
write_ico(os.path.join(here, "tray.ico"), book(), [16, 20, 24, 32])
for name, shapes in [("new-entry", moved(monitor(), 0.0, 0.0, 0.9) + plus(0.5, 0.5, 0.5)),
                     ("new-folder", folder() + plus(0.5, 0.5, 0.5)),
                     ("properties", properties()),
                     ("delete", delete()),
                     ("connect", connect())]:
    write_ico(os.path.join(here, name + ".ico"), shapes, ICON_SIZES)

MAGENTA = (255, 0, 255)
tree = [flatten(render(s, 16, 16), MAGENTA)
        for s in (folder(), monitor(), monitor() + padlock(0.45, 0.38, 0.55))]
write_bmp(os.path.join(here, "tree.bmp"), [sum((t[y] for t in tree), []) for y in range(16)])
write_bmp(os.path.join(here, "group-collapsed.bmp"), flatten(render(group_mark(False), 12, 12), (255, 255, 255)))
write_bmp(os.path.join(here, "group-expanded.bmp"), flatten(render(group_mark(True), 12, 12), (255, 255, 255)))
