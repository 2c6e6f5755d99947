#!/usr/bin/env python3
"""Draws the pictures of the DruskLirn skin as 24-bit BMP files.

    draw-images.py OUTPUT-FOLDER [--font FILE]

Every picture is drawn with ImageMagick's convert from the shapes below, in
one run of convert; the skin builder then puts them into DruskLirn.Mpt as
DruskLirn.skin describes. Labels use a Nanum font (fonts-nanum).
"""
import os
import subprocess
import sys

# --- Palette ---
BG_TOP, BG_BOTTOM = "#2b3344", "#1b202b"
EDGE, EDGE_LIGHT, EDGE_DARK = "#56627a", "#6c7a94", "#121620"
LCD, LCD_EDGE = "#0a0f14", "#3a4558"
ACCENT, ACCENT_DIM, ACCENT_DARK = "#3ad1c5", "#16302f", "#205060"
TEXT, TEXT_DIM = "#e6edf3", "#8c98ac"
FACE, FACE_PRESSED = "#323c4f", "#1a202a"

FONT = "/usr/share/fonts/truetype/nanum/NanumGothic.ttf"
BOLD = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf"

jobs = []  # (name, width, height, base, ops)


def picture(name, w, h, base, ops=()):
    jobs.append((name, w, h, base, list(ops)))


def rect(x0, y0, x1, y1, fill, stroke=None):
    return ["-fill", fill, "-stroke", stroke or "none", "-strokewidth", "1",
            "-draw", f"rectangle {x0},{y0} {x1},{y1}"]


def poly(points, fill):
    pts = " ".join(f"{x},{y}" for x, y in points)
    return ["-fill", fill, "-stroke", "none", "-draw", f"polygon {pts}"]


def line(x0, y0, x1, y1, color):
    return ["-fill", "none", "-stroke", color, "-strokewidth", "1", "-draw", f"line {x0},{y0} {x1},{y1}"]


def text(x, y, s, size, color, font=FONT, gravity=None):
    ops = ["-font", font, "-pointsize", str(size), "-fill", color, "-stroke", "none"]
    if gravity:
        ops += ["-gravity", gravity, "-annotate", f"+{x}+{y}", s, "+gravity"]
    else:
        ops += ["-annotate", f"+{x}+{y}", s]
    return ops


def bevel(w, h, pressed):
    top, bottom = (EDGE_DARK, EDGE_LIGHT) if pressed else (EDGE_LIGHT, EDGE_DARK)
    return (line(0, 0, w - 1, 0, top) + line(0, 0, 0, h - 1, top) +
            line(0, h - 1, w - 1, h - 1, bottom) + line(w - 1, 0, w - 1, h - 1, bottom))


def button(name, w, h, icon, label=None, size=8):
    """A bevelled button and its pressed look; `icon(dx, color)` draws the face."""
    for pressed in (False, True):
        d = 1 if pressed else 0
        color = ACCENT if pressed else TEXT
        ops = bevel(w, h, pressed)
        if icon:
            ops += icon(d, color)
        if label:
            ops += text(d, d, label, size, color, BOLD, "Center")
        picture(name + ("-pressed" if pressed else ""), w, h, FACE_PRESSED if pressed else FACE, ops)


def toggle(name, w, h, label, size=8):
    """Four looks: on, on pressed, off, off pressed; on shows a lit lamp."""
    for on in (True, False):
        for pressed in (False, True):
            d = 1 if pressed else 0
            lamp = ACCENT if on else ACCENT_DIM
            color = TEXT if on else TEXT_DIM
            ops = bevel(w, h, pressed) + rect(2 + d, 2 + d, 4 + d, h - 3 + d, lamp)
            ops += text(3 + d, d, label, size, color, BOLD, "Center")
            suffix = ("on" if on else "off") + ("-pressed" if pressed else "")
            picture(f"{name}-{suffix}", w, h, FACE_PRESSED if pressed else FACE, ops)


# --- Transport icons (23x18 buttons) ---
def tri_right(x, y, s, c):
    return poly([(x, y), (x, y + 2 * s), (x + s + 1, y + s)], c)


def tri_left(x, y, s, c):
    return poly([(x + s + 1, y), (x + s + 1, y + 2 * s), (x, y + s)], c)


def icon_prev(d, c):
    return rect(7 + d, 5 + d, 8 + d, 12 + d, c) + tri_left(9 + d, 5 + d, 4, c)


def icon_play(d, c):
    return tri_right(9 + d, 4 + d, 5, c)


def icon_pause(d, c):
    return rect(8 + d, 5 + d, 10 + d, 12 + d, c) + rect(13 + d, 5 + d, 15 + d, 12 + d, c)


