#!/usr/bin/python3
"""Orvel.exe's "My PC" with the native simulated player through the bridge,
on a Wine desktop of its own. The player starts with one file on it; My
PC shows at start (working without login). The test checks that the
player's file is listed, saves a screenshot, sends a file from the Wine
user's desktop to the player ("보내기") and checks that it arrived byte for
byte, then reads both player files back onto the desktop ("받기") and
compares them with the originals.

  orvel_mypc_wine_test.py --orvel Orvel.exe --driver ui-driver.exe --player-sim player-sim
                          --prefix DIR --source-dir DIR --artifact PNG
"""
import argparse
import getpass
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

PLAYER_NAME = "노래 하나.mp3"  # on the player from the start, stored as "C:\음악\노래 하나.mp3"
SENT_NAME = "보낼 곡.mp3"


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--player-sim", "--prefix", "--source-dir", "--artifact"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_mypc_wine_test", lambda a: attempt(wine_desktop, a), args)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def player_files(storage):
    """The bytes of every file the simulated player holds, by key."""
    folder = os.path.join(storage, "internal", "files")
    if not os.path.isdir(folder):
        return {}
    return {name: read(os.path.join(folder, name)) for name in os.listdir(folder)}


def wait_for(what, condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.2)
    raise AssertionError(what)


class PlayerSim:
    """player-sim on a free port with a storage folder of its own."""

    def __init__(self, path, scratch, seeds):
        self.storage = os.path.join(scratch, "player")
        port_file = os.path.join(scratch, "port")
        argv = [path, "--storage", self.storage, "--port-file", port_file, "--lifetime", "600"]
        for name, file in seeds:
            argv += ["--add", "internal:%s=%s" % (name, file)]
        self.proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        self.port = None
        while self.port is None and time.monotonic() < deadline and self.proc.poll() is None:
            try:
                with open(port_file) as f:
                    self.port = int(f.read().strip())
            except (OSError, ValueError):
                time.sleep(0.05)
        if self.port is None:
            self.stop()
            raise AssertionError("player-sim did not start")

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def attempt(wine_desktop, args):
    with tempfile.TemporaryDirectory(prefix="orvel-mypc-") as scratch:
        rng = random.Random(1234)
        player_file = os.path.join(scratch, "on-player.bin")
        pc_file = os.path.join(scratch, SENT_NAME)
        with open(player_file, "wb") as f:
            f.write(bytes(rng.getrandbits(8) for _ in range(100000)))
        with open(pc_file, "wb") as f:
            f.write(bytes(rng.getrandbits(8) for _ in range(300001)))
        sim = PlayerSim(args.player_sim, scratch, [("C:\\음악\\" + PLAYER_NAME, player_file)])
        try:
            return run(wine_desktop, args, sim, player_file, pc_file)
        finally:
            sim.stop()


def run(wine_desktop, args, sim, player_file, pc_file):
    bridge = {"PLAYER_LINK_BRIDGE": "127.0.0.1:%d" % sim.port}
    with wine_desktop.WineDesktop(args.prefix, args.source_dir, extra_env=bridge) as desk:
        with open(os.path.join(desk.windows_dir, "ORVEL.INI"), "wb") as f:
            f.write(b"[STARTOPTION]\r\nLOCALONLY=1\r\n")
        # The prefix links the user's desktop to the host's home: give it a
        # folder of its own, which My PC lists as its root.
        desktop = os.path.join(args.prefix, "drive_c", "users", getpass.getuser(), "Desktop")
        if os.path.islink(desktop):
            os.unlink(desktop)
        shutil.rmtree(desktop, ignore_errors=True)
        os.makedirs(desktop)
        sent = SENT_NAME
        shutil.copyfile(pc_file, os.path.join(desktop, sent))

        def driver(*argv, timeout=60):
            return desk.wine(args.driver, *argv, timeout=timeout)

        def fail(message):
            desk.screenshot(args.artifact + ".failed.png", check=False)
            raise AssertionError(message)

        orvel = desk.start(["wine", args.orvel])
        if driver("wait", "My PC", "60000", timeout=70).returncode != 0:
            fail("My PC did not come up")
        rows = driver("list-rows", "My PC", "상태", "20000")
        if rows.returncode != 0 or PLAYER_NAME not in rows.stdout.decode("utf-8", "replace").splitlines():
            fail("the player's file is not listed: %r" % rows.stdout)
        time.sleep(1.0)  # let it paint
        desk.screenshot(args.artifact)
        assert os.path.getsize(args.artifact) > 2000, "the screenshot is empty"

        # PC to player.
        wait_for("the PC file is not listed",
                 lambda: driver("list-select", "My PC", "종류", sent).returncode == 0, 20)
        if driver("click", "My PC", "보내기").returncode != 0:
            fail("no button 보내기")
        driver("wait", "파일 다운로드", "10000")
        if driver("wait-gone", "파일 다운로드", "60000", timeout=70).returncode != 0:
            fail("the transfer dialog did not finish")
        original = read(pc_file)
        wait_for("the file did not arrive on the player byte for byte",
                 lambda: original in player_files(sim.storage).values(), 20)

        # Player to PC: both files back onto the desktop, under their names.
        os.remove(os.path.join(desktop, sent))
        wait_for("the player list does not show the file sent",
                 lambda: sent in driver("list-rows", "My PC", "상태").stdout.decode("utf-8", "replace").splitlines(),
                 20)
        if driver("list-select", "My PC", "상태", sent, PLAYER_NAME).returncode != 0:
            fail("the player's rows cannot be selected")
        if driver("click", "My PC", "받기").returncode != 0:
            fail("no button 받기")
        driver("wait", "파일 업로드", "10000")
        if driver("wait-gone", "파일 업로드", "60000", timeout=70).returncode != 0:
            fail("the transfer dialog did not finish")
        back = os.path.join(desktop, sent)
        wait_for("the file sent did not come back", lambda: os.path.exists(back), 10)
        assert read(back) == original, "the file read back differs from the one sent"
        assert read(os.path.join(desktop, PLAYER_NAME)) == read(player_file), \
            "the player's own file read back differs"
        leftovers = [n for n in os.listdir(desktop) if n.endswith(".tmp")]
        assert not leftovers, "temporary files left: %r" % leftovers

        driver("close", "Tarnel")
        assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
        print(f"orvel_mypc_wine_test: ok, screenshot {args.artifact}")
        return 0


if __name__ == "__main__":
    main()
