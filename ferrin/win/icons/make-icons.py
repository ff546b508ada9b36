#!/usr/bin/env python3
"""Draws ferrin's icons: the program icon, the downloads window's action
buttons (each in a normal and a hover form), the icon of a download of
several items and the failure badge, each in the sizes the programs load at
96, 120 and 144 DPI (and more).

They are written as the resources themselves (res/: one icon directory per
icon, one image per size) with Icons.rc listing them under fixed image ids
from 20000 up (the icons' own ids are FerrinResources.h's). A resource
script's ICON statement numbers its images from 1, so two scripts with
icons in one program (ferrin's and the toolkit's, in kivshots) would give
the linker the same ids twice.

    ./make-icons.py
"""
import math
import os
import struct
import zlib

SAMPLES = 4  # per axis, for smooth edges

GREY = (96, 104, 118)
BLUE = (22, 96, 196)
RED = (204, 40, 36)
WHITE = (255, 255, 255)
PAPER = (250, 250, 252)
EDGE = (120, 130, 150)
FOLD = (200, 210, 225)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, half):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half * half


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


# Each shape: (x, y) in 0..1 -> colour or None (transparent).

def pause(colour):
    def f(x, y):
        if rounded_rect(x, y, 0.20, 0.14, 0.42, 0.86, 0.05) or \
           rounded_rect(x, y, 0.58, 0.14, 0.80, 0.86, 0.05):
            return colour
        return None
    return f


def play(colour):
    def f(x, y):
        return colour if in_triangle(x, y, (0.24, 0.12), (0.24, 0.88), (0.86, 0.5)) else None
    return f


def retry(colour):
    def f(x, y):
        # Three quarters of a ring, with an arrow head at its open end.
        dx, dy = x - 0.5, y - 0.52
        r = math.hypot(dx, dy)
        angle = math.degrees(math.atan2(-dy, dx)) % 360
        if 0.24 <= r <= 0.36 and not (20 <= angle <= 100):
            return colour
        if in_triangle(x, y, (0.50, 0.02), (0.50, 0.38), (0.80, 0.20)):
            return colour
        return None
    return f


def close(colour):
    def f(x, y):
        if near_segment(x, y, 0.2, 0.2, 0.8, 0.8, 0.1) or near_segment(x, y, 0.8, 0.2, 0.2, 0.8, 0.1):
            return colour
        return None
    return f


def active(shape):
    # The hover form: the symbol in white on a blue disc.
    inner = shape(WHITE)

    def f(x, y):
        if not in_circle(x, y, 0.5, 0.5, 0.5):
            return None
        c = inner(0.5 + (x - 0.5) / 0.72, 0.5 + (y - 0.5) / 0.72)
        return c if c else BLUE
    return f


def page(x, y, x0, y0, w, h):
    # A sheet with a folded corner.
    fold = w * 0.3
    if not (x0 <= x <= x0 + w and y0 <= y <= y0 + h):
        return None
    if x - x0 > w - fold and y - y0 < fold:
        # The corner: the fold below the diagonal, nothing above it.
        if (x - (x0 + w - fold)) > (y - y0):
            return None
        return FOLD
    border = 0.035
    if x - x0 < border or x0 + w - x < border or y - y0 < border or y0 + h - y < border:
        return EDGE
    if abs((x - (x0 + w - fold)) - (y - y0)) < border * 0.8 and y - y0 < fold:
        return EDGE
    # Lines of text.
    for i in range(4):
        ly = y0 + h * (0.45 + i * 0.13)
        if abs(y - ly) < 0.018 and x0 + w * 0.18 < x < x0 + w * 0.82:
            return (170, 180, 196)
    return PAPER


def files(x, y):
    front = page(x, y, 0.30, 0.22, 0.56, 0.72)
    if front:
        return front
    return page(x, y, 0.12, 0.06, 0.56, 0.72)


