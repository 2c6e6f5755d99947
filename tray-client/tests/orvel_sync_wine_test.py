#!/usr/bin/python3
"""A channel sync of Orvel.exe under Wine (WinINet), from the native fake
channel service to the native simulated player through the bridge, on an
Xvfb display and a Wine prefix of its own.

Orvel.exe logs in at start (automatic login in ORVEL.INI, user demo, zone
"Tarnel 서울"), "My PC" lists the user's two channel files, the tray item
"&Tarnel" ticks them and starts the sync: the fetch brings both files from
the fake service's content side into LocalSync, the dialog writes them to
player-sim, whose blocks are answered late so that the player phase lasts a
while; a screenshot of the sync dialog is taken then. The files must arrive
on the player byte for byte as the service serves them.

  orvel_sync_wine_test.py --orvel Orvel.exe --driver ui-driver.exe
                          --service fake-service --service-data FILE --player-sim player-sim
                          --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from orvel_login_wine_test import fetch, start_server, wait_for, write_ini  # noqa: E402

FILES = {"news012.sa3": "news012.mp3", "weather0101.sa3": "weather0101.mp3"}


def fetch_bytes(url):
    with urllib.request.urlopen(url, timeout=30) as reply:
        return reply.read()


def start_player_sim(args, storage):
    port_file = os.path.join(storage, "port")
    proc = subprocess.Popen([args.player_sim, "--storage", storage, "--port-file", port_file, "--lifetime", "400",
                             "--block-delay-ms", "8"], stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    if not wait_for(lambda: os.path.exists(port_file), 20):
        proc.kill()
        raise AssertionError("player-sim did not start")
    with open(port_file) as f:
        return proc, int(f.read().strip())


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--service", "--service-data", "--player-sim", "--prefix", "--source-dir",
                 "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_sync_wine_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    procs = []
    storage = tempfile.mkdtemp(prefix="orvel-sync-player-")
    try:
        service, port = start_server([args.service, "--data", args.service_data, "--lifetime", "400"])
        procs.append(service)
        sim, sim_port = start_player_sim(args, storage)
        procs.append(sim)
        base = f"http://127.0.0.1:{port}"
        extra = {
            "LC_ALL": "ko_KR.UTF-8",
            "ORVEL_ZONE_DIRECTORY": base,
            "PLAYER_LINK_BRIDGE": f"127.0.0.1:{sim_port}",
        }
        with wine_desktop.WineDesktop(args.prefix, args.source_dir, extra) as desk:
            return run_sync(desk, args, base, storage)
    finally:
        for proc in procs:
            if proc.poll() is None:
                proc.terminate()
                proc.wait(timeout=10)
        shutil.rmtree(storage, ignore_errors=True)


def local_sync_dir(args):
    return os.path.join(os.path.dirname(os.path.abspath(args.orvel)), "LocalSync")


def run_sync(desk, args, base, storage):
    # Channel files of an earlier run would be listed as Local rows.
    shutil.rmtree(local_sync_dir(args), ignore_errors=True)
    write_ini(os.path.join(desk.windows_dir, "ORVEL.INI"), "Tarnel 서울", "demo", "demo1234")
    log = lambda: fetch(base + "/fake/log")  # noqa: E731
    orvel = desk.start(["wine", args.orvel])

    def fail(what):
        desk.screenshot(args.artifact + ".failed.png", check=False)
        raise AssertionError(f"{what}; service log:\n{log()}")

    # Logged in, "My PC" up with the channel list.
    if not wait_for(lambda: "commend=dnlists userid=demo" in log(), 90):
        fail("no channel list was asked for")
    if desk.wine(args.driver, "wait", "My PC", "20000").returncode != 0:
        fail("My PC did not show")
    if desk.wine(args.driver, "tray-menu", "t", "20000").returncode != 0:
        fail("the tray menu did not take &Tarnel")
    if not wait_for(lambda: "commend=syncreq" in log(), 30):
        fail("no sync request")
    if desk.wine(args.driver, "wait", "싱크", "20000").returncode != 0:
        fail("the sync dialog did not show")
    # The fetch reports its end with "fldned"; the player phase follows.
    if not wait_for(lambda: "commend=fldned" in log(), 60):
        fail("the fetch did not end")
    time.sleep(1.0)
    in_dialog = desk.wine(args.driver, "wait", "싱크", "0").returncode == 0
    desk.screenshot(args.artifact)
    assert in_dialog, "the sync dialog was gone before the player phase could be seen"

    files = os.path.join(storage, "internal", "files")
    done = lambda: all(os.path.exists(os.path.join(files, n)) for n in FILES.values())  # noqa: E731
    if not wait_for(done, 120):
        fail(f"the player did not receive both files ({os.listdir(files) if os.path.isdir(files) else []})")
    if desk.wine(args.driver, "wait", "My PC", "60000").returncode != 0:
        fail("My PC did not come back after the sync")

    current = log()
    assert "down=P-1001/아침 뉴스/12/P-1002/날씨/0/" in current, current
    for served, written in FILES.items():
        expected = fetch_bytes(f"{base}/OrvelContent/file?userid=demo&name={urllib.parse.quote(served)}")
        with open(os.path.join(files, written), "rb") as f:
            got = f.read()
        assert got == expected, f"{written}: {len(got)} bytes on the player, {len(expected)} served"
    # Written to the player, the channel files leave LocalSync; nothing
    # partial is left there either.
    rest = [n for n in os.listdir(local_sync_dir(args)) if n.endswith((".sa3", ".tmp"))]
    assert not rest, f"LocalSync still holds {rest}"
    desk.wine(args.driver, "close", "Tarnel")
    assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
    print(f"orvel_sync_wine_test: ok, screenshot {args.artifact}")
    return 0


if __name__ == "__main__":
    main()
