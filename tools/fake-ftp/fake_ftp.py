#!/usr/bin/python3
"""A local FTP server for the tray client's update download (pyftpdlib, one
thread per connection), on 127.0.0.1 only. Prints "port N" on its first
line of output once it listens.

  fake_ftp.py --root DIR [--user orveluser --password fowlmetk]
              [--publish FILE [--remote Orvel/Moltree/setup.exe]]
              [--wrong-hash] [--no-hash] [--size-lie N] [--stall-seconds S]
              [--control FILE] [--lifetime S] [--port-file FILE]

--publish copies FILE to <root>/<remote> and writes its SHA-256 beside it
as "<remote>.sha256" ("<64 hex digits>  <name>", as sha256sum writes it).
Faults: --wrong-hash publishes the digest of other bytes; --no-hash leaves
the digest file out; --size-lie N answers SIZE with N bytes more than the
file has; --stall-seconds S waits S seconds before a RETR sends anything.
A control file, when given and present, sets the two last faults for the
next commands, one a line: "size-lie N", "stall-seconds S" (tests switch
them while the server runs), and two more: "no-epsv 1" refuses EPSV (the
client falls back to PASV), "pasv-address A.B.C.D" names that address in
the PASV reply in place of the server's own (a hostile reply that would
send the data connection elsewhere).
The server ends by itself after --lifetime seconds (default 600).
"""
import argparse
import hashlib
import os
import shutil
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer


def publish(root, source, remote, wrong_hash, no_hash):
    target = os.path.join(root, *remote.split("/"))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(source, target)
    digest_file = target + ".sha256"
    if no_hash:
        if os.path.exists(digest_file):
            os.remove(digest_file)
        return
    with open(source, "rb") as f:
        data = f.read()
    if wrong_hash:
        data += b"\0"
    with open(digest_file, "w") as f:
        f.write(f"{hashlib.sha256(data).hexdigest()}  {os.path.basename(target)}\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="orveluser")
    parser.add_argument("--password", default="fowlmetk")
    parser.add_argument("--publish")
    parser.add_argument("--remote", default="Orvel/Moltree/setup.exe")
    parser.add_argument("--wrong-hash", action="store_true")
    parser.add_argument("--no-hash", action="store_true")
    parser.add_argument("--size-lie", type=int, default=0)
    parser.add_argument("--stall-seconds", type=float, default=0)
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("--port-file")
    parser.add_argument("--control")
    args = parser.parse_args()

    os.makedirs(args.root, exist_ok=True)
    if args.publish:
        publish(args.root, args.publish, args.remote, args.wrong_hash, args.no_hash)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")

    def faults():
        found = {"size-lie": args.size_lie, "stall-seconds": args.stall_seconds, "no-epsv": 0,
                 "pasv-address": None}
        try:
            with open(args.control) as f:
                for line in f:
                    parts = line.split()
                    if len(parts) == 2 and parts[0] == "pasv-address":
                        found[parts[0]] = parts[1]
                    elif len(parts) == 2 and parts[0] in found:
                        found[parts[0]] = float(parts[1])
        except (OSError, TypeError, ValueError):
            pass
        return found

    class Handler(FTPHandler):
        def ftp_SIZE(self, path):
            lie = int(faults()["size-lie"])
            if lie:
                try:
                    size = os.path.getsize(path)
                except OSError:
                    return FTPHandler.ftp_SIZE(self, path)
                self.respond(f"213 {size + lie}")
                return None
            return FTPHandler.ftp_SIZE(self, path)

        def ftp_EPSV(self, line):
            if faults()["no-epsv"]:
                self.respond("502 EPSV not implemented.")
                return None
            return FTPHandler.ftp_EPSV(self, line)

        def ftp_PASV(self, line):
            self.masquerade_address = faults()["pasv-address"]
            return FTPHandler.ftp_PASV(self, line)

        def ftp_RETR(self, file):
            stall = faults()["stall-seconds"]
            if stall:
                time.sleep(stall)
            return FTPHandler.ftp_RETR(self, file)

    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.banner = "fake ftp ready"
    Handler.auth_failed_timeout = 0.2
    server = ThreadedFTPServer(("127.0.0.1", 0), Handler)
    port = server.socket.getsockname()[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(f"{port}\n")
        os.replace(args.port_file + ".tmp", args.port_file)
    print(f"port {port}", flush=True)
    timer = threading.Timer(args.lifetime, server.close_all)
    timer.daemon = True
    timer.start()
    try:
        server.serve_forever(handle_exit=True)
    finally:
        timer.cancel()


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    main()
