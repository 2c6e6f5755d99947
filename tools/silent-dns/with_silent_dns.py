#!/usr/bin/python3
"""Runs a command where every host name lookup goes to a name server that
never answers, then cleans up.

  with_silent_dns.py [--timeout S] -- command ...

The command runs in a network and mount namespace of its own (unshare; as
root, or as a user where user namespaces are allowed): its loopback
interface is its own, a name server on 127.0.0.1 port 53 (UDP and TCP)
takes every query and answers none, and /etc/resolv.conf (with long resolver
time-outs: a lookup would wait 60 s and more) and the "hosts" line of
/etc/nsswitch.conf ("files dns") are the script's, seen by the command only.
So the system's resolver, as libcurl, the socket layer and Wine's WinINet
and Winsock use it, waits for a name as it does behind a dead name server,
and nothing outside the command is touched. Names in /etc/hosts
("localhost") and dotted addresses still work; servers the command needs
must run inside (start them from the command).

The command finds SILENT_DNS_SERVER=127.0.0.1 in its environment (tests
that need the silent server skip without it) and the number of queries
the server took so far in the file SILENT_DNS_LOG names (one line a query).
The command's exit code is the script's.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

INSIDE = "SILENT_DNS_INSIDE"


def reenter_in_namespaces(argv):
    """Starts this script again in new network and mount namespaces."""
    base = ["unshare", "--net", "--mount", "--propagation", "private"]
    attempts = [base] if os.geteuid() == 0 else [["unshare", "--user", "--map-root-user", "--net", "--mount",
                                                  "--propagation", "private"], base]
    env = dict(os.environ, **{INSIDE: "1"})
    last = None
    for prefix in attempts:
        try:
            probe = subprocess.run(prefix + ["true"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        except FileNotFoundError:
            sys.exit("with_silent_dns: unshare is not installed")
        if probe.returncode == 0:
            return subprocess.run(prefix + [sys.executable, os.path.abspath(__file__)] + argv, env=env).returncode
        last = probe.stderr.decode(errors="replace").strip()
    sys.exit(f"with_silent_dns: cannot make a network and mount namespace ({last})")


def loopback_up():
    # A second address beside 127.0.0.1: a lookup asking for configured
    # addresses only (AI_ADDRCONFIG) would fail at once on loopback alone.
    for step in (["ip", "link", "set", "lo", "up"], ["ip", "addr", "add", "192.0.2.53/32", "dev", "lo"]):
        if subprocess.run(step).returncode != 0:
            sys.exit("with_silent_dns: cannot set up the loopback interface")


def serve_silently(log_path):
    """Takes queries on 127.0.0.1:53 over UDP and TCP and answers none."""
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(("127.0.0.1", 53))
    tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    tcp.bind(("127.0.0.1", 53))
    tcp.listen(16)
    held = []
    lock = threading.Lock()

    def note():
        with lock, open(log_path, "a") as f:
            f.write("query\n")

    def take_udp():
        while True:
            try:
                udp.recvfrom(4096)
            except OSError:
                return
            note()

    def take_tcp():
        while True:
            try:
                connection, _ = tcp.accept()
            except OSError:
                return
            held.append(connection)  # kept open, never answered
            note()

    for target in (take_udp, take_tcp):
        threading.Thread(target=target, daemon=True).start()
    return udp, tcp


def bind_file(content, target, folder):
    path = os.path.join(folder, os.path.basename(target))
    with open(path, "w") as f:
        f.write(content)
    target = os.path.realpath(target)
    if not os.path.exists(target):
        sys.exit(f"with_silent_dns: {target} does not exist to be covered")
    if subprocess.run(["mount", "--bind", path, target]).returncode != 0:
        sys.exit(f"with_silent_dns: cannot cover {target}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=240)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    if os.environ.get(INSIDE) != "1":
        sys.exit(reenter_in_namespaces(sys.argv[1:]))

    loopback_up()
    folder = tempfile.mkdtemp(prefix="silent-dns-")
    try:
        log_path = os.path.join(folder, "queries")
        open(log_path, "w").close()
        sockets = serve_silently(log_path)
        bind_file("nameserver 127.0.0.1\noptions timeout:30 attempts:2\n", "/etc/resolv.conf", folder)
        bind_file("hosts: files dns\n", "/etc/nsswitch.conf", folder)
        env = dict(os.environ, SILENT_DNS_SERVER="127.0.0.1", SILENT_DNS_LOG=log_path)
        env.pop(INSIDE, None)
        try:
            status = subprocess.run(command, env=env, timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"with_silent_dns: the command did not end within {args.timeout} s", file=sys.stderr)
            status = 1
        for s in sockets:
            s.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
