#!/usr/bin/python3
"""Draws the music player's icon (a note on a teal disc, 32 x 32 and
16 x 16, 32-bit with alpha) and writes it as Vantu.ico beside this script.
Run it again after a change of the drawing; the .ico file is kept in the
repository."""
import math
import os
import struct

TEAL = (0x3A, 0xD1, 0xC5)
DARK = (0x0A, 0x0F, 0x14)
WHITE = (0xE6, 0xED, 0xF3)


def pixel(x, y, size):
    """(r, g, b, a) at the pixel's centre, y from the top."""
    s = size / 32.0
    cx, cy = (x + 0.5) / s, (y + 0.5) / s  # in 32-pixel units
    d = math.hypot(cx - 16, cy - 16)
    if d > 15.5:
        return (0, 0, 0, 0)
    colour = TEAL if d > 13.5 else DARK
    # The note: a round head and a stem with a flag.
    if math.hypot((cx - 13) / 1.25, cy - 22) <= 3.2:
        colour = WHITE
    if 15 <= cx <= 17 and 8 <= cy <= 22:
        colour = WHITE
    if 17 <= cx <= 22 and 8 <= cy <= 8 + (cx - 15) * 0.9:
        colour = WHITE
    return colour + (255,)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("<BBBB", b, g, r, a) for r, g, b, a in (pixel(x, y, size) for x in range(size))))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = [32, 16]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Vantu.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
