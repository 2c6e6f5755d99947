"""The GUI layer's showcase program on a Wine desktop of its own (Xvfb):
waits for its captionless custom-drawn window, saves a screenshot as a test
artifact and checks pixels of the face that the program draws from its
pictures and fills, and of its frameless form with a background picture and
a transparent label whose caption got shorter, then closes it.

  gui_desktop_wine_test.py --program gui-showcase.exe --driver ui-driver.exe
                           --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import subprocess
import sys
import time

# Where the window stands and what its face holds there (see GuiShowcase.cpp).
LEFT, TOP, WIDTH, HEIGHT = 200, 150, 275, 116
CAPTION = "GUI 스킨 창"


def pixel(path, x, y):
    # ImageMagick of scripts/setup (a "convert" earlier on PATH may be another).
    out = subprocess.run(["/usr/bin/convert", path, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True, timeout=60).stdout
    # A comment line, then "0,0: (r,g,b)  #RRGGBB  srgb(...)".
    hexpart = out.strip().splitlines()[-1].split("#")[1][:6]
    return tuple(int(hexpart[i:i + 2], 16) for i in (0, 2, 4))


def face_picture(x, y):
    return (x * 255 // WIDTH, y * 255 // HEIGHT, 0x40)


# The frameless designed form (see GuiShowcase.cpp): its client area on the
# screen, its background picture, and its label's box.
D_LEFT, D_TOP, D_WIDTH, D_HEIGHT = 500, 20, 240, 100
D_PICTURE_WIDTH, D_PICTURE_HEIGHT = 200, 80
D_LABEL = (10, 30, 220, 24)


def designed_picture(x, y):
    return (x * 255 // D_PICTURE_WIDTH, y * 255 // D_PICTURE_HEIGHT, 0x80)


def region(path, x, y, w, h):
    """The pixels of a rectangle of the screenshot: {(x, y): (r, g, b)}."""
    out = subprocess.run(["/usr/bin/convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True, timeout=60).stdout
    pixels = {}
    for line in out.splitlines():
        if line.startswith("#"):
            continue
        where, rest = line.split(":", 1)
        px, py = (int(v) for v in where.split(","))
        hexpart = rest.split("#")[1][:6]
        pixels[(x + px, y + py)] = tuple(int(hexpart[i:i + 2], 16) for i in (0, 2, 4))
    return pixels


def check_designed(path):
    """The designed form: its picture pixel for pixel, white beyond it, no
    frame, and after its label's caption went from twenty letters to one,
    nothing but the picture where the old letters were."""
    shot = region(path, D_LEFT - 2, D_TOP - 2, D_WIDTH + 4, D_HEIGHT + 4)
    lx, ly, lw, lh = D_LABEL
    text_pixels = 0
    for y in range(D_HEIGHT):
        for x in range(D_WIDTH):
            got = shot[(D_LEFT + x, D_TOP + y)]
            in_label = lx <= x < lx + lw and ly <= y < ly + lh
            if in_label and x < lx + 20:
                text_pixels += got != designed_picture(x, y)  # the one letter left
                continue
            if x < D_PICTURE_WIDTH and y < D_PICTURE_HEIGHT:
                expected = designed_picture(x, y)
            else:
                expected = (255, 255, 255)
            assert got == expected, f"designed form at {x},{y}: {got}, expected {expected}"
    assert text_pixels > 10, "the label's remaining letter is not drawn"
    # No frame: beside the client area is the desktop.
    assert shot[(D_LEFT - 1, D_TOP + 40)] != designed_picture(0, 40)


def main():
    parser = argparse.ArgumentParser()
    for name in ("--program", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("gui_desktop_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    os.makedirs(os.path.dirname(args.artifact), exist_ok=True)
    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        program = desk.start(["wine", args.program])
        if desk.wine(args.driver, "wait", CAPTION, "60000", timeout=70).returncode != 0:
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError("the showcase window did not come up")
        time.sleep(1.0)  # let it paint
        desk.screenshot(args.artifact)
        checks = {
            "face picture": ((150, 60), face_picture(150, 60)),
            "face picture, bottom left": ((2, 113), face_picture(2, 113)),
            "fill": ((100, 95), (0x20, 0x90, 0xE0)),
        }
        for what, ((x, y), expected) in checks.items():
            got = pixel(args.artifact, LEFT + x, TOP + y)
            assert got == expected, f"{what} at {x},{y}: {got}, expected {expected}"
        check_designed(args.artifact)
        # No frame: just outside the face is the desktop, not a border.
        outside = pixel(args.artifact, LEFT - 1, TOP + 40)
        assert outside != face_picture(0, 40), "something drawn left of the window"
        desk.wine(args.driver, "close", CAPTION)
        assert program.wait(timeout=30) == 0, "the showcase did not end cleanly"
        print(f"gui_desktop_test: ok, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
