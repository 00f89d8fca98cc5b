#!/usr/bin/env python3
"""Draws the Vorlen logo, a 512 x 512 PNG with a transparent background:
three cards fanned out in the program's blues, the front one white with a
title band and the indented rows of a card tree.

Only the standard library: the shapes are signed distance fields, so every
edge is anti-aliased exactly, and the PNG is written with zlib and struct.
Running it again writes the same file.

    python3 resources/welcome/make_logo.py [output.png]
"""

import math
import os
import struct
import sys
import zlib

SIZE = 512

FRAME_BLUE = (42, 88, 154)
BUTTON_BLUE = (26, 115, 185)
ACCENT_BLUE = (0x1A, 0x4E, 0xC2)
WHITE = (255, 255, 255)
ROW_BLUE = (163, 197, 228)
SHADOW = (12, 30, 70)

CARD_HALF_W = 140
CARD_HALF_H = 170
CARD_RADIUS = 34
CARD_REACH = math.hypot(CARD_HALF_W, CARD_HALF_H) + 40

# Back to front: centre, turn in degrees, fill.
CARDS = [
    ((284, 224), 12, FRAME_BLUE),
    ((254, 250), 4, BUTTON_BLUE),
    ((214, 284), -6, WHITE),
]

# The front card's tree: (indent level, row length), rows 42 pixels apart.
ROWS = [(0, 176), (1, 132), (1, 104), (0, 150), (1, 118)]
ROW_TOP = -40
ROW_STEP = 42
ROW_HALF_H = 8
DOT_RADIUS = 9
BAND_BOTTOM = -92


def rounded_box(x, y, half_w, half_h, radius):
    """Signed distance from (x, y) to a rounded rectangle centred at 0."""
    qx = abs(x) - (half_w - radius)
    qy = abs(y) - (half_h - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - radius


def coverage(distance):
    """The part of a pixel a shape covers, from its distance at the centre."""
    return min(max(0.5 - distance, 0.0), 1.0)


def smoothstep(edge0, edge1, x):
    t = min(max((x - edge0) / (edge1 - edge0), 0.0), 1.0)
    return t * t * (3 - 2 * t)


def to_card(px, py, centre, degrees):
    """Pixel centre in the card's own co-ordinates (origin at its middle)."""
    angle = math.radians(degrees)
    dx = px - centre[0]
    dy = py - centre[1]
    c = math.cos(angle)
    s = math.sin(angle)
    return dx * c + dy * s, -dx * s + dy * c


def front_details(x, y):
    """Shapes on the front card, top first: (coverage, colour) pairs."""
    shapes = []
    band = coverage(y - BAND_BOTTOM)
    if band > 0:
        shapes.append((band, ACCENT_BLUE))
        title = coverage(rounded_box(x + 30, y + 130, 76, 9, 9))
        if title > 0:
            shapes.append((title * 0.92, WHITE))
    for index, (level, length) in enumerate(ROWS):
        row_y = ROW_TOP + index * ROW_STEP
        if abs(y - row_y) > 14:
            continue
        dot_x = -100 + level * 34
        dot = coverage(math.hypot(x - dot_x, y - row_y) - DOT_RADIUS)
        start = dot_x + 22
        half = length / 2
        row = coverage(rounded_box(x - (start + half), y - row_y, half, ROW_HALF_H, ROW_HALF_H))
        if row > 0:
            shapes.append((row, ROW_BLUE))
        if dot > 0:
            shapes.append((dot, ACCENT_BLUE))
    return shapes


def pixel(px, py):
    """Premultiplied RGBA of one pixel, painting back to front."""
    r = g = b = a = 0.0

    def over(alpha, colour):
        nonlocal r, g, b, a
        if alpha <= 0:
            return
        keep = 1.0 - alpha
        r = colour[0] * alpha + r * keep
        g = colour[1] * alpha + g * keep
        b = colour[2] * alpha + b * keep
        a = alpha + a * keep

    for number, (centre, degrees, fill) in enumerate(CARDS):
        if math.hypot(px - centre[0], py - centre[1]) > CARD_REACH:
            continue
        sx, sy = to_card(px, py - 10, centre, degrees)
        shadow = 1.0 - smoothstep(-16, 20, rounded_box(sx, sy, CARD_HALF_W, CARD_HALF_H, CARD_RADIUS))
        over(0.28 * shadow, SHADOW)
        x, y = to_card(px, py, centre, degrees)
        card = coverage(rounded_box(x, y, CARD_HALF_W, CARD_HALF_H, CARD_RADIUS))
        over(card, fill)
        if number == len(CARDS) - 1 and card > 0:
            for alpha, colour in front_details(x, y):
                over(alpha * card, colour)
    return r, g, b, a


def straight(r, g, b, a):
    if a <= 0:
        return 0, 0, 0, 0
    return (round(r / a), round(g / a), round(b / a), round(a * 255))


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "vorlen.png")
    rows = []
    for py in range(SIZE):
        row = bytearray()
        for px in range(SIZE):
            row.extend(straight(*pixel(px + 0.5, py + 0.5)))
        rows.append(bytes(row))
    with open(output, "wb") as out:
        out.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
