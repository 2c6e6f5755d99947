#!/usr/bin/python3
"""Halvern.exe under Wine, in the prefix of the test run (WINEPREFIX), beside
the simulated player (run through tools/player-sim/run_with_player_sim.py):

- the main window comes up, a second start exits with 0 at once while the
  first runs, and the first ends with 0 when its window is closed;
- started from a folder without Dravik.dll it shows the message box
  "Dll 에러" with its text, shows no main window, and ends with 0 once the
  box is answered.

  halvern_wine_test.py --halvern Halvern.exe --driver ui-driver.exe --scratch DIR
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

CAPTION = "Mp3 File Transfer Manager"
LIBRARY_MISSING = "Dravik.dll이 없습니다. 프로그램을 재설치 후 사용하세요."


def wine(*args, timeout=60):
    # UTF-8 on the Unix side, so Hangul arguments and output pass unchanged.
    env = dict(os.environ, LC_ALL="C.UTF-8")
    return subprocess.run(["wine", *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          stdin=subprocess.DEVNULL, timeout=timeout, env=env)


def start(exe):
    return subprocess.Popen(["wine", exe], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def close_until_ended(proc, driver, seconds=60):
    """The window refuses to close while a command (the first read) runs:
    ask again until the program has ended."""
    deadline = time.monotonic() + seconds
    while proc.poll() is None and time.monotonic() < deadline:
        wine(driver, "close", CAPTION)
        try:
            proc.wait(timeout=2)
        except subprocess.TimeoutExpired:
            pass
    assert proc.poll() is not None, "Halvern.exe did not end when its window was closed"
    return proc.returncode


def main():
    parser = argparse.ArgumentParser()
    for name in ("--halvern", "--driver", "--scratch"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    assert os.environ.get("PLAYER_LINK_BRIDGE"), "run through run_with_player_sim.py"

    first = start(args.halvern)
    try:
        assert wine(args.driver, "wait", CAPTION, "30000").returncode == 0, "the main window did not come up"
        second = start(args.halvern)
        code = second.wait(timeout=30)
        assert code == 0, f"the second start exited {code}"
        assert first.poll() is None, "the first instance ended when the second started"
        code = close_until_ended(first, args.driver)
        assert code == 0, f"Halvern.exe exited {code}"
    finally:
        if first.poll() is None:
            first.kill()
            first.wait()

    lonely = os.path.join(args.scratch, "without-library")
    shutil.rmtree(lonely, ignore_errors=True)
    os.makedirs(lonely)
    shutil.copy(args.halvern, lonely)
    alone = start(os.path.join(lonely, os.path.basename(args.halvern)))
    try:
        box = wine(args.driver, "box", "Dll 에러", "30000")
        assert box.returncode == 0, "no \"Dll 에러\" message box"
        text = box.stdout.decode("utf-8", "replace").strip()
        assert text == LIBRARY_MISSING, f"the box says {text!r}"
        assert wine(args.driver, "box-ok", "Dll 에러").returncode == 0, "the box did not take its OK"
        code = alone.wait(timeout=30)
        assert code == 0, f"Halvern.exe without its library exited {code}"
        assert wine(args.driver, "wait", CAPTION, "500").returncode != 0, "the main window showed anyway"
    finally:
        if alone.poll() is None:
            alone.kill()
            alone.wait()
    print("halvern_wine_test: ok")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.TimeoutExpired) as error:
        print(f"halvern_wine_test: {error}", file=sys.stderr)
        sys.exit(1)
