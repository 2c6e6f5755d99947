#!/usr/bin/python3
"""Runs a command beside a simulated player.

Starts player-sim on a free port of 127.0.0.1 with a storage folder, runs the
command with PLAYER_LINK_BRIDGE=127.0.0.1:<port> (and PLAYER_SIM_STORAGE=<folder>)
in its environment, then stops the player. The exit status is the command's;
2 when the player did not start, 124 when the command ran out of time.

  run_with_player_sim.py --sim PATH --storage DIR [--fresh] [--timeout SECONDS]
                         [--sim-arg ARG]... -- COMMAND [ARG]...

--fresh empties the storage folder first; --sim-arg passes an argument on to
player-sim (faults, capacities; see PlayerSim.cpp).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--storage", required=True)
    parser.add_argument("--fresh", action="store_true")
    parser.add_argument("--timeout", type=float, default=300)
    parser.add_argument("--sim-arg", action="append", default=[])
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")

    storage = os.path.abspath(args.storage)
    if args.fresh:
        shutil.rmtree(storage, ignore_errors=True)
    os.makedirs(storage, exist_ok=True)

    with tempfile.TemporaryDirectory(prefix="player-sim-") as scratch:
        port_file = os.path.join(scratch, "port")
        lifetime = str(int(args.timeout) + 60)
        sim = subprocess.Popen(
            [args.sim, "--storage", storage, "--port-file", port_file, "--lifetime", lifetime] + args.sim_arg,
            stdout=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 15
            port = None
            while port is None and time.monotonic() < deadline and sim.poll() is None:
                try:
                    with open(port_file) as f:
                        port = int(f.read().strip())
                except (OSError, ValueError):
                    time.sleep(0.05)
            if port is None:
                print("run_with_player_sim: player-sim did not start", file=sys.stderr)
                return 2
            env = dict(os.environ, PLAYER_LINK_BRIDGE="127.0.0.1:%d" % port, PLAYER_SIM_STORAGE=storage)
            try:
                return subprocess.run(command, env=env, timeout=args.timeout).returncode
            except subprocess.TimeoutExpired:
                print("run_with_player_sim: %s ran out of time" % command[0], file=sys.stderr)
                return 124
        finally:
            sim.terminate()
            try:
                sim.wait(timeout=10)
            except subprocess.TimeoutExpired:
                sim.kill()
                sim.wait()


if __name__ == "__main__":
    sys.exit(main())
