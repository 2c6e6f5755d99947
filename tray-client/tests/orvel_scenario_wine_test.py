#!/usr/bin/python3
"""Orvel.exe end to end under Wine, driven from outside with ui-driver as a
user would: the fake channel service with its content side, the simulated
player through the bridge and a local FTP server with an update, on an
Xvfb display and a Wine prefix of its own.

  1. automatic login of the demo account; "My PC" shows with the channel list
  2. the two Remote rows ticked, the sync button pressed
  3. the channel files arrive on the player byte for byte
  4. one of them deleted on the player from "My PC"
  5. "파일(&F)" / "업데이트(&U)" with a digest that does not match: refused,
     nothing kept; then with the right one: the setup program fetched, its
     SHA-256 checked, the question answered: it starts, Orvel ends

A screenshot of each window is kept (scenario-*.png beside --artifact-dir).
Orvel.exe runs from a program folder of the test's own, so LocalSync and
setup.exe never land in the build tree.

  orvel_scenario_wine_test.py --orvel Orvel.exe --driver ui-driver.exe
      --service fake-service --service-data FILE --player-sim player-sim
      --ftp-server fake_ftp.py --prefix DIR --source-dir DIR --artifact-dir DIR
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from orvel_login_wine_test import fetch, scrambled_hex, start_server, wait_for  # noqa: E402

FILES = {"news012.sa3": "news012.mp3", "weather0101.sa3": "weather0101.mp3"}


def fetch_bytes(url):
    with urllib.request.urlopen(url, timeout=30) as reply:
        return reply.read()


def start_player_sim(player_sim, storage):
    port_file = os.path.join(storage, "port")
    proc = subprocess.Popen([player_sim, "--storage", storage, "--port-file", port_file, "--lifetime", "500"],
                            stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    if not wait_for(lambda: os.path.exists(port_file), 20):
        proc.kill()
        raise AssertionError("player-sim did not start")
    with open(port_file) as f:
        return proc, int(f.read().strip())


def write_ini(path, ftp_port):
    text = ("[SERVERINFO]\r\nSERVERNAME=Tarnel 서울\r\n"
            f"[USERINFO]\r\nUSERID=demo\r\nPASSWD={scrambled_hex('demo1234')}\r\n"
            "[STARTOPTION]\r\nAUTOLOGIN=1\r\nAUTOSTART=0\r\nLOCALONLY=0\r\n"
            f"[UPDATE]\r\nFTPHOST=127.0.0.1\r\nFTPPORT={ftp_port}\r\n")
    with open(path, "wb") as f:
        f.write(text.encode("cp949"))


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--service", "--service-data", "--player-sim", "--ftp-server", "--prefix",
                 "--source-dir", "--artifact-dir"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_scenario_wine_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    procs = []
    work = tempfile.mkdtemp(prefix="orvel-scenario-")
    try:
        storage = os.path.join(work, "player")
        program = os.path.join(work, "program")
        os.makedirs(storage)
        os.makedirs(program)
        shutil.copy(args.orvel, os.path.join(program, "Orvel.exe"))
        # The update the FTP server offers: a small Windows program that
        # starts and ends at once (ui-driver without arguments).
        service, port = start_server([args.service, "--data", args.service_data, "--lifetime", "500"])
        procs.append(service)
        ftp, ftp_port = start_server(["/usr/bin/python3", args.ftp_server, "--root", os.path.join(work, "ftp"),
                                      "--publish", args.driver, "--lifetime", "500"])
        procs.append(ftp)
        sim, sim_port = start_player_sim(args.player_sim, storage)
        procs.append(sim)
        base = f"http://127.0.0.1:{port}"
        extra = {
            "LC_ALL": "ko_KR.UTF-8",
            "ORVEL_ZONE_DIRECTORY": base,
            "PLAYER_LINK_BRIDGE": f"127.0.0.1:{sim_port}",
        }
        with wine_desktop.WineDesktop(args.prefix, args.source_dir, extra) as desk:
            return run_scenario(desk, args, base, storage, program, os.path.join(work, "ftp"), ftp_port)
    finally:
        for proc in procs:
            if proc.poll() is None:
                proc.terminate()
                proc.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


def run_scenario(desk, args, base, storage, program, ftp_root, ftp_port):
    write_ini(os.path.join(desk.windows_dir, "ORVEL.INI"), ftp_port)
    log = lambda: fetch(base + "/fake/log")  # noqa: E731
    shot = lambda name: desk.screenshot(os.path.join(args.artifact_dir, f"scenario-{name}.png"))  # noqa: E731
    drive = lambda *argv: desk.wine(args.driver, *argv).returncode == 0  # noqa: E731
    orvel = desk.start(["wine", os.path.join(program, "Orvel.exe")])
    files = os.path.join(storage, "internal", "files")

    def fail(what):
        desk.screenshot(os.path.join(args.artifact_dir, "scenario-failed.png"), check=False)
        raise AssertionError(f"{what}; service log:\n{log()}")

    # 1. Logged in, "My PC" up with the two Remote rows.
    if not wait_for(lambda: "commend=dnlists userid=demo" in log(), 90):
        fail("no channel list was asked for")
    if not drive("wait", "My PC", "30000"):
        fail("My PC did not show")
    rows = desk.wine(args.driver, "list-rows", "My PC", "위치", "20000").stdout.decode("utf-8", "replace").split()
    if sorted(rows) != sorted(FILES):
        fail(f"the channel panel lists {rows}")
    time.sleep(1.0)
    shot("1-mypc")

    # 2. Both rows ticked, then the sync button.
    if not drive("list-check", "My PC", "위치", *FILES):
        fail("the rows could not be ticked")
    time.sleep(0.5)
    shot("2-ticked")
    if not drive("click", "My PC", " 싱크하기"):
        fail("no sync button")
    if not wait_for(lambda: "commend=syncreq" in log(), 30):
        fail("no sync request")
    if not drive("wait", "싱크", "20000"):
        fail("the sync dialog did not show")
    shot("3-sync")

    # 3. The files on the player as the service serves them.
    done = lambda: all(os.path.exists(os.path.join(files, n)) for n in FILES.values())  # noqa: E731
    if not wait_for(done, 120):
        fail(f"the player did not receive both files ({os.listdir(files) if os.path.isdir(files) else []})")
    if not drive("wait", "My PC", "60000"):
        fail("My PC did not come back after the sync")
    for served, written in FILES.items():
        expected = fetch_bytes(f"{base}/OrvelContent/file?userid=demo&name={urllib.parse.quote(served)}")
        with open(os.path.join(files, written), "rb") as f:
            got = f.read()
        assert got == expected, f"{written}: {len(got)} bytes on the player, {len(expected)} served"

    # 4. One of them deleted on the player: its row in the player list, the
    # player panel's delete button (the second "삭제" of the window), OK.
    gone = "weather0101.mp3"
    player_rows = desk.wine(args.driver, "list-rows", "My PC", "상태", "20000").stdout.decode("utf-8", "replace")
    if gone not in player_rows.split():
        fail(f"the player list shows {player_rows.split()}")
    if not drive("list-select", "My PC", "상태", gone) or not drive("click", "My PC", "삭제", "2"):
        fail("the player row could not be deleted")
    if not drive("box", "파일 삭제하기", "20000"):
        fail("no delete question")
    shot("4-delete")
    if not drive("box-ok", "파일 삭제하기"):
        fail("the delete question did not take OK")
    if not wait_for(lambda: not os.path.exists(os.path.join(files, gone)), 30):
        fail(f"{gone} is still on the player")
    assert os.path.exists(os.path.join(files, "news012.mp3")), "the other file went too"

    # 5. The update: a digest that does not match first.
    digest_file = os.path.join(ftp_root, "Orvel", "Moltree", "setup.exe.sha256")
    with open(digest_file) as f:
        right_digest = f.read()
    with open(digest_file, "w") as f:
        f.write(hashlib.sha256(b"another file").hexdigest() + "  setup.exe\n")
    if not drive("menu", "My PC", "f", "u"):
        fail("the menu did not take 파일(&F) / 업데이트(&U)")
    refused = desk.wine(args.driver, "box", "업데이트", "60000")
    if refused.returncode != 0:
        fail("no word on the refused update")
    text = refused.stdout.decode("utf-8", "replace")
    assert "SHA-256" in text and "지웠습니다" in text, text
    shot("5-update-refused")
    if not drive("box-ok", "업데이트"):
        fail("the refusal did not take OK")
    assert not os.path.exists(os.path.join(program, "setup.exe")), "a file that failed its check was kept"
    assert orvel.poll() is None, "Orvel.exe ended after a refused update"

    # Then the right digest: fetched, checked, started; Orvel ends.
    with open(digest_file, "w") as f:
        f.write(right_digest)
    if not drive("menu", "My PC", "f", "u"):
        fail("the menu did not take 파일(&F) / 업데이트(&U)")
    if not drive("box", "업데이트", "60000"):
        fail("no update question")
    shot("6-update")
    setup = os.path.join(program, "setup.exe")
    with open(args.driver, "rb") as f:
        published = hashlib.sha256(f.read()).hexdigest()
    with open(setup, "rb") as f:
        assert hashlib.sha256(f.read()).hexdigest() == published, "setup.exe is not the published file"
    assert not [n for n in os.listdir(program) if n.endswith(".tmp")], os.listdir(program)
    if not drive("box-ok", "업데이트"):
        fail("the update question did not take OK")
    try:
        code = orvel.wait(timeout=60)
    except subprocess.TimeoutExpired:
        fail("Orvel.exe did not end for the update")
    assert code == 0, f"Orvel.exe ended with {code}"
    print(f"orvel_scenario_wine_test: ok, screenshots in {args.artifact_dir}")
    return 0


if __name__ == "__main__":
    main()
