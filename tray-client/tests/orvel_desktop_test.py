#!/usr/bin/python3
"""Orvel.exe on a real (virtual) display: an Xvfb server of its own (display
chosen with -displayfd), a Wine prefix of its own in the build tree with the
1024x768 Wine desktop. Checks that the tray icon is in the notification
area, opens the configuration form through the tray menu ("&Config") and
saves a screenshot of the desktop as a test artifact.

  orvel_desktop_test.py --orvel Orvel.exe --driver ui-driver.exe
                        --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import subprocess
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    # The Wine desktop's first start on a new display sometimes hangs when
    # the machine is busy with other Wine tests: one more try on a fresh
    # display and server.
    try:
        return attempt(args)
    except (AssertionError, subprocess.SubprocessError) as error:
        print(f"orvel_desktop_test: first try failed ({error}); trying again", file=sys.stderr)
        return attempt(args)


def attempt(args):
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    procs = []
    env = dict(os.environ)
    try:
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        assert number.strip(), "Xvfb did not report its display"
        env["DISPLAY"] = ":" + number.decode().strip()
        env["WINEPREFIX"] = args.prefix
        # As scripts/wine-env sets them, for runs outside scripts/test.
        env.setdefault("WINEARCH", "win64")
        env.setdefault("WINEDEBUG", "-all")
        env.setdefault("WINEDLLOVERRIDES", "mscoree=;mshtml=;winemenubuilder.exe=")

        def wine(*argv, timeout=60):
            return subprocess.run(["wine", *argv], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=timeout)

        if not os.path.isdir(os.path.join(args.prefix, "drive_c")):
            subprocess.run([os.path.join(args.source_dir, "scripts", "wine-prefix"), "xvfb"], env=env, check=True,
                           stdout=subprocess.DEVNULL, timeout=180)
        # A server left from an interrupted run would still know its old
        # display; no persistent server here, so none outlives this run.
        subprocess.run(["wineserver", "-k"], env=env, timeout=30, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60)
        ini = os.path.join(args.prefix, "drive_c", "windows", "ORVEL.INI")
        with open(ini, "wb") as f:
            f.write(b"[STARTOPTION]\r\nLOCALONLY=1\r\n")

        orvel = subprocess.Popen(["wine", args.orvel], env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(orvel)
        # The first start in a prefix brings up the Wine desktop: allow time.
        if wine(args.driver, "wait", "My PC", "60000", timeout=70).returncode != 0:
            subprocess.run(["import", "-window", "root", args.artifact + ".failed.png"], env=env, timeout=60)
            raise AssertionError("Orvel.exe did not come up")
        assert wine(args.driver, "tray-present", "20000").returncode == 0, "no tray icon in the notification area"
        assert wine(args.driver, "tray-menu", "c", "20000").returncode == 0, "the tray menu did not work"
        assert wine(args.driver, "wait", "Config", "20000").returncode == 0, "the configuration form did not show"
        time.sleep(1.0)  # let it paint
        os.makedirs(os.path.dirname(args.artifact), exist_ok=True)
        subprocess.run(["import", "-window", "root", args.artifact], env=env, check=True, timeout=60)
        assert os.path.getsize(args.artifact) > 2000, "the screenshot is empty"
        wine(args.driver, "close", "Tarnel")
        assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
        print(f"orvel_desktop_test: ok, screenshot {args.artifact}")
        return 0
    finally:
        for proc in procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        subprocess.run(["wineserver", "-k"], env=env, timeout=30, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        xvfb.terminate()
        try:
            xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
        os.close(read_fd)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.SubprocessError) as error:
        print(f"orvel_desktop_test: {error}", file=sys.stderr)
        sys.exit(1)
