#!/usr/bin/python3
"""Runs a command beside the local FTP server (fake_ftp.py), then stops it.

  with_fake_ftp.py [--timeout S] -- command ...

The server serves a fresh folder; the command finds the server's port in
FAKE_FTP_PORT and the folder in FAKE_FTP_ROOT, as a Windows path for a
program under Wine ("Z:" and the Linux path): its files go under "files"
there, and a file "control" there switches the server's faults (see
fake_ftp.py). The command's exit code is the script's.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=240)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    root = tempfile.mkdtemp(prefix="fake-ftp-")
    os.makedirs(os.path.join(root, "files"))
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_ftp.py")
    server = subprocess.Popen(["/usr/bin/python3", script, "--root", os.path.join(root, "files"), "--control",
                               os.path.join(root, "control"), "--lifetime", str(int(args.timeout) + 30)],
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    try:
        line = server.stdout.readline().decode("ascii", "replace").strip()
        if not line.startswith("port "):
            sys.exit(f"with_fake_ftp: the server did not report its port ({line!r})")
        env = dict(os.environ, FAKE_FTP_PORT=line.split()[1], FAKE_FTP_ROOT="Z:" + root)
        try:
            status = subprocess.run(command, env=env, timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"with_fake_ftp: the command did not end within {args.timeout} s", file=sys.stderr)
            status = 1
    finally:
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
        shutil.rmtree(root, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
