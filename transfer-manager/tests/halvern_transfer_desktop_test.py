#!/usr/bin/python3
"""Halvern.exe moving files on a real (virtual) display beside the simulated
player (run through tools/player-sim/run_with_player_sim.py with two files
on the player): a file dropped on the player list from outside, as the
shell drops it, arrives on the player byte for byte; an entry selected in
the player list is erased with the erase picture and its two message boxes.
Screenshots of both states are kept as test artifacts.

  halvern_transfer_desktop_test.py --halvern Halvern.exe --driver ui-driver.exe
      --prefix DIR --source-dir DIR --scratch DIR --artifact PNG
"""
import argparse
import os
import sys
import time

CAPTION = "Mp3 File Transfer Manager"
PLAYER_COLUMN = "SystemInfo"  # a column only the player list has
# Client points (pixels) of the player list and the erase picture.
PLAYER_LIST = (576, 243)
ERASE_PICTURE = (61, 202)


def main():
    parser = argparse.ArgumentParser()
    for name in ("--halvern", "--driver", "--prefix", "--source-dir", "--scratch", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    assert os.environ.get("PLAYER_LINK_BRIDGE"), "run through run_with_player_sim.py"
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("halvern_transfer_desktop_test", lambda a: attempt(wine_desktop, a), args)


ATTEMPTS = []


def attempt(wine_desktop, args):
    # A second try finds the player as the first left it (the same player
    # runs on): it drops a file of another name and erases what is there.
    ATTEMPTS.append(1)
    storage = os.environ["PLAYER_SIM_STORAGE"]
    os.makedirs(args.scratch, exist_ok=True)
    name = f"dropped song {len(ATTEMPTS)}.mp3"
    dropped = os.path.join(args.scratch, name)
    data = bytes((i * 2654435761 + len(ATTEMPTS) >> 24) & 0xFF for i in range(100000))
    with open(dropped, "wb") as f:
        f.write(data)
    arrived = os.path.join(storage, "internal", "files", name)

    with wine_desktop.WineDesktop(args.prefix, args.source_dir) as desk:
        def driver(*argv, timeout=60):
            return desk.wine(args.driver, *argv, timeout=timeout)

        def rows():
            r = driver("list-rows", CAPTION, PLAYER_COLUMN)
            return r.stdout.decode("utf-8", "replace").split("\n") if r.returncode == 0 else []

        halvern = desk.start(["wine", args.halvern])
        try:
            if driver("wait", CAPTION, "60000", timeout=70).returncode != 0:
                raise AssertionError("Halvern.exe did not come up")
            wine_desktop.wait_until("the player's files were not listed", 60, lambda: "Second Song.mp3" in rows())
            time.sleep(2.0)  # the controls come back after the read

            # The drop, as the shell drops it.
            r = driver("drop", CAPTION, str(PLAYER_LIST[0]), str(PLAYER_LIST[1]), wine_desktop.windows_path(dropped))
            assert r.returncode == 0, "the drop did not reach the player list"
            wine_desktop.wait_until("the dropped file did not arrive on the player", 90,
                                    lambda: os.path.exists(arrived) and open(arrived, "rb").read() == data)
            wine_desktop.wait_until("the player list did not show the dropped file", 60, lambda: name in rows())
            time.sleep(2.0)
            desk.screenshot(args.artifact.replace(".png", "-dropped.png"))

            # The erase of one selected entry: the erase picture takes the
            # click once the command's end has enabled it again.
            victim = next((n for n in ("Second Song.mp3", "First Song.mp3") if n in rows()), None)
            assert victim, "no song left to erase"
            # A selection made while the list was still disabled does not
            # count: another row first, then the one wanted, each try.
            question = None
            for _ in range(12):
                assert driver("list-select", CAPTION, PLAYER_COLUMN, name).returncode == 0
                time.sleep(0.3)
                assert driver("list-select", CAPTION, PLAYER_COLUMN, victim).returncode == 0
                time.sleep(0.5)
                assert driver("click-child", CAPTION, str(ERASE_PICTURE[0]), str(ERASE_PICTURE[1])).returncode == 0
                question = driver("box", "Confirm", "5000", timeout=15)
                if question.returncode == 0:
                    break
                # "Select the file(s) to erase first !!!": OK, and again.
                if driver("box", "Information", "1000", timeout=10).returncode == 0:
                    driver("box-ok", "Information")
            assert question.returncode == 0, "no erase question"
            assert "erase the file(s)" in question.stdout.decode("utf-8", "replace"), question.stdout
            assert driver("box-ok", "Confirm").returncode == 0
            report = driver("box", "Information", "60000", timeout=70)
            assert report.returncode == 0, "no report of the erase"
            assert "Erase complete !!!" in report.stdout.decode("utf-8", "replace"), report.stdout
            desk.screenshot(args.artifact)
            assert driver("box-ok", "Information").returncode == 0
            gone = os.path.join(storage, "internal", "files", victim)
            wine_desktop.wait_until("the erased file is still on the player", 30, lambda: not os.path.exists(gone))
            wine_desktop.wait_until("the player list still shows the erased file", 60,
                                    lambda: victim not in rows() and name in rows())
        except Exception:
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise
        finally:
            desk.close_window(args.driver, CAPTION, halvern)
        assert halvern.poll() == 0, "Halvern.exe did not end cleanly"
        print(f"halvern_transfer_desktop_test: ok, screenshots {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
