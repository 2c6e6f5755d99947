#!/usr/bin/python3
"""gui-showcase.exe on a Wine desktop of its own (Xvfb): the standard
controls come up (a folder tree, an owner-data list of 10,000 rows, a
progress bar, a status bar), a screenshot of the desktop is kept as a test
artifact, and files dropped on the list with WM_DROPFILES (ui-driver drop)
arrive in the program.

  gui_showcase_desktop_test.py --showcase gui-showcase.exe --driver ui-driver.exe
                               --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    for name in ("--showcase", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("gui_showcase_desktop_test", lambda a: attempt(wine_desktop, a), args)


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


def attempt(wine_desktop, args):
    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        log = os.path.join(desk.prefix, "drive_c", "drop-log.txt")
        if os.path.exists(log):
            os.remove(log)
        showcase = desk.start(["wine", args.showcase, "--drop-log", "C:\\drop-log.txt"])
        if desk.wine(args.driver, "wait", "GUI Showcase", "60000", timeout=70).returncode != 0:
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError("gui-showcase.exe did not come up")
        time.sleep(1.5)  # let it paint
        desk.screenshot(args.artifact)
        assert os.path.getsize(args.artifact) > 5000, "the screenshot is empty"

        # Two files, one with a Hangul name, dropped on the list view (a
        # client point inside it); the form takes them.
        dropped = ["C:\\windows\\win.ini", "C:\\음악\\노래 1.mp3"]
        result = desk.wine(args.driver, "drop", "GUI Showcase", "400", "150", *dropped)
        assert result.returncode == 0, f"ui-driver drop failed: {result.stdout!r}"

        def arrived():
            return os.path.exists(log) and open(log, encoding="utf-8").read().splitlines() == dropped
        if not wait_for(arrived, 20):
            desk.screenshot(args.artifact + ".failed.png", check=False)
            seen = open(log, encoding="utf-8").read() if os.path.exists(log) else "nothing"
            raise AssertionError(f"the dropped files did not arrive: {seen!r}")
        time.sleep(0.5)
        desk.screenshot(args.artifact.replace(".png", "-dropped.png"))

        desk.wine(args.driver, "close", "GUI Showcase")
        assert showcase.wait(timeout=30) == 0, "gui-showcase.exe did not end cleanly"
        print(f"gui_showcase_desktop_test: ok, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
