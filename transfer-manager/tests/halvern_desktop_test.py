#!/usr/bin/python3
"""Halvern.exe on a real (virtual) display beside the simulated player (run
through tools/player-sim/run_with_player_sim.py with files on the player): an
Xvfb server and a Wine prefix of its own with the 1024x768 Wine desktop. The
main window comes up, reads the player, and a screenshot of the desktop is
kept as a test artifact; then the window is closed.

  halvern_desktop_test.py --halvern Halvern.exe --driver ui-driver.exe
                          --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import subprocess
import sys
import time

CAPTION = "Mp3 File Transfer Manager"


def main():
    parser = argparse.ArgumentParser()
    for name in ("--halvern", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
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
        time.sleep(5.0)  # the first read of the player, then the paint
        desk.screenshot(args.artifact)
        assert os.path.getsize(args.artifact) > 2000, "the screenshot is empty"
        deadline = time.monotonic() + 60
        while halvern.poll() is None and time.monotonic() < deadline:
            desk.wine(args.driver, "close", CAPTION)
            try:
                halvern.wait(timeout=2)
            except subprocess.TimeoutExpired:
                pass
        assert halvern.poll() == 0, "Halvern.exe did not end cleanly"
        print(f"halvern_desktop_test: ok, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