def icon_stop(d, c):
    return rect(8 + d, 5 + d, 15 + d, 12 + d, c)


def icon_next(d, c):
    return tri_right(8 + d, 5 + d, 4, c) + rect(14 + d, 5 + d, 15 + d, 12 + d, c)


def icon_open(d, c):
    return poly([(11 + d, 3 + d), (17 + d, 9 + d), (5 + d, 9 + d)], c) + rect(5 + d, 11 + d, 17 + d, 12 + d, c)


def icon_menu(d, c):
    return rect(2 + d, 2 + d, 6 + d, 2 + d, c) + rect(2 + d, 4 + d, 6 + d, 4 + d, c) + rect(2 + d, 6 + d, 6 + d, 6 + d, c)


def icon_min(d, c):
    return rect(2 + d, 6 + d, 6 + d, 6 + d, c)


def icon_close(d, c):
    return line(2 + d, 2 + d, 6 + d, 6 + d, c) + line(6 + d, 2 + d, 2 + d, 6 + d, c)


def draw_title_bar(name, w, caption, bar="#222a38", stripe="#2f394b"):
    ops = rect(0, 0, w - 1, 13, bar) + line(0, 13, w - 1, 13, EDGE_DARK)
    ops += rect(16, 6, w - 40, 7, stripe)
    ops += rect(14, 2, 14 + 7 * len(caption) + 8, 11, bar)
    ops += text(18, 11, caption, 9, TEXT, BOLD)
    picture(name, w, 14, bar, ops)
    picture(name + "-focus", w, 14, bar, ops)


# The window style variants 1 and 2 of the equalizer and playlist windows
# differ from variant 0 by their title bars.
VARIANT_BARS = {1: ("#1d3340", "#2c5566"), 2: ("#3a2630", "#5c3a48")}


def window_background(name, w, h, extra):
    ops = ["-fill", "none", "-stroke", EDGE, "-draw", f"rectangle 0,0 {w - 1},{h - 1}"] + extra
    jobs.append((name, w, h, f"gradient:{BG_TOP}-{BG_BOTTOM}", ops))


def digits():
    # Seven segments in a 9x13 cell: a, b, c, d, e, f, g.
    seg = {
        "a": (1, 0, 7, 1), "b": (7, 2, 8, 5), "c": (7, 7, 8, 10), "d": (1, 11, 7, 12),
        "e": (0, 7, 1, 10), "f": (0, 2, 1, 5), "g": (1, 6, 7, 6),
    }
    lit = ["abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg", ""]
    for i, on in enumerate(lit):
        ops = []
        for s, (x0, y0, x1, y1) in seg.items():
            ops += rect(x0, y0, x1, y1, ACCENT if s in on else ACCENT_DIM)
        picture("digit-blank" if i == 10 else f"digit-{i}", 9, 13, LCD, ops)


def main_window():
    extra = []
    extra += rect(8, 18, 124, 56, LCD, LCD_EDGE)
    extra += rect(34, 27, 35, 28, ACCENT) + rect(34, 32, 35, 33, ACCENT)
    extra += text(100, 34, "kbps", 7, TEXT_DIM) + text(94, 50, "kHz", 7, TEXT_DIM)
    extra += rect(128, 18, 267, 35, LCD, LCD_EDGE)
    extra += text(8, 113, "DruskLirn", 7, EDGE)
    window_background("main-bg", 275, 116, extra)
    draw_title_bar("main-title", 275, "Qortan Vantu")
    button("prev", 23, 18, icon_prev)
    button("play", 23, 18, icon_play)
    button("pause", 23, 18, icon_pause)
    button("stop", 23, 18, icon_stop)
    button("next", 23, 18, icon_next)
    button("open", 22, 16, icon_open)
    button("menu", 9, 9, icon_menu)
    button("minimise", 9, 9, icon_min)
    button("close", 9, 9, icon_close)
    toggle("shuffle", 36, 14, "셔플")
    toggle("repeat", 36, 14, "반복")
    toggle("web", 35, 14, "WEB", 7)
    toggle("eq", 15, 12, "EQ", 6)
    toggle("pl", 15, 12, "PL", 6)
    # Indicators: stopped / playing; the second lamp.
    picture("state-stopped", 9, 9, LCD, rect(2, 2, 6, 6, ACCENT_DIM))
    picture("state-playing", 9, 9, LCD, tri_right(2, 1, 3, ACCENT))
    picture("lamp-off", 9, 9, LCD, rect(3, 3, 5, 5, ACCENT_DIM))
    picture("lamp-on", 9, 9, LCD, rect(3, 3, 5, 5, ACCENT))
    # Position slider: track, thumb and the pressed thumb.
    picture("seek-track", 259, 10, LCD, rect(0, 3, 258, 6, "#151c26") + line(0, 7, 258, 7, EDGE))
    for pressed in (False, True):
        c = ACCENT if pressed else "#8593ab"
        ops = bevel(29, 10, pressed) + rect(12, 3, 16, 6, c)
        picture("seek-thumb" + ("-pressed" if pressed else ""), 29, 10, FACE_PRESSED if pressed else FACE, ops)
    # Level sliders: 28 frames of the volume bar, one of the balance track.
    for k in range(28):
        level = (27 - k) / 27
        width = int(round(level * 58))
        ops = rect(0, 3, 59, 6, "#151c26")
        if width > 0:
            g = 0x50 + int(level * (0xD1 - 0x50))
            ops += rect(1, 4, width, 5, f"#3a{g:02x}c5")
        picture(f"volume-{k:02d}", 60, 10, BG_TOP, ops)
    picture("balance-track", 36, 10, BG_TOP, rect(0, 3, 35, 6, "#151c26") + rect(17, 2, 18, 7, EDGE))
    for pressed in (False, True):
        c = ACCENT if pressed else "#a6b1c4"
        picture("knob" + ("-pressed" if pressed else ""), 12, 10, FACE_PRESSED if pressed else FACE,
                bevel(12, 10, pressed) + rect(5, 2, 6, 7, c))


