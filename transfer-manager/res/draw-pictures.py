#!/usr/bin/env python3
"""Draws the transfer manager's window pictures into a folder (the build
puts them beside Halvern.exe).

    draw-pictures.py OUTPUT-FOLDER

JPEG pictures, drawn with ImageMagick's convert at the pixel sizes of the
controls that show them (15 twips a pixel):

  halvern-back.jpg     736 x 500  the window: frame, title band, the command
                                  column, the area titles, the memory words
  button copy.jpg      72 x 154   the seven command pictures, top to bottom
                                  (download, upload, erase, erase all,
                                  format, refresh, quit), 22 rows each
  button-a copy.jpg    72 x 154   the same seven, lit (under the pointer)
  play.jpg, stop.jpg   86 x 18    the preview's play and stop pictures
  close.jpg, close-down.jpg, minimize.jpg, minimize-down.jpg
                       16 x 14    the window's own close and minimise
                                  pictures and their pressed looks

and the pointer over the pictures, halvern.cur (32 x 32, 32-bit with an
alpha channel and its mask, hot spot on the finger tip). Words use a Nanum
font (fonts-nanum).
"""
import os
import struct
import subprocess
import sys

# --- Palette ---
WHITE = "#ffffff"
NAVY, NAVY_DARK = "#23406e", "#162a4a"
BLUE, BLUE_DARK = "#2f6bc0", "#1c4a8c"
BAND, BAND_EDGE = "#dfe8f5", "#9fb4d6"
COLUMN, COLUMN_EDGE = "#eef3fa", "#b9c9e2"
WELL = "#dde6f3"
FACE, FACE_EDGE = "#f7f9fd", "#8aa4cc"
INK, INK_DIM = "#1f3560", "#5d6f8f"

FONT = "/usr/share/fonts/truetype/nanum/NanumGothic.ttf"
BOLD = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf"

# The command pictures, top to bottom, and where the window shows them
# (left, top in pixels).
COMMANDS = ["Download", "Upload", "Erase", "Erase All", "Format", "Refresh", "Quit"]
COMMAND_TOPS = [56, 124, 191, 257, 324, 392, 458]
COMMAND_LEFTS = [25, 24, 25, 25, 25, 24, 26]
BUTTON_W, BUTTON_H = 72, 22


def rect(x0, y0, x1, y1, fill, stroke=None, width=1):
    return ["-fill", fill, "-stroke", stroke or "none", "-strokewidth", str(width),
            "-draw", f"rectangle {x0},{y0} {x1},{y1}"]


def rounded(x0, y0, x1, y1, r, fill, stroke=None, width=1):
    return ["-fill", fill, "-stroke", stroke or "none", "-strokewidth", str(width),
            "-draw", f"roundrectangle {x0},{y0} {x1},{y1} {r},{r}"]


def line(x0, y0, x1, y1, color, width=1):
    return ["-fill", "none", "-stroke", color, "-strokewidth", str(width),
            "-draw", f"line {x0},{y0} {x1},{y1}"]


def poly(points, fill):
    pts = " ".join(f"{x},{y}" for x, y in points)
    return ["-fill", fill, "-stroke", "none", "-draw", f"polygon {pts}"]


def text(x, y, s, size, color, font=BOLD, gravity=None):
    """Text with its baseline at y (or placed by gravity, offset x, y)."""
    ops = ["-font", font, "-pointsize", str(size), "-fill", color, "-stroke", "none"]
    if gravity:
        return ops + ["-gravity", gravity, "-annotate", f"+{x}+{y}", s, "+gravity"]
    return ops + ["-annotate", f"+{x}+{y}", s]


def convert(out, w, h, base, ops, fmt="jpg"):
    args = ["convert", "-size", f"{w}x{h}", f"xc:{base}"] + ops
    if fmt == "jpg":
        # Full colour resolution: the words stay sharp.
        args += ["-sampling-factor", "1x1", "-quality", "95"]
    subprocess.run(args + [out], check=True)


# --- The window's background ---
W, H = 736, 500


def background(out):
    ops = []
    # Title band with the program's mark and name.
    ops += rect(0, 0, W - 1, 22, BAND)
    ops += line(0, 23, W - 1, 23, NAVY)
    ops += rounded(8, 4, 23, 19, 3, BLUE, BLUE_DARK)
    ops += poly([(13, 8), (13, 16), (19, 12)], WHITE)
    ops += text(30, 16, "Mp3 File Transfer Manager", 12, NAVY)
    # The command column.
    ops += rounded(6, 25, 118, 493, 6, COLUMN, COLUMN_EDGE)
    for top, left in zip(COMMAND_TOPS, COMMAND_LEFTS):
        ops += rounded(left - 4, top - 4, left + BUTTON_W + 3, top + BUTTON_H + 3, 4, WELL)
    ops += line(14, 47, 110, 47, COLUMN_EDGE)
    # The PC side (folder tree, files) and the player side (medium, files).
    ops += text(130, 60, "My PC", 14, NAVY)
    ops += text(184, 60, "folders and MP3 files", 10, INK_DIM, FONT)
    ops += line(126, 66, 419, 66, BAND_EDGE)
    ops += text(W - 724, 43, "Player", 14, NAVY, BOLD, "NorthEast")
    ops += line(428, 66, 729, 66, BAND_EDGE)
    ops += line(424, 70, 424, 455, BAND_EDGE)
    # Preview and memory rows.
    ops += text(128, 454, "Preview", 9, INK_DIM, FONT)
    ops += line(126, 463, 729, 463, BAND_EDGE)
    ops += text(W - 1 - 191, 471, "Total :", 11, INK, BOLD, "NorthEast")
    ops += text(W - 1 - 412, 472, "Available :", 11, INK, BOLD, "NorthEast")
    ops += text(W - 1 - 584, 471, "Used :", 11, INK, BOLD, "NorthEast")
    # The frame.
    ops += ["-fill", "none", "-stroke", NAVY, "-strokewidth", "1", "-draw", f"rectangle 0,0 {W - 1},{H - 1}"]
    ops += ["-fill", "none", "-stroke", BAND_EDGE, "-strokewidth", "1", "-draw", f"rectangle 1,1 {W - 2},{H - 2}"]
    convert(out, W, H, WHITE, ops)


