#!/usr/bin/env python3
"""Writes the program's icon (vorlen.ico) and the card tree's image strip
(card_tree.bmp) beside this script. Plain Python, no imaging library:

    python3 resources/make_images.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

FRAME_BLUE = (42, 88, 154)
LIGHT_BLUE = (62, 129, 201)
PAPER = (252, 252, 252)
LINE = (150, 170, 195)


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether point (x, y) lies in the rounded rectangle."""
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def icon_colour(u, v):
    """The icon in unit co-ordinates: a blue tile holding a white card with
    a folded corner and three lines of text. None is transparent."""
    if not inside_rounded(u, v, 0.02, 0.02, 0.98, 0.98, 0.18):
        return None
    # The card, with its top right corner folded.
    left, top, right, bottom, fold = 0.24, 0.16, 0.76, 0.84, 0.16
    if left <= u < right and top <= v < bottom:
        if u - (right - fold) > v - top:
            return FRAME_BLUE
        if u >= right - fold and v < top + fold:
            return LIGHT_BLUE
        for line_top in (0.42, 0.54, 0.66):
            if 0.32 <= u < 0.68 and line_top <= v < line_top + 0.05:
                return LINE
        return PAPER
    shade = 1.0 - 0.25 * v
    return tuple(int(c * shade + 40 * (1 - shade)) for c in LIGHT_BLUE)


def render_icon(size, samples=4):
    """BGRA rows, top first, averaged over samples x samples points a pixel."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = icon_colour((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = samples * samples
            if a:
                row.append((b // a, g // a, r // a, 255 * a // n))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_entry_image(size):
    """One icon image: BITMAPINFOHEADER (double height), BGRA bottom-up, AND mask."""
    rows = render_icon(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(channel for px in row for channel in px) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + pixels + mask


def write_icon(path, sizes=(16, 24, 32, 48)):
    images = [icon_entry_image(s) for s in sizes]
    offset = 6 + 16 * len(sizes)
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(directory + b"".join(images))


def card_pixel(x, y, selected):
    """A 16 x 16 card glyph; black (0, 0, 0) is the list's transparent colour."""
    if not (3 <= x <= 12 and 1 <= y <= 14):
        return (0, 0, 0)
    if x - 9 > y - 1:
        return (0, 0, 0)
    border = x in (3, 12) or y in (1, 14) or x - 9 == y - 1
    if border:
        return FRAME_BLUE if selected else (110, 130, 160)
    if x >= 9 and y <= 4:
        return LIGHT_BLUE
    if y in (6, 8, 10, 12) and 5 <= x <= 10:
        return FRAME_BLUE if selected else LINE
    return (255, 236, 160) if selected else PAPER


def write_strip(path):
    """A 32 x 16 24-bit bitmap: image 0 a card, image 1 the selected card."""
    width, height = 32, 16
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for y in reversed(range(height)):
        line = bytearray()
        for x in range(width):
            r, g, b = card_pixel(x % 16, y, x >= 16)
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += bytes(line)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    write_icon(os.path.join(HERE, "vorlen.ico"))
    write_strip(os.path.join(HERE, "card_tree.bmp"))