def equalizer_window():
    extra = rect(8, 34, 267, 104, "#161b25", EDGE_DARK)
    extra += line(40, 38, 40, 101, EDGE_DARK)
    labels = ["60", "170", "310", "600", "1K", "3K", "6K", "12K", "14K", "16K"]
    extra += text(10, 114, "PRE", 7, TEXT_DIM)
    for i, label in enumerate(labels):
        x = 62 + 20 * i
        extra += text(x - 2, 114, label, 7, TEXT_DIM)
    extra += line(44, 69, 263, 69, "#242c3a")
    window_background("eq-bg", 275, 116, extra)
    draw_title_bar("eq-title", 275, "이퀄라이저")
    for variant, (bar, stripe) in VARIANT_BARS.items():
        draw_title_bar(f"eq-title-{variant}", 275, "이퀄라이저", bar, stripe)
    toggle("eq-on", 26, 12, "ON", 7)
    toggle("eq-auto", 32, 12, "AUTO", 7)
    button("eq-reset", 40, 12, None, "초기화", 8)
    button("eq-presets", 44, 12, None, "프리셋", 8)
    for k in range(28):
        level = k / 27
        height = int(round(level * 61))
        ops = rect(4, 0, 6, 62, "#0d1117")
        if height > 0:
            r = 0x3a + int(level * (0xe0 - 0x3a))
            ops += rect(5, 62 - height, 5, 61, f"#{r:02x}d1c5")
        picture(f"band-{k:02d}", 11, 63, "#161b25", ops)
    for pressed in (False, True):
        c = ACCENT if pressed else "#a6b1c4"
        picture("band-knob" + ("-pressed" if pressed else ""), 11, 11, FACE_PRESSED if pressed else FACE,
                bevel(11, 11, pressed) + rect(2, 5, 8, 5, c))


def frame_pieces(prefix, caption, height=116):
    """The eleven pieces of a resizable window's frame."""
    picture(f"{prefix}-top-left", 25, 20, BG_TOP, rect(0, 0, 24, 19, BG_TOP) + line(0, 0, 24, 0, EDGE) +
            line(0, 0, 0, 19, EDGE) + rect(4, 8, 24, 9, "#2f394b"))
    picture(f"{prefix}-top-edge", 8, 20, BG_TOP, line(0, 0, 7, 0, EDGE) + rect(0, 8, 7, 9, "#2f394b"))
    picture(f"{prefix}-title", 100, 20, BG_TOP, line(0, 0, 99, 0, EDGE) + text(0, 1, caption, 9, TEXT, BOLD, "Center"))
    picture(f"{prefix}-top-right", 25, 20, BG_TOP, line(0, 0, 24, 0, EDGE) + line(24, 0, 24, 19, EDGE) +
            rect(0, 8, 9, 9, "#2f394b"))
    picture(f"{prefix}-left", 12, 8, BG_TOP, line(0, 0, 0, 7, EDGE) + line(11, 0, 11, 7, EDGE_DARK))
    picture(f"{prefix}-right", 20, 8, BG_TOP, line(19, 0, 19, 7, EDGE) + line(0, 0, 0, 7, EDGE_DARK))
    picture(f"{prefix}-bottom-left", 125, 38, BG_BOTTOM, line(0, 0, 0, 37, EDGE) + line(0, 37, 124, 37, EDGE) +
            line(0, 0, 124, 0, EDGE_DARK))
    picture(f"{prefix}-bottom-edge", 8, 38, BG_BOTTOM, line(0, 37, 7, 37, EDGE) + line(0, 0, 7, 0, EDGE_DARK))
    picture(f"{prefix}-bottom-right", 150, 38, BG_BOTTOM, line(149, 0, 149, 37, EDGE) + line(0, 37, 149, 37, EDGE) +
            line(0, 0, 149, 0, EDGE_DARK) + text(6, 24, "DruskLirn", 7, EDGE))
    picture(f"{prefix}-centre", 8, 8, LCD)
    # The whole window at its least size (its background element).
    window_background(f"{prefix}-bg", 275, height, rect(12, 20, 254, height - 39, LCD))