# --- Command pictures: one strip of seven, normal or lit ---
def command_strip(out, lit):
    ops = []
    face, edge, ink = (BLUE, BLUE_DARK, WHITE) if lit else (FACE, FACE_EDGE, INK)
    for i, word in enumerate(COMMANDS):
        y = i * BUTTON_H
        ops += rect(0, y, BUTTON_W - 1, y + BUTTON_H - 1, WELL)
        ops += rounded(0, y, BUTTON_W - 1, y + BUTTON_H - 1, 4, face, edge)
        if not lit:
            ops += line(3, y + 1, BUTTON_W - 4, y + 1, WHITE)
        ops += ["-font", BOLD, "-pointsize", "11", "-fill", ink, "-stroke", "none",
                "-gravity", "North", "-annotate", f"+0+{y + 4}", word, "+gravity"]
    convert(out, BUTTON_W, BUTTON_H * len(COMMANDS), WELL, ops)


# --- Play and stop ---
def preview_button(out, word, icon):
    w, h = 86, 18
    ops = rect(0, 0, w - 1, h - 1, WHITE)
    ops += rounded(0, 0, w - 1, h - 1, 8, FACE, FACE_EDGE)
    ops += icon
    ops += text(34, 13, word, 11, INK)
    convert(out, w, h, WHITE, ops)


# --- Close and minimise ---
def window_button(out, glyph, pressed):
    w, h = 16, 14
    d = 1 if pressed else 0
    ops = rect(0, 0, w - 1, h - 1, NAVY_DARK if pressed else NAVY)
    ops += line(0, 0, w - 1, 0, NAVY_DARK if pressed else "#5a7bb0")
    ops += glyph(d)
    convert(out, w, h, BAND, ops)


def close_glyph(d):
    return line(4 + d, 3 + d, 11 + d, 10 + d, WHITE, 2) + line(11 + d, 3 + d, 4 + d, 10 + d, WHITE, 2)


def minimize_glyph(d):
    return rect(4 + d, 9 + d, 11 + d, 10 + d, WHITE)


# --- The pointer: a hand, its finger tip the hot spot ---
def pointer(out):
    size = 32
    outline, fill = NAVY_DARK, WHITE
    shapes = [
        "roundrectangle 9,1 14,17 2,2",    # the pointing finger
        "roundrectangle 13,10 18,19 2,2",  # folded fingers
        "roundrectangle 17,11 22,20 2,2",
        "roundrectangle 21,12 26,22 2,2",
        "roundrectangle 8,14 26,28 4,4",   # palm
        "polygon 2,15 5,13 10,18 10,24 6,23",  # thumb
    ]
    ops = []
    # Outline first, then every shape filled over it: inner edges vanish.
    for draw in shapes:
        ops += ["-fill", outline, "-stroke", outline, "-strokewidth", "2", "-draw", draw]
    for draw in shapes:
        ops += ["-fill", fill, "-stroke", "none", "-draw", draw]
    ops += line(14, 19, 14, 22, "#9fb4d6") + line(18, 20, 18, 23, "#9fb4d6") + line(22, 21, 22, 24, "#9fb4d6")
    raw = subprocess.run(["convert", "-size", f"{size}x{size}", "xc:none", "+antialias"] + ops +
                         ["-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    assert len(raw) == size * size * 4
    write_cursor(out, size, raw, hotspot=(11, 1))


def write_cursor(out, size, rgba, hotspot):
    """A .cur file of one 32-bit image: BITMAPINFOHEADER, BGRA rows bottom
    up, then the 1-bit mask (set where the picture is transparent)."""
    xor = bytearray()
    mask = bytearray()
    row_bytes = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = bytearray(row_bytes)
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(header + entry + image)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    p = lambda name: os.path.join(folder, name)
    background(p("halvern-back.jpg"))
    command_strip(p("button copy.jpg"), lit=False)
    command_strip(p("button-a copy.jpg"), lit=True)
    preview_button(p("play.jpg"), "Play", poly([(18, 4), (18, 13), (26, 8.5)], BLUE))
    preview_button(p("stop.jpg"), "Stop", rect(18, 5, 25, 12, BLUE))
    for name, glyph in (("close", close_glyph), ("minimize", minimize_glyph)):
        window_button(p(f"{name}.jpg"), glyph, False)
        window_button(p(f"{name}-down.jpg"), glyph, True)
    pointer(p("halvern.cur"))


if __name__ == "__main__":
    main()