def fail(x, y):
    if not in_circle(x, y, 0.5, 0.5, 0.48):
        return None
    if in_circle(x, y, 0.5, 0.5, 0.40) and (near_segment(x, y, 0.32, 0.32, 0.68, 0.68, 0.075) or
                                            near_segment(x, y, 0.68, 0.32, 0.32, 0.68, 0.075)):
        return WHITE
    return RED if in_circle(x, y, 0.5, 0.5, 0.40) else WHITE


def app(x, y):
    # The product logo: a blue badge with two transfer arrows.
    if not rounded_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.2):
        return None
    if near_segment(x, y, 0.22, 0.37, 0.62, 0.37, 0.06) or \
       in_triangle(x, y, (0.60, 0.20), (0.60, 0.54), (0.82, 0.37)) or \
       near_segment(x, y, 0.38, 0.63, 0.78, 0.63, 0.06) or \
       in_triangle(x, y, (0.40, 0.46), (0.40, 0.80), (0.18, 0.63)):
        return WHITE
    t = (x + y) / 2
    return tuple(a + (b - a) * t for a, b in zip((40, 128, 208), (14, 66, 138)))


def render(shape, size):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shape((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            if acc[3]:
                rgb = [v / acc[3] for v in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append(tuple(int(round(v)) for v in rgb) + (int(round(a * 255)),))
        pixels.append(row)
    return pixels


def image_data(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for i, p in enumerate(row):
            if p[3] == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    return header + colour + mask


def write_icon(here, name, shape, sizes, first_id, rc):
    group = struct.pack("<HHH", 0, 1, len(sizes))
    for i, size in enumerate(sizes):
        data = image_data(render(shape, size))
        image = "res/%s-%d.bin" % (name, size)
        with open(os.path.join(here, image), "wb") as f:
            f.write(data)
        group += struct.pack("<BBBBHHIH", size % 256, size % 256, 0, 0, 1, 32, len(data),
                             first_id + i)
        rc.append('%d 3 "icons/%s"' % (first_id + i, image))
    with open(os.path.join(here, "res/%s.grp" % name), "wb") as f:
        f.write(group)
    return 'RESOURCE_NAME 14 "icons/res/%s.grp"' % name


SMALL = [16, 20, 24, 32]
here = os.path.dirname(os.path.abspath(__file__))
icons = [
    ("!APP_ICON", "app", app, [16, 20, 24, 32, 40, 48, 64]),
    ("FT_PAUSE_ICON", "pause", pause(GREY), SMALL),
    ("FT_PAUSEACTIVE_ICON", "pause-active", active(pause), SMALL),
    ("FT_PLAY_ICON", "play", play(GREY), SMALL),
    ("FT_PLAYACTIVE_ICON", "play-active", active(play), SMALL),
    ("FT_RETRY_ICON", "retry", retry(GREY), SMALL),
    ("FT_RETRYACTIVE_ICON", "retry-active", active(retry), SMALL),
    ("FT_CLOSE_ICON", "close", close(GREY), SMALL),
    ("FT_CLOSEACTIVE_ICON", "close-active", active(close), SMALL),
    ("FT_FILES_ICON", "files", files, [32, 40, 48, 64]),
    ("FT_FAIL_ICON", "fail", fail, SMALL),
]
os.makedirs(os.path.join(here, "res"), exist_ok=True)
lines = ["// Generated by make-icons.py: ferrin's icons (type 14) and their images",
         "// (type 3) under fixed ids."]
next_id = 20000
for resource, name, shape, sizes in icons:
    images = []
    group = write_icon(here, name, shape, sizes, next_id, images)
    name_text = '"%s"' % resource if resource.startswith("!") else resource
    lines.append(group.replace("RESOURCE_NAME", name_text))
    lines += images
    next_id += len(sizes)
# The build knows only this script: it changes whenever an image does.
crc = 0
for line in lines:
    if line.endswith('.bin"') or line.endswith('.grp"'):
        with open(os.path.join(here, line.split('"')[-2][len("icons/"):]), "rb") as f:
            crc = zlib.crc32(f.read(), crc)
lines.insert(2, "// Images' checksum: %08x" % crc)
with open(os.path.join(here, "Icons.rc"), "w") as f:
    f.write("\n".join(lines) + "\n")
