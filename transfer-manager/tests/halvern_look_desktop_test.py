#!/usr/bin/python3
"""Halvern.exe's designed window on a real (virtual) display beside the
simulated player (run through tools/player-sim/run_with_player_sim.py with
files on the player, at a slow pace so that a write takes seconds). The PC
folder it remembers holds MP3 files, so both sides show files. Kept as test
artifacts, each cut to the window:

  halvern-window.png            the main window with files on both sides
  halvern-hover.png             the pointer over the erase picture, lit
  halvern-format-question.png   the question before a format (answered Cancel)
  halvern-progress.png          the progress window while a file is written

The hover is checked on the screen: the erase picture changes, the download
picture does not.

  halvern_look_desktop_test.py --halvern Halvern.exe --driver ui-driver.exe
      --prefix DIR --source-dir DIR --scratch DIR --artifacts DIR
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

CAPTION = "Mp3 File Transfer Manager"
PLAYER_COLUMN = "SystemInfo"  # a column only the player list has
PROGRESS_CAPTION = "Downloading..."
# Client points (pixels) of the pictures and the player list.
DOWNLOAD_PICTURE = (61, 67)
ERASE_PICTURE = (61, 202)
FORMAT_PICTURE = (61, 335)
PLAYER_LIST = (576, 243)
BACKGROUND = (300, 490)
BIG_SONG = "Long Song.mp3"


def main():
    parser = argparse.ArgumentParser()
    for name in ("--halvern", "--driver", "--prefix", "--source-dir", "--scratch", "--artifacts"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    assert os.environ.get("PLAYER_LINK_BRIDGE"), "run through run_with_player_sim.py"
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("halvern_look_desktop_test", lambda a: attempt(wine_desktop, a), args)


def song(size, seed):
    return bytes((i * 2654435761 + seed >> 24) & 0xFF for i in range(size))


def make_pc_folder(scratch):
    pc = os.path.join(scratch, "pc", "음악")
    shutil.rmtree(os.path.join(scratch, "pc"), ignore_errors=True)
    os.makedirs(pc)
    for i, (name, size) in enumerate((("봄 노래.mp3", 180000), ("Morning Walk.mp3", 420000),
                                      ("tone copy.mp3", 96000))):
        with open(os.path.join(pc, name), "wb") as f:
            f.write(song(size, i))
    return pc


def attempt(wine_desktop, args):
    os.makedirs(args.artifacts, exist_ok=True)
    pc = make_pc_folder(args.scratch)
    big = os.path.join(args.scratch, BIG_SONG)
    with open(big, "wb") as f:
        f.write(song(1500000, 7))
    storage = os.environ["PLAYER_SIM_STORAGE"]
    arrived = os.path.join(storage, "internal", "files", BIG_SONG)
    if os.path.exists(arrived):  # a second try: the same player runs on
        os.remove(arrived)

    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        def driver(*argv, timeout=60):
            return desk.wine(args.driver, *argv, timeout=timeout)

        def rows():
            r = driver("list-rows", CAPTION, PLAYER_COLUMN)
            return r.stdout.decode("utf-8", "replace").split("\n") if r.returncode == 0 else []

        def rect(caption, what="rect"):
            r = driver(what, caption)
            assert r.returncode == 0, f"no window {caption!r}"
            return [int(v) for v in r.stdout.decode().split()]

        def shot(name, caption=CAPTION, what="rect"):
            """A screenshot of the desktop cut to the window of that caption."""
            left, top, right, bottom = rect(caption, what)
            whole = os.path.join(args.scratch, "desktop.png")
            desk.screenshot(whole)
            path = os.path.join(args.artifacts, name)
            subprocess.run(["convert", whole, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                            path], check=True, timeout=60)
            assert os.path.getsize(path) > 2000, f"the screenshot {name} is empty"
            return path

        def same_area(a, b, point, size=(60, 16)):
            """Whether two window shots show the same pixels around a client point."""
            crop = f"{size[0]}x{size[1]}+{point[0] - size[0] // 2 + client_dx}+{point[1] - size[1] // 2 + client_dy}"
            r = subprocess.run(["compare", "-metric", "AE", "(", a, "-crop", crop, "+repage", ")",
                                "(", b, "-crop", crop, "+repage", ")", "null:"],
                               capture_output=True, timeout=60)
            return r.stderr.strip().split(b" ")[0] == b"0"

        r = desk.wine("reg", "add", "HKCU\\Software\\DureDudezi\\Environment", "/v", "String", "/t", "REG_SZ",
                      "/d", wine_desktop.windows_path(pc), "/f")
        assert r.returncode == 0, "the PC folder could not be remembered"
        halvern = desk.start(["wine", args.halvern])
        try:
            if driver("wait", CAPTION, "60000", timeout=70).returncode != 0:
                raise AssertionError("Halvern.exe did not come up")
            wine_desktop.wait_until("the player's files were not listed", 90, lambda: "Second Song.mp3" in rows())
            time.sleep(2.0)  # the controls come back after the read
            window = rect(CAPTION)
            client = rect(CAPTION, "client-rect")
            client_dx, client_dy = client[0] - window[0], client[1] - window[1]

            # Both sides, the pointer over the background.
            driver("hover-at", CAPTION, str(BACKGROUND[0]), str(BACKGROUND[1]))
            time.sleep(1.0)
            main_shot = shot("halvern-window.png")

            # The pointer over the erase picture lights it, and only it.
            driver("hover-at", CAPTION, str(ERASE_PICTURE[0]), str(ERASE_PICTURE[1]))
            time.sleep(1.0)
            hover_shot = shot("halvern-hover.png")
            assert not same_area(main_shot, hover_shot, ERASE_PICTURE), "the erase picture did not light"
            assert same_area(main_shot, hover_shot, DOWNLOAD_PICTURE), "the download picture changed"
            driver("hover-at", CAPTION, str(BACKGROUND[0]), str(BACKGROUND[1]))

            # The format question; Cancel leaves the player as it is.
            assert driver("click-child", CAPTION, str(FORMAT_PICTURE[0]), str(FORMAT_PICTURE[1])).returncode == 0
            question = driver("box", "Confirm", "20000", timeout=30)
            assert question.returncode == 0, "no format question"
            assert "Do you really want to format" in question.stdout.decode("utf-8", "replace"), question.stdout
            time.sleep(0.5)
            shot("halvern-format-question.png")
            assert driver("box-cancel", "Confirm").returncode == 0
            time.sleep(2.0)

            # A file dropped on the player list is written with the progress
            # window; its status bar shows the rate and the time left after
            # the first second.
            r = driver("drop", CAPTION, str(PLAYER_LIST[0]), str(PLAYER_LIST[1]), wine_desktop.windows_path(big))
            assert r.returncode == 0, "the drop did not reach the player list"
            assert driver("wait", PROGRESS_CAPTION, "30000", timeout=40).returncode == 0, "no progress window"
            time.sleep(2.5)
            shot("halvern-progress.png", PROGRESS_CAPTION)
            wine_desktop.wait_until("the dropped file did not arrive on the player", 120,
                                    lambda: os.path.exists(arrived) and os.path.getsize(arrived) == os.path.getsize(big))
            wine_desktop.wait_until("the player list did not show the written file", 60, lambda: BIG_SONG in rows())
        except Exception:
            desk.screenshot(os.path.join(args.artifacts, "halvern-look.failed.png"), check=False)
            raise
        finally:
            desk.close_window(args.driver, CAPTION, halvern)
        assert halvern.poll() == 0, "Halvern.exe did not end cleanly"
        print(f"halvern_look_desktop_test: ok, screenshots in {args.artifacts}")
        return 0


if __name__ == "__main__":
    main()
