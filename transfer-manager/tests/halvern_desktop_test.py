#!/usr/bin/python3
"""Halvern.exe on a real (virtual) display beside the simulated player (run
through tools/player-sim/run_with_player_sim.py with files on the player): an
Xvfb server and a Wine prefix of its own with the 1024x768 Wine desktop. The
main window comes up and reads the player; its player list must show exactly
the player's files (read back from the real list view with ui-driver), and a
screenshot of the desktop is kept as a test artifact; then the window is
closed.

  halvern_desktop_test.py --halvern Halvern.exe --driver ui-driver.exe
                          --prefix DIR --source-dir DIR --artifact PNG
                          --expect NAME [--expect NAME ...]
"""
import argparse
import os
import sys
import time

CAPTION = "Mp3 File Transfer Manager"
# A column header only the player list has (hidden, width 0).
PLAYER_LIST_COLUMN = "SystemInfo"


def main():
    parser = argparse.ArgumentParser()
    for name in ("--halvern", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    parser.add_argument("--expect", action="append", required=True,
                        help="a file name the player list must show")
    args = parser.parse_args()
    assert os.environ.get("PLAYER_LINK_BRIDGE"), "run through run_with_player_sim.py"
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("halvern_desktop_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        halvern = desk.start(["wine", args.halvern])
        if desk.wine(args.driver, "wait", CAPTION, "60000", timeout=70).returncode != 0:
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError("Halvern.exe did not come up")
        rows = desk.wine(args.driver, "list-rows", CAPTION, PLAYER_LIST_COLUMN, "30000", timeout=40)
        listed = rows.stdout.decode("utf-8", "replace").splitlines()
        if rows.returncode != 0 or sorted(listed) != sorted(args.expect):
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError("the player list shows %r, not %r" % (listed, args.expect))
        time.sleep(1.0)  # let it paint
        desk.screenshot(args.artifact)
        assert os.path.getsize(args.artifact) > 2000, "the screenshot is empty"
        desk.close_window(args.driver, CAPTION, halvern)
        assert halvern.poll() == 0, "Halvern.exe did not end cleanly"
        print(f"halvern_desktop_test: ok, {len(listed)} player files listed, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
