#!/usr/bin/python3
"""Draws the transfer manager's icons (16 x 16, 32-bit with alpha) and
writes them as .ico files beside this script: the program's icon and the
small close and minimise icons that stand in for the window's own close and
minimise pictures when their files are missing (the window's pictures are
drawn at build time by draw-pictures.py). Run it again after a change of
the drawing; the .ico files are kept in the repository."""
import os
import struct

SIZE = 16

# Colours (r, g, b).
FACE = (214, 222, 236)
FACE_EDGE = (120, 136, 170)
INK = (28, 52, 112)


def blank():
    return [[None] * SIZE for _ in range(SIZE)]


def button(face, edge):
    """A rounded square face with a darker rim."""
    p = blank()
    for y in range(SIZE):
        for x in range(SIZE):
            dx = max(0, max(1 - x, x - 14))
            dy = max(0, max(1 - y, y - 14))
            if dx + dy > 1:
                continue
            rim = x in (0, 15) or y in (0, 15) or (dx + dy == 1)
            p[y][x] = edge if rim else face
    return p


def put(p, points, colour):
    for x, y in points:
        if 0 <= x < SIZE and 0 <= y < SIZE:
            p[y][x] = colour
    return p


def cross(cx, cy, r):
    pts = []
    for i in range(-r, r + 1):
        for w in (0, 1):
            pts += [(cx + i + w, cy + i), (cx + i + w, cy - i)]
    return pts


def bar():
    return [(x, y) for x in range(4, 12) for y in (10, 11)]


def command(glyph):
    return put(button(FACE, FACE_EDGE), glyph, INK)


def program_icon():
    p = blank()
    # A small player: a rounded body with a screen and a wheel.
    for y in range(1, 15):
        for x in range(4, 12):
            p[y][x] = INK
    for y in range(3, 7):
        for x in range(5, 11):
            p[y][x] = (170, 220, 255)
    for y in range(9, 13):
        for x in range(6, 10):
            p[y][x] = FACE
    return p


def ico(pixels):
    """One 16 x 16 image, 32 bits a pixel (BGRA), with its AND mask."""
    xor = b""
    mask = b""
    for y in reversed(range(SIZE)):
        row = 0
        for x in range(SIZE):
            c = pixels[y][x]
            xor += bytes((c[2], c[1], c[0], 255)) if c else b"\0\0\0\0"
            if c is None:
                row |= 1 << (15 - x)
        mask += struct.pack(">H", row) + b"\0\0"
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22) + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pictures = {}
    pictures["wnd_close"] = command(cross(7, 7, 3))
    pictures["wnd_min"] = command(bar())
    pictures["halvern"] = program_icon()
    for name, pixels in pictures.items():
        with open(os.path.join(here, name + ".ico"), "wb") as f:
            f.write(ico(pixels))


if __name__ == "__main__":
    main()
