"""Vantu.exe on a Wine desktop of its own (Xvfb), with our skin and
generated MP3s in a program folder of its own: the main window, equalizer,
playlist and browser windows come up docked; a file dropped onto the
playlist is added; play runs through waveOut on the null sound device and
the time display advances; a second start hands its file to the first,
which plays it; closing saves the settings and the playlist. Screenshots of
the desktop and of every window are kept as artifacts.

  vantu_desktop_wine_test.py --program Vantu.exe --skin DruskLirn.Mpt
      --mp3 tone3s.mp3 --mp3-second mono22k.mp3 --driver ui-driver.exe
      --prefix DIR --source-dir DIR --artifacts DIR
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

MAIN = "Qortan Vantu V 2.00 Player"
SECONDARY = {"equalizer": "Vantu Equalizer", "playlist": "Vantu Playlist", "browser": "Vantu Browser"}
# Where the skin places the four windows at a first start (left, top, right, bottom).
PLACES = {"main": (150, 100, 425, 216), "equalizer": (150, 216, 425, 332), "playlist": (150, 332, 425, 564),
          "browser": (425, 100, 700, 216)}
# Client rectangles of the main window's elements (the skin's).
TIME_DIGITS = (14, 24, 56, 37)
TITLE = (131, 20, 265, 34)
PLAY_BUTTON = (42, 91)


def crop(png, rect):
    """The raw RGB bytes of a screen rectangle of a screenshot."""
    left, top, right, bottom = rect
    return subprocess.run(["/usr/bin/convert", png, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                           "+repage", "-depth", "8", "rgb:-"], check=True, capture_output=True, timeout=60).stdout


def save_crop(png, rect, out):
    left, top, right, bottom = rect
    subprocess.run(["/usr/bin/convert", png, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", out],
                   check=True, timeout=60)


def offset(rect, by):
    return (rect[0] + by[0], rect[1] + by[1], rect[2] + by[0], rect[3] + by[1])


def main():
    parser = argparse.ArgumentParser()
    for name in ("--program", "--skin", "--mp3", "--mp3-second", "--driver", "--prefix", "--source-dir",
                 "--artifacts"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    os.environ.setdefault("ALSA_CONFIG_PATH", os.path.join(args.source_dir, "wine", "alsa-null.conf"))
    wine_desktop.run_test("vantu_desktop_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    os.makedirs(args.artifacts, exist_ok=True)
    shots = os.path.join(args.artifacts, "vantu-desktop-")
    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        folder = os.path.join(desk.prefix, "drive_c", "Vantu")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(args.program, os.path.join(folder, "Vantu.exe"))
        shutil.copy(args.skin, os.path.join(folder, "DruskLirn.Mpt"))
        shutil.copy(args.mp3, os.path.join(folder, "tone.mp3"))
        shutil.copy(args.mp3_second, os.path.join(folder, "second.mp3"))

        def driver(*argv, timeout=60):
            return desk.wine(args.driver, *argv, timeout=timeout)

        started = time.monotonic()
        player = desk.start(["wine", "C:\\Vantu\\Vantu.exe"])
        if driver("wait", MAIN, "60000", timeout=70).returncode != 0:
            desk.screenshot(shots + "failed.png", check=False)
            raise AssertionError("the main window did not come up")
        shown = time.monotonic() - started
        for caption in SECONDARY.values():
            assert driver("wait", caption, "20000", timeout=30).returncode == 0, f"{caption} did not come up"
        # Docked as the skin places them at a first start.
        for name, caption in [("main", MAIN)] + list(SECONDARY.items()):
            r = driver("rect", caption)
            assert r.returncode == 0, f"no rectangle for {caption}"
            got = tuple(int(v) for v in r.stdout.decode().split())
            assert got == PLACES[name], f"{name} at {got}, expected {PLACES[name]}"
        time.sleep(1.0)  # let every window paint
        desktop = shots + "start.png"
        desk.screenshot(desktop)
        for name in PLACES:
            save_crop(desktop, PLACES[name], os.path.join(args.artifacts, f"vantu-{name}.png"))
        for name in PLACES:
            face = crop(desktop, PLACES[name])
            assert len(set(face[i:i + 3] for i in range(0, len(face), 3))) > 8, f"the {name} window shows no face"

        # A file dropped onto the playlist's list is added (nothing plays).
        pl = PLACES["playlist"]
        list_area = (pl[0] + 12, pl[1] + 22, pl[0] + 200, pl[1] + 40)
        before = crop(desktop, list_area)
        assert driver("drop", SECONDARY["playlist"], "60", "30", "C:\\Vantu\\tone.mp3").returncode == 0
        time.sleep(1.0)
        dropped = shots + "dropped.png"
        desk.screenshot(dropped)
        assert crop(dropped, list_area) != before, "the dropped file does not show in the playlist"
        save_crop(dropped, pl, os.path.join(args.artifacts, "vantu-playlist-dropped.png"))

        # Play: waveOut on the null device; the time display advances.
        main_at = PLACES["main"][:2]
        assert driver("click-at", MAIN, str(PLAY_BUTTON[0]), str(PLAY_BUTTON[1])).returncode == 0
        time.sleep(1.2)
        first = shots + "playing-1.png"
        desk.screenshot(first)
        time.sleep(1.0)
        second = shots + "playing-2.png"
        desk.screenshot(second)
        digits = offset(TIME_DIGITS, main_at)
        assert crop(first, digits) != crop(second, digits), "the time display does not advance"
        save_crop(second, PLACES["main"], os.path.join(args.artifacts, "vantu-main-playing.png"))
        title_before = crop(second, offset(TITLE, main_at))

        # A second start hands its file to the first and ends.
        other = desk.start(["wine", "C:\\Vantu\\Vantu.exe", "C:\\Vantu\\second.mp3"])
        assert other.wait(timeout=60) == 0, "the second start did not end cleanly"
        time.sleep(1.5)
        handed = shots + "handed-over.png"
        desk.screenshot(handed)
        assert crop(handed, offset(TITLE, main_at)) != title_before, "the handed-over file does not play"

        # Closing saves the settings and the playlist (the handed-over file).
        assert driver("close", MAIN).returncode == 0
        assert player.wait(timeout=60) == 0, "Vantu.exe did not end cleanly"
        with open(os.path.join(folder, "PlayList.lirn"), "rb") as f:
            playlist = f.read()
        assert playlist[:4] == b"\x01\x00\x00\x00" and b"C:\\Vantu\\second.mp3" in playlist, playlist[:80]
        config = os.path.getsize(os.path.join(folder, "DruskConf.cnf"))
        assert config == 4 + len("C:\\Vantu\\PlayList.lirn") + 248, f"DruskConf.cnf holds {config} bytes"
        print(f"vantu_desktop_test: ok; the main window shown {shown:.2f} s after the start "
              f"(Wine's process start included); screenshots in {args.artifacts}")
        return 0


if __name__ == "__main__":
    main()
