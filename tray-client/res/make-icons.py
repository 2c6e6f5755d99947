#!/usr/bin/python3
"""Draws the tray client's icons (16 x 16, 16 colours) and writes them as
.ico files beside this script: LOGON and LOGOUT (logged in / out), the
seven frames ANIM1..ANIM7 of the sync animation, and DEVICEON and DEVICEOFF
("My PC": the player connected or not). Run it again after a change
of the drawing; the .ico files are kept in the repository."""
import math
import os
import struct

# The 16-colour palette of the classic system colours (BGR0 on disk).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_GRAY, GRAY, WHITE, GREEN, LIME, NAVY, BLUE, YELLOW, RED = 0, 8, 7, 15, 2, 10, 4, 12, 11, 9

# A note glyph: a stem with a flag over a round head.
NOTE = ["......##", "......###", "......#.##", "......#..#", "......#", "......#", "...####", "..#####",
        "..#####", "...###"]


def disc(fill, ring):
    pixels = [[None] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            d = math.hypot(x - 7.5, y - 7.5)
            if d <= 7.6:
                pixels[y][x] = ring if d > 6.4 else fill
    return pixels


def note(pixels, colour):
    for dy, row in enumerate(NOTE):
        for dx, c in enumerate(row):
            if c == "#":
                pixels[3 + dy][2 + dx] = colour
    return pixels


def frame(step):
    pixels = note(disc(NAVY, BLUE), WHITE)
    # A bright arc that walks round the ring, one seventh a frame.
    for y in range(16):
        for x in range(16):
            d = math.hypot(x - 7.5, y - 7.5)
            if 6.0 < d <= 7.6:
                angle = (math.atan2(y - 7.5, x - 7.5) + math.pi / 2) % (2 * math.pi)
                if int(angle / (2 * math.pi) * 7) == step:
                    pixels[y][x] = YELLOW
    return pixels


def player(connected):
    """A small player seen from the front: body, display, one round key."""
    pixels = [[None] * 16 for _ in range(16)]
    body = GRAY if connected else DARK_GRAY
    for y in range(1, 15):
        for x in range(4, 12):
            edge = y in (1, 14) or x in (4, 11)
            pixels[y][x] = BLACK if edge else body
    for y in range(3, 8):
        for x in range(6, 10):
            pixels[y][x] = LIME if connected else BLACK
    for y in range(10, 13):
        for x in range(6, 10):
            if math.hypot(x - 7.5, y - 11) <= 1.6:
                pixels[y][x] = NAVY if connected else GRAY
    if not connected:
        for i in range(12):
            for x in (2 + i, 3 + i):
                if x < 16:
                    pixels[2 + i][x] = RED
    return pixels


def ico(pixels):
    xor = b""
    mask = b""
    for y in reversed(range(16)):
        row = 0
        nibbles = [(p if p is not None else 0) for p in pixels[y]]
        xor += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, 16, 2))
        for x in range(16):
            if pixels[y][x] is None:
                row |= 1 << (15 - x)
        mask += struct.pack(">H", row) + b"\0\0"
    header = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    image = header + palette + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 16, 0, 1, 4, len(image), 22) + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icons = {"logon": note(disc(GREEN, LIME), WHITE), "logout": note(disc(DARK_GRAY, GRAY), WHITE)}
    for i in range(7):
        icons["anim%d" % (i + 1)] = frame(i)
    icons["deviceon"] = player(True)
    icons["deviceoff"] = player(False)
    for name, pixels in icons.items():
        with open(os.path.join(here, name + ".ico"), "wb") as f:
            f.write(ico(pixels))


if __name__ == "__main__":
    main()
