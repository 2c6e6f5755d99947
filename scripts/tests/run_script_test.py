#!/usr/bin/python3
"""scripts/run's refusals, which come before anything is built or started:
a display that does not answer, a demo that already runs (and a lock left
by one that was killed), an unknown mode. The script runs from a copy in a
scratch checkout of its own, so its lock never meets a real demo's.

  run_script_test.py --source-dir DIR --scratch DIR
"""
import argparse
import os
import shutil
import subprocess
import sys


def run(root, *args, display=":1999"):
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run([os.path.join(root, "scripts", "run"), *args], env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60, text=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--scratch", required=True)
    args = parser.parse_args()
    root = os.path.abspath(args.scratch)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "scripts"))
    shutil.copy(os.path.join(args.source_dir, "scripts", "run"), os.path.join(root, "scripts", "run"))
    lock = os.path.join(root, "build", "run.lock")

    # No X server on the display named: said at once, nothing left behind.
    r = run(root, "halvern")
    assert r.returncode == 1, f"exit {r.returncode}: {r.stderr}"
    assert "no X server answers on DISPLAY=:1999" in r.stderr, r.stderr
    assert not os.path.exists(lock), "the lock outlived the run"

    # A demo that runs: the second one is refused and leaves its lock alone.
    other = subprocess.Popen(["sleep", "60"])
    try:
        os.makedirs(lock)
        with open(os.path.join(lock, "pid"), "w") as f:
            f.write(f"{other.pid}\n")
        for mode in ((), ("vantu",), ("halvern",)):
            r = run(root, *mode)
            assert r.returncode == 1, f"{mode}: exit {r.returncode}: {r.stderr}"
            assert f"another scripts/run is running (process {other.pid})" in r.stderr, r.stderr
            with open(os.path.join(lock, "pid")) as f:
                assert f.read().strip() == str(other.pid), "the running demo's lock was taken"
    finally:
        other.kill()
        other.wait()

    # The lock of a run that was killed: taken over, then given up at the end.
    r = run(root, "halvern")
    assert "another scripts/run" not in r.stderr, r.stderr
    assert "no X server answers" in r.stderr, r.stderr
    assert not os.path.exists(lock), "the stale lock was left"

    r = run(root, "orvel-typo")
    assert r.returncode == 2 and "usage: scripts/run" in r.stderr, r.stderr
    print("run_script_test: ok")
    shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
