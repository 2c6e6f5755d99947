#!/usr/bin/python3
"""Orvel.exe logging in at start under Wine, against the native fake channel
service (and, for the partner zone, the fake member database through the
registered Dastrel.dll). An Xvfb server of its own (display chosen with
-displayfd) and a Wine prefix of its own in the build tree with the Wine
desktop, since the tray icon needs a display.

Two starts, each with automatic login set in ORVEL.INI:
  1. zone "Tarnel 서울", user demo: the service sees the login, the login
     form stays hidden, the tray icon shows the logged-in picture (checked
     on a screenshot, which is saved).
  2. zone "Teska넷", user teska01: the member check through Dastrel.dll
     passes, the service gets "login", "reguser" and the second "login",
     and the login form stays hidden.

  orvel_login_wine_test.py --orvel Orvel.exe --driver ui-driver.exe --dastrel Dastrel.dll
                           --service fake-service --service-data FILE
                           --member-db member-db-server --member-data FILE
                           --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import subprocess
import sys
import time
import urllib.request

SCRAMBLE_KEY, SCRAMBLE_C1, SCRAMBLE_C2 = 24613, 9317, 15271


def scrambled_hex(text):
    """The INI's PASSWD value: the password scrambled, then hex-encoded."""
    key = SCRAMBLE_KEY
    out = bytearray()
    for byte in text.encode("cp949"):
        c = byte ^ (key >> 8)
        out.append(c)
        key = ((key + c) * SCRAMBLE_C1 + SCRAMBLE_C2) & 0xFFFF
    return out.hex().upper()


def write_ini(path, zone, user, password):
    text = (f"[SERVERINFO]\r\nSERVERNAME={zone}\r\n"
            f"[USERINFO]\r\nUSERID={user}\r\nPASSWD={scrambled_hex(password)}\r\n"
            "[STARTOPTION]\r\nAUTOLOGIN=1\r\nAUTOSTART=0\r\nLOCALONLY=0\r\n")
    with open(path, "wb") as f:
        f.write(text.encode("cp949"))


def start_server(argv):
    proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    line = proc.stdout.readline().decode("ascii", "replace").strip()
    if not line.lower().startswith("port "):
        proc.kill()
        raise AssertionError(f"{argv[0]} did not report its port ({line!r})")
    return proc, int(line.split()[1])


def fetch(url):
    with urllib.request.urlopen(url, timeout=10) as reply:
        return reply.read().decode("utf-8", "replace")


def green_tray_pixels(env, png):
    """Strongly green pixels in the notification area (the bottom-right
    corner of the 1024x768 Wine desktop): the logged-in icon is a green
    disc, the logged-out one grey."""
    dump = subprocess.run(["convert", png, "-crop", "100x28+924+740", "txt:-"], env=env, check=True,
                          stdout=subprocess.PIPE, timeout=60).stdout.decode("ascii", "replace")
    count = 0
    for line in dump.splitlines():
        if line.startswith("#") or "(" not in line:
            continue
        values = line.split("(", 1)[1].split(")", 1)[0].split(",")
        try:
            r, g, b = (float(v.strip().rstrip("%")) for v in values[:3])
        except ValueError:
            continue
        if "%" in values[0]:
            r, g, b = r * 2.55, g * 2.55, b * 2.55
        if g > r + 60 and g > b + 60:
            count += 1
    return count


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--dastrel", "--service", "--service-data", "--member-db",
                 "--member-data", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_login_wine_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    servers = []
    try:
        service, port = start_server([args.service, "--data", args.service_data, "--lifetime", "400"])
        servers.append(service)
        member_db, member_port = start_server([args.member_db, "--data", args.member_data, "--lifetime", "400"])
        servers.append(member_db)
        base = f"http://127.0.0.1:{port}"
        extra = {
            "LC_ALL": "ko_KR.UTF-8",  # code page 949, as on a Korean system
            "ORVEL_ZONE_DIRECTORY": base,
            "DASTREL_SERVER": f"127.0.0.1:{member_port}",
        }
        with wine_desktop.WineDesktop(args.prefix, args.source_dir, extra) as desk:
            return run_logins(desk, args, base)
    finally:
        for proc in servers:
            if proc.poll() is None:
                proc.kill()
                proc.wait()


def run_logins(desk, args, base):
    ini = os.path.join(desk.windows_dir, "ORVEL.INI")
    dll = "Z:" + os.path.abspath(args.dastrel)

    def run_orvel(zone, user, password, expected):
        fetch(base + "/fake/reset")
        write_ini(ini, zone, user, password)
        orvel = desk.start(["wine", args.orvel])
        # The first start in a prefix brings up the Wine desktop: allow time.
        if not wait_for(lambda: all(e in fetch(base + "/fake/log") for e in expected), 90):
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError(f"the service did not see {expected}: {fetch(base + '/fake/log')}")
        assert desk.wine(args.driver, "tray-present", "20000").returncode == 0, "no tray icon"
        # A login that went through hides the login form ("로그인").
        assert desk.wine(args.driver, "wait", "로그인", "3000").returncode == 1, "the login form is shown"
        return orvel

    orvel = run_orvel("Tarnel 서울", "demo", "demo1234", ["commend=login userid=demo"])
    time.sleep(1.5)  # the tray icon follows the login state once a second
    desk.screenshot(args.artifact)
    green = green_tray_pixels(desk.env, args.artifact)
    assert green >= 20, f"the tray icon does not show the logged-in picture ({green} green pixels)"
    desk.wine(args.driver, "close", "Tarnel")
    assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"

    assert desk.wine("regsvr32", "/s", dll).returncode == 0, "regsvr32 Dastrel.dll failed"
    try:
        orvel = run_orvel("Teska넷", "teska01", "pass01",
                          ["commend=login userid=teska01", "commend=reguser userid=teska01"])
        log = fetch(base + "/fake/log")
        assert log.count("commend=login userid=teska01") == 2, log
        desk.wine(args.driver, "close", "Tarnel")
        assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
    finally:
        desk.wine("regsvr32", "/u", "/s", dll)
    print(f"orvel_login_wine_test: ok, screenshot {args.artifact}")
    return 0


if __name__ == "__main__":
    main()
