#!/usr/bin/env python3
"""Writes the formatting toolbar's icon strips beside this script: twelve
icons in the toolbar's button order, 24 x 24 (toolbar_24.bmp) and 36 x 36
(toolbar_36.bmp, for a display at 150 %), as 32-bit bitmaps with straight
alpha. Each icon is drawn from shapes in a 24-unit square and sampled 4 x 4
times a pixel, so both sizes are drawn, not scaled. Plain Python:

    python3 resources/make_toolbar_images.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

BLUE = (42, 88, 154)
LIGHT_BLUE = (62, 129, 201)
DARK = (50, 60, 75)
PAPER = (252, 252, 252)
RED = (200, 40, 40)
GREEN = (40, 140, 70)
WOOD = (170, 120, 60)
YELLOW = (240, 190, 60)


def seg_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy or 1)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def in_polygon(px, py, points):
    inside = False
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside


# Shapes: ("rect", x0, y0, x1, y1), ("poly", [points]), ("line", [points], width),
# ("disc", cx, cy, r), ("ring", cx, cy, r, width); each with a colour last.
def hit(shape, x, y):
    kind = shape[0]
    if kind == "rect":
        return shape[1] <= x < shape[3] and shape[2] <= y < shape[4]
    if kind == "poly":
        return in_polygon(x, y, shape[1])
    if kind == "line":
        points, width = shape[1], shape[2]
        return any(seg_distance(x, y, *a, *b) <= width / 2 for a, b in zip(points, points[1:]))
    if kind == "disc":
        return math.hypot(x - shape[1], y - shape[2]) <= shape[3]
    if kind == "ring":
        return abs(math.hypot(x - shape[1], y - shape[2]) - shape[3]) <= shape[4] / 2
    raise ValueError(kind)


def page(x0, y0, x1, y1):
    return [("rect", x0, y0, x1, y1, DARK), ("rect", x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2, PAPER)]


def text_lines(x0, x1, ys, colour=DARK):
    return [("rect", x0, y, x1, y + 1.6, colour) for y in ys]


ICONS = [
    # Prev, Next: arrows.
    [("poly", [(3, 12), (11, 4), (11, 9), (21, 9), (21, 15), (11, 15), (11, 20)], BLUE)],
    [("poly", [(21, 12), (13, 4), (13, 9), (3, 9), (3, 15), (13, 15), (13, 20)], BLUE)],
    # Style: a tree with lines to its items.
    [("line", [(6, 6), (6, 18), (11, 18)], 1.4, DARK), ("line", [(6, 12), (11, 12)], 1.4, DARK)]
    + [("rect", 3, 3, 9, 8, LIGHT_BLUE)] + [("rect", 11, y, 21, y + 4, BLUE) for y in (10, 16)],
    # Edit: a pencil.
    [("line", [(6, 18), (17, 7)], 5.5, DARK), ("line", [(6.5, 17.5), (16.5, 7.5)], 3.2, YELLOW),
     ("line", [(16, 8), (18.5, 5.5)], 5.5, RED), ("poly", [(3, 21), (4.5, 15.5), (8.5, 19.5)], DARK)],
    # Delete: a cross.
    [("line", [(5, 5), (19, 19)], 3.6, RED), ("line", [(19, 5), (5, 19)], 3.6, RED)],
    # Cut: scissors.
    [("line", [(8, 3), (15.5, 15)], 2, DARK), ("line", [(16, 3), (8.5, 15)], 2, DARK),
     ("ring", 7, 18, 3.2, 2, BLUE), ("ring", 17, 18, 3.2, 2, BLUE)],
    # Copy: two pages.
    page(3, 3, 14, 16) + text_lines(5.5, 11.5, (6.5, 9.5, 12.5)) + page(10, 8, 21, 21)
    + text_lines(12.5, 18.5, (11.5, 14.5, 17.5)),
    # Paste: a clipboard with a page.
    [("rect", 4, 4, 18, 21, WOOD), ("rect", 8, 2, 14, 6, DARK)] + page(10, 9, 21, 22)
    + text_lines(12.5, 18.5, (12.5, 15.5, 18.5)),
    # Search: a magnifying glass.
    [("ring", 10, 10, 5.5, 2.4, DARK), ("disc", 10, 10, 4.3, (215, 235, 250)),
     ("line", [(14.5, 14.5), (20, 20)], 3.4, DARK)],
    # About: an "i" in a disc.
    [("disc", 12, 12, 9.5, BLUE), ("disc", 12, 7.2, 1.6, PAPER), ("rect", 10.7, 10, 13.3, 18, PAPER)],
    # Unordered list: dots and lines.
    [("disc", 5, y + 0.8, 1.8, BLUE) for y in (5, 11, 17)] + text_lines(9, 21, (5, 11, 17)),
    # Ordered list: 1, 2, 3 and lines.
    [("line", [(4, 4.5), (5.5, 3.5), (5.5, 8)], 1.2, BLUE),
     ("line", [(3.8, 11), (5, 10), (6.3, 10.8), (3.8, 14.5), (6.5, 14.5)], 1.2, BLUE),
     ("line", [(3.8, 16.5), (6.2, 16.5), (4.8, 18.3), (6.3, 19.3), (5, 20.7), (3.8, 20.2)], 1.2, BLUE)]
    + text_lines(9, 21, (5, 11, 17)),
]


def colour_at(shapes, x, y):
    found = None
    for shape in shapes:
        if hit(shape, x, y):
            found = shape[-1]
    return found


def render(shapes, size, samples=4):
    """BGRA rows, top first, each pixel the average of its samples."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    u = (px + (sx + 0.5) / samples) * 24.0 / size
                    v = (py + (sy + 0.5) / samples) * 24.0 / size
                    colour = colour_at(shapes, u, v)
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            row.append((b // a, g // a, r // a, 255 * a // (samples * samples)) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def write_strip(path, size):
    icons = [render(shapes, size) for shapes in ICONS]
    width = size * len(icons)
    pixels = b""
    for y in reversed(range(size)):
        pixels += b"".join(bytes(icon[y][x]) for icon in icons for x in range(size))
    info = struct.pack("<IiiHHIIiiII", 40, width, size, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    write_strip(os.path.join(HERE, "toolbar_24.bmp"), 24)
    write_strip(os.path.join(HERE, "toolbar_36.bmp"), 36)
