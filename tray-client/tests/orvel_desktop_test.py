#!/usr/bin/python3
"""Orvel.exe on a real (virtual) display: an Xvfb server of its own (display
chosen with -displayfd), a Wine prefix of its own in the build tree with the
1024x768 Wine desktop. Checks that the tray icon is in the notification
area, shows the tool tip of a tool bar button on "My PC" (a screenshot of
it when --tooltip-artifact is given), opens the configuration form through
the tray menu ("&Config") and saves a screenshot of the desktop as a test
artifact.

  orvel_desktop_test.py --orvel Orvel.exe --driver ui-driver.exe
                        --prefix DIR --source-dir DIR --artifact PNG
                        [--tooltip-artifact PNG]
"""
import argparse
import os
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    parser.add_argument("--tooltip-artifact")
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_desktop_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        with open(os.path.join(desk.windows_dir, "ORVEL.INI"), "wb") as f:
            f.write(b"[STARTOPTION]\r\nLOCALONLY=1\r\n")
        orvel = desk.start(["wine", args.orvel])
        if desk.wine(args.driver, "wait", "My PC", "60000", timeout=70).returncode != 0:
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError("Orvel.exe did not come up")
        assert desk.wine(args.driver, "tray-present", "20000").returncode == 0, "no tray icon in the notification area"
        if args.tooltip_artifact:
            # A tool bar button's hint shows as its tool tip while the mouse
            # rests on it.
            time.sleep(1.0)
            if desk.wine(args.driver, "hover", "My PC", "위로", "15000", timeout=30).returncode != 0:
                desk.screenshot(args.tooltip_artifact + ".failed.png", check=False)
                raise AssertionError("no tool tip over the tool bar button")
            time.sleep(0.5)  # let it paint
            desk.screenshot(args.tooltip_artifact)
            assert os.path.getsize(args.tooltip_artifact) > 2000, "the tool tip screenshot is empty"
            desk.wine(args.driver, "mouse-to", "1000", "10")
        assert desk.wine(args.driver, "tray-menu", "c", "20000").returncode == 0, "the tray menu did not work"
        assert desk.wine(args.driver, "wait", "Config", "20000").returncode == 0, "the configuration form did not show"
        time.sleep(1.0)  # let it paint
        desk.screenshot(args.artifact)
        assert os.path.getsize(args.artifact) > 2000, "the screenshot is empty"
        desk.wine(args.driver, "close", "Tarnel")
        assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
        print(f"orvel_desktop_test: ok, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
