#!/usr/bin/python3
"""Draws the transfer manager's pictures (16 x 16, 32-bit with alpha) and
writes them as .ico files beside this script: the seven command pictures in
their normal and lit states, play and stop, the window's close and minimise
pictures (normal and pressed) and the program's icon. Run it again after a
change of the drawing; the .ico files are kept in the repository."""
import math
import os
import struct

SIZE = 16

# Colours (r, g, b).
FACE = (214, 222, 236)
FACE_EDGE = (120, 136, 170)
INK = (28, 52, 112)
LIT_FACE = (255, 176, 64)
LIT_EDGE = (196, 104, 0)
LIT_INK = (255, 255, 255)
RED = (196, 32, 32)
GREEN = (24, 140, 48)


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


def arrow(right):
    """A thick horizontal arrow."""
    pts = []
    for x in range(3, 10):
        for y in (7, 8):
            pts.append((x, y))
    for i in range(5):
        for y in range(7 - i, 9 + i):
            pts.append((13 - i, y) if True else None)
    if not right:
        pts = [(15 - x, y) for x, y in pts]
    return pts


def cross(cx, cy, r):
    pts = []
    for i in range(-r, r + 1):
        for w in (0, 1):
            pts += [(cx + i + w, cy + i), (cx + i + w, cy - i)]
    return pts


def disk():
    pts = [(x, y) for x in range(4, 12) for y in (4, 11)] + [(x, y) for y in range(4, 12) for x in (4, 11)]
    pts += [(x, y) for x in range(6, 10) for y in range(4, 7)]
    pts += [(x, y) for x in range(6, 10) for y in range(9, 11)]
    return pts


def circle_arrow():
    pts = []
    for a in range(0, 300, 8):
        t = math.radians(a)
        pts.append((round(7.5 + 4.5 * math.cos(t)), round(7.5 - 4.5 * math.sin(t))))
    pts += [(11, 2), (11, 3), (12, 3), (12, 4), (10, 3), (13, 4)]
    return pts


def power():
    pts = []
    for a in range(120, 420, 8):
        t = math.radians(a)
        pts.append((round(7.5 + 4.5 * math.cos(t)), round(8 - 4.5 * math.sin(t))))
    pts += [(7, y) for y in range(2, 8)] + [(8, y) for y in range(2, 8)]
    return pts


def triangle():
    return [(x, y) for x in range(5, 12) for y in range(4, 12) if abs(y - 7.5) <= (11.5 - x) * 0.6]


def square():
    return [(x, y) for x in range(5, 11) for y in range(5, 11)]


def bar():
    return [(x, y) for x in range(4, 12) for y in (10, 11)]


def command(glyph, lit, ink=None):
    face, edge, colour = (LIT_FACE, LIT_EDGE, LIT_INK) if lit else (FACE, FACE_EDGE, ink or INK)
    return put(button(face, edge), glyph, colour)


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
    glyphs = {
        "cmd_download": arrow(True),
        "cmd_upload": arrow(False),
        "cmd_erase": cross(7, 7, 4),
        "cmd_eraseall": cross(4, 7, 2) + cross(10, 7, 2),
        "cmd_format": disk(),
        "cmd_refresh": circle_arrow(),
        "cmd_quit": power(),
    }
    pictures = {}
    for name, glyph in glyphs.items():
        pictures[name] = command(glyph, False)
        pictures[name + "_on"] = command(glyph, True)
    pictures["cmd_play"] = command(triangle(), False, GREEN)
    pictures["cmd_stop"] = command(square(), False, RED)
    pictures["wnd_close"] = command(cross(7, 7, 3), False)
    pictures["wnd_close_down"] = command(cross(7, 7, 3), True)
    pictures["wnd_min"] = command(bar(), False)
    pictures["wnd_min_down"] = command(bar(), True)
    pictures["halvern"] = program_icon()
    for name, pixels in pictures.items():
        with open(os.path.join(here, name + ".ico"), "wb") as f:
            f.write(ico(pixels))


if __name__ == "__main__":
    main()
