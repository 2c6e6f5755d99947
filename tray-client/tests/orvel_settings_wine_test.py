#!/usr/bin/python3
"""Orvel.exe under Wine with a Windows directory it cannot write, as for a
user without administrator rights:

- the settings in C:\\windows\\ORVEL.INI are read;
- at the end they are saved to the user's application data folder
  (Orvel\\ORVEL.INI there), other keys of the file kept, and nothing is left
  in the Windows directory;
- the next start reads the user's file first (and keeps saving there).

  orvel_settings_wine_test.py --orvel Orvel.exe --driver ui-driver.exe
                              --prefix DIR --source-dir DIR

The Wine prefix is made afresh in DIR and removed again after a success. Its Windows directory is made
read-only for the test: with a read-only bind mount in a mount namespace
of the test's own when the test runs as root (whom file permissions do not
stop), else by taking away the write permission. Run beside the fake
service (with_fake_service.py), which answers the zone list.
"""
import argparse
import glob
import os
import shutil
import stat
import subprocess
import sys
import time

INSIDE = "ORVEL_SETTINGS_TEST_INSIDE"
SKIPPED = 77


def wine(*args, timeout=60, check=True):
    result = subprocess.run(["wine", *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout)
    if check and result.returncode != 0:
        raise AssertionError(f"wine {' '.join(args)} exited {result.returncode}: {result.stdout!r}")
    return result


def run_orvel(args, shows):
    """Starts Orvel.exe, waits for the form captioned `shows`, closes it."""
    proc = subprocess.Popen(["wine", args.orvel], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        wine(args.driver, "wait", shows, "60000", timeout=90)
        wine(args.driver, "close", "Tarnel")
        code = proc.wait(timeout=60)
        assert code == 0, f"Orvel.exe exited {code}"
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def read(path):
    with open(path, "rb") as f:
        return f.read().decode("ascii", "replace")


def test(args, windows):
    windows_ini = os.path.join(windows, "ORVEL.INI")
    before = read(windows_ini)

    # The Windows directory's settings are read ("My PC" shows because of
    # LOCALONLY) and saved to the user's folder at the end.
    run_orvel(args, "My PC")
    found = glob.glob(os.path.join(args.prefix, "drive_c", "users", "*", "AppData", "Roaming", "Orvel",
                                   "ORVEL.INI"))
    assert len(found) == 1, f"no settings file in the user's folder: {found}"
    user_ini = found[0]
    saved = read(user_ini)
    for line in ("LOCALONLY=1", "AUTOSTART=0", "KEPT=yes"):
        assert line in saved, f"{line!r} missing from the user's ORVEL.INI: {saved!r}"
    assert read(windows_ini) == before, "the Windows directory's ORVEL.INI changed"
    leftovers = [n for n in os.listdir(windows) if n.upper().startswith("ORVEL.INI.")]
    assert not leftovers, f"left in the Windows directory: {leftovers}"

    # The user's file is read first: what it says (AUTOSTART) is what the
    # next save writes, and its own keys stay.
    with open(user_ini, "wb") as f:
        f.write((saved.replace("AUTOSTART=0", "AUTOSTART=1") + "[USER]\r\nMINE=1\r\n").encode("ascii"))
    run_orvel(args, "My PC")
    again = read(user_ini)
    assert "AUTOSTART=1" in again and "MINE=1" in again, f"the user's file was not read first: {again!r}"
    assert read(windows_ini) == before


def inside(args):
    env_root = os.environ.get("WINEPREFIX")
    assert env_root == args.prefix
    subprocess.run([os.path.join(args.source_dir, "scripts", "wine-prefix"), "headless"], check=True,
                   stdout=subprocess.DEVNULL, timeout=300)
    windows = os.path.join(args.prefix, "drive_c", "windows")
    with open(os.path.join(windows, "ORVEL.INI"), "wb") as f:
        f.write(b"[STARTOPTION]\r\nAUTOSTART=0\r\nLOCALONLY=1\r\n[MISC]\r\nKEPT=yes\r\n")
    if os.geteuid() == 0:
        subprocess.run(["mount", "--bind", windows, windows], check=True)
        subprocess.run(["mount", "-o", "remount,bind,ro", windows], check=True)
        restore = None
    else:
        mode = os.stat(windows).st_mode
        os.chmod(windows, mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        restore = mode
    probe = os.path.join(windows, "write-probe")
    try:
        open(probe, "wb").close()
        os.remove(probe)
        raise AssertionError("the Windows directory is still writable")
    except OSError:
        pass
    # One persistent Wine server, warmed up by one program before the test
    # starts several at once (the first concurrent starts in a fresh prefix
    # can hang).
    subprocess.run(["wineserver", "-p"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    # (Its output goes nowhere: the services it starts would hold a pipe open.)
    subprocess.run(["wine", "reg", "query", r"HKCU\Software\Wine"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    try:
        test(args, windows)
    finally:
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if restore is not None:
            os.chmod(windows, restore)
        time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--orvel", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--source-dir", required=True)
    args = parser.parse_args()
    args.prefix = os.path.abspath(args.prefix)
    if os.environ.get(INSIDE) or os.geteuid() != 0:
        os.environ["WINEPREFIX"] = args.prefix
        inside(args)
    else:
        # A mount namespace of our own, so the read-only mount and the Wine
        # server that opens the files in it are seen by nobody else. Where
        # the machine allows none, root cannot be kept from writing: the
        # test is skipped (ctest shows it so).
        probe = subprocess.run(["unshare", "-m", "true"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if probe.returncode != 0:
            print("orvel_settings_wine_test: no mount namespace for root here; skipped")
            return SKIPPED
        env = dict(os.environ, **{INSIDE: "1", "WINEPREFIX": args.prefix})
        result = subprocess.run(["unshare", "-m", "--propagation", "private", sys.executable, *sys.argv],
                                env=env, timeout=600)
        if result.returncode == 0:
            shutil.rmtree(args.prefix, ignore_errors=True)  # a prefix is large; kept only after a failure
        return result.returncode
    if not os.environ.get(INSIDE):
        shutil.rmtree(args.prefix, ignore_errors=True)
    print("orvel_settings_wine_test: ok")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.TimeoutExpired, subprocess.CalledProcessError) as error:
        print(f"orvel_settings_wine_test: {error}", file=sys.stderr)
        sys.exit(1)