def playlist_window():
    # The playlist opens tall enough for a list (its least size too).
    frame_pieces("pl", "재생 목록", 232)
    for variant, (bar, stripe) in VARIANT_BARS.items():
        picture(f"pl-title-{variant}", 100, 20, bar, line(0, 0, 99, 0, EDGE) + rect(0, 8, 99, 9, stripe) +
                text(0, 1, "재생 목록", 9, TEXT, BOLD, "Center"))
    frame_pieces("web", "웹 브라우저")
    # Scroll bar: background, arrows, thumb caps and middle; unused slots 1x1.
    picture("scroll-back", 8, 8, "#10151c")
    picture("scroll-up", 8, 8, FACE, bevel(8, 8, False) + poly([(4, 2), (6, 5), (1, 5)], TEXT))
    picture("scroll-down", 8, 8, FACE, bevel(8, 8, False) + poly([(1, 2), (6, 2), (4, 5)], TEXT))
    picture("scroll-cap-top", 8, 3, "#4a566b", line(0, 0, 7, 0, EDGE_LIGHT))
    picture("scroll-cap-bottom", 8, 3, "#4a566b", line(0, 2, 7, 2, EDGE_DARK))
    picture("scroll-middle", 8, 4, "#4a566b", line(3, 0, 3, 3, "#5d6b84"))
    picture("unused", 1, 1, "#000000")
    # Menu buttons and their items.
    button("menu-add", 22, 18, lambda d, c: rect(10 + d, 5 + d, 11 + d, 12 + d, c) + rect(7 + d, 8 + d, 14 + d, 9 + d, c))
    button("menu-remove", 22, 18, lambda d, c: rect(7 + d, 8 + d, 14 + d, 9 + d, c))
    button("menu-select", 22, 18, lambda d, c: line(7 + d, 9 + d, 9 + d, 12 + d, c) + line(9 + d, 12 + d, 14 + d, 5 + d, c))
    button("menu-list", 22, 18, lambda d, c: rect(7 + d, 5 + d, 14 + d, 5 + d, c) + rect(7 + d, 8 + d, 14 + d, 8 + d, c) +
           rect(7 + d, 11 + d, 14 + d, 11 + d, c))
    items = {"add-file": "FILE", "clear": "CLR", "remove-sel": "DEL", "invert": "INV", "none": "NONE",
             "all": "ALL", "new": "NEW", "save": "SAVE", "load": "OPEN"}
    for name, label in items.items():
        picture(f"item-{name}", 22, 18, FACE, bevel(22, 18, False) + text(0, 0, label, 7, TEXT, BOLD, "Center"))
        picture(f"item-{name}-hl", 22, 18, ACCENT_DARK, bevel(22, 18, True) +
                text(0, 0, label, 7, ACCENT, BOLD, "Center"))
    picture("menu-side", 3, 72, ACCENT_DARK, line(1, 0, 1, 71, ACCENT))
    # Resize grip.
    for pressed in (False, True):
        c = ACCENT if pressed else EDGE_LIGHT
        picture("grip" + ("-pressed" if pressed else ""), 20, 18, BG_BOTTOM,
                line(18, 6, 8, 16, c) + line(18, 10, 12, 16, c) + line(18, 14, 16, 16, c))


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    out = args[0]
    os.makedirs(out, exist_ok=True)
    digits()
    main_window()
    equalizer_window()
    playlist_window()
    cmd = ["convert"]
    for name, w, h, base, ops in jobs:
        source = base if base.startswith("gradient:") else f"xc:{base}"
        cmd += ["(", "-size", f"{w}x{h}", source, "+antialias"] if name.startswith("digit") else \
               ["(", "-size", f"{w}x{h}", source]
        cmd += ops
        cmd += ["-alpha", "off", "-type", "TrueColor", "-write", f"BMP3:{os.path.join(out, name + '.bmp')}",
                "+delete", ")"]
    cmd += ["-size", "1x1", "xc:black", "null:"]
    subprocess.run(cmd, check=True)


if __name__ == "__main__":
    main()
