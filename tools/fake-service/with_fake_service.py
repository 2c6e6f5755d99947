#!/usr/bin/python3
"""Runs a command beside a fake channel service (and, when asked, the fake
member database), then stops them.

  with_fake_service.py --service PATH --data FILE [--member-db PATH --member-data FILE]
                       [--register DLL] [--stall-seconds S] [--timeout S] -- command ...

The command finds the service's port in FAKE_SERVICE_PORT, the zone
directory in ORVEL_ZONE_DIRECTORY and the member database's port in
MEMBER_DB_PORT (and, for the member library, DASTREL_SERVER). --register
registers a COM server DLL with Wine's regsvr32 for the run and removes it
afterwards. The command's exit code is the script's; every process is
ended within --timeout seconds (default 240).
"""
import argparse
import os
import shutil
import subprocess
import sys
import time


def start(argv, what):
    proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    deadline = time.monotonic() + 15
    line = b""
    while time.monotonic() < deadline:
        line = proc.stdout.readline()
        if line or proc.poll() is not None:
            break
    text = line.decode("ascii", "replace").strip()
    if not text.lower().startswith("port "):
        proc.kill()
        proc.wait()
        sys.exit(f"with_fake_service: {what} did not report its port ({text!r})")
    return proc, int(text.split()[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--member-db")
    parser.add_argument("--member-data")
    parser.add_argument("--register")
    parser.add_argument("--stall-seconds", default="2")
    parser.add_argument("--timeout", type=float, default=240)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")

    lifetime = str(int(args.timeout) + 30)
    procs = []
    env = dict(os.environ)
    try:
        service, port = start([args.service, "--data", args.data, "--lifetime", lifetime,
                               "--stall-seconds", args.stall_seconds], "fake-service")
        procs.append(service)
        env["FAKE_SERVICE_PORT"] = str(port)
        env["ORVEL_ZONE_DIRECTORY"] = f"http://127.0.0.1:{port}"
        if args.member_db:
            member_db, member_port = start([args.member_db, "--data", args.member_data,
                                            "--lifetime", lifetime], "member-db-server")
            procs.append(member_db)
            env["MEMBER_DB_PORT"] = str(member_port)
            env["DASTREL_SERVER"] = f"127.0.0.1:{member_port}"
        if args.register:
            wine = shutil.which("wine") or "wine"
            dll = "Z:" + os.path.abspath(args.register)
            if subprocess.run([wine, "regsvr32", "/s", dll], env=env, timeout=120).returncode != 0:
                print(f"with_fake_service: regsvr32 {dll} failed", file=sys.stderr)
                return 1
            procs.append(("unregister", [wine, "regsvr32", "/u", "/s", dll], env))
        try:
            return subprocess.run(command, env=env, timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"with_fake_service: {command[0]} ran longer than {args.timeout} s", file=sys.stderr)
            return 1
    finally:
        for proc in reversed(procs):
            if isinstance(proc, tuple):
                subprocess.run(proc[1], env=proc[2], timeout=120)
                continue
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


if __name__ == "__main__":
    sys.exit(main())
