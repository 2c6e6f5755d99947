#!/usr/bin/python3
"""Orvel.exe under Wine, in the prefix of the test run (WINEPREFIX):

- a second start exits with 0 at once while the first one runs;
- the settings file appears in the prefix's Windows directory when the
  program ends (the configuration form saves when it is destroyed);
- the autostart value is written with the quoted program path when
  AUTOSTART is on, and removed when it is off;
- closing the program while its zone list request runs (the fake service
  sends it one byte at a time, which would take over half a minute) ends
  it at once.

  orvel_wine_test.py --orvel Orvel.exe --driver ui-driver.exe

Every Wine process is ended within the time-outs; the script's exit code is
0 on success.
"""
import argparse
import os
import subprocess
import sys
import time
import urllib.request

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"


def wine(*args, timeout=60, check=True):
    result = subprocess.run(["wine", *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout)
    if check and result.returncode != 0:
        raise AssertionError(f"wine {' '.join(args)} exited {result.returncode}: {result.stdout!r}")
    return result


def ini_path():
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "ORVEL.INI")


def run_value():
    result = wine("reg", "query", RUN_KEY, "/v", "Orvel", check=False)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        if "Orvel" in line and "REG_SZ" in line:
            return line.split("REG_SZ", 1)[1].strip()
    return None


class Orvel:
    def __init__(self, exe, driver):
        self.exe, self.driver = exe, driver

    def start(self):
        return subprocess.Popen(["wine", self.exe], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def session(self, second_start=False):
        first = self.start()
        try:
            wine(self.driver, "wait", "My PC", "30000")
            if second_start:
                second = self.start()
                code = second.wait(timeout=30)
                assert code == 0, f"the second start exited {code}"
                assert first.poll() is None, "the first instance ended when the second started"
            wine(self.driver, "close", "Tarnel")
            code = first.wait(timeout=30)
            assert code == 0, f"Orvel.exe exited {code}"
        finally:
            if first.poll() is None:
                first.kill()
                first.wait()


def fake_service(path):
    url = f"http://127.0.0.1:{os.environ['FAKE_SERVICE_PORT']}{path}"
    with urllib.request.urlopen(url, timeout=10) as reply:
        return reply.read().decode("utf-8", "replace")


def exit_during_request(orvel):
    fake_service("/fake/reset")
    fake_service("/fake/fault?mode=trickle&count=0")
    write_ini("[STARTOPTION]\r\nAUTOSTART=0\r\n")
    first = orvel.start()
    try:
        deadline = time.monotonic() + 60
        while "zone.cgi" not in fake_service("/fake/log"):
            assert time.monotonic() < deadline, "Orvel.exe never asked for the zone list"
            assert first.poll() is None, f"Orvel.exe ended early ({first.returncode})"
            time.sleep(0.2)
        time.sleep(0.5)  # the request is under way
        closed = time.monotonic()
        wine(orvel.driver, "close", "Tarnel")
        code = first.wait(timeout=20)
        assert code == 0, f"Orvel.exe exited {code}"
        print(f"orvel_wine_test: ended {time.monotonic() - closed:.1f} s after the close")
    finally:
        fake_service("/fake/fault?mode=none")
        if first.poll() is None:
            first.kill()
            first.wait()
    assert os.path.exists(ini_path()), "the settings were not saved at the end"


def write_ini(text):
    with open(ini_path(), "wb") as f:
        f.write(text.encode("ascii"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--orvel", required=True)
    parser.add_argument("--driver", required=True)
    args = parser.parse_args()
    orvel = Orvel(args.orvel, args.driver)

    if os.path.exists(ini_path()):
        os.remove(ini_path())
    wine("reg", "delete", RUN_KEY, "/v", "Orvel", "/f", check=False)

    # LOCALONLY: "My PC" shows at start, which tells the test that the
    # program is up.
    write_ini("[STARTOPTION]\r\nAUTOSTART=1\r\nLOCALONLY=1\r\n")
    orvel.session(second_start=True)
    with open(ini_path(), "rb") as f:
        saved = f.read().decode("ascii", "replace")
    for line in ("SERVERNAME=", "USERID=", "PASSWD=", "AUTOLOGIN=0", "AUTOSTART=1", "LOCALONLY=1",
                 "AUTODELETE=1", "AUTOOVERWRITE=0"):
        assert line in saved, f"{line!r} missing from ORVEL.INI: {saved!r}"
    value = run_value()
    assert value and value.startswith('"') and value.endswith('Orvel.exe"'), f"Run value {value!r}"

    write_ini("[STARTOPTION]\r\nAUTOSTART=0\r\nLOCALONLY=1\r\n")
    orvel.session()
    assert run_value() is None, "the Run value was not removed"
    os.remove(ini_path())

    exit_during_request(orvel)
    os.remove(ini_path())
    print("orvel_wine_test: ok")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.TimeoutExpired) as error:
        print(f"orvel_wine_test: {error}", file=sys.stderr)
        sys.exit(1)
