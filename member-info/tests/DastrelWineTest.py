#!/usr/bin/python3
"""Dastrel.dll registered, used and unregistered under Wine.

Starts the fake member database server, points the library at it
(DASTREL_SERVER), then: the test program's Direct suite, regsvr32 /s, its
Registered suite, a late-bound VBScript client under cscript, regsvr32 /u /s
and its Unregistered suite. Everything runs in the Korean code page
(LC_ALL=ko_KR.UTF-8). Whatever fails, the DLL is unregistered and the server
stopped before the script ends, and every step is bounded in time.
"""
import argparse
import os
import subprocess
import sys

STEP_SECONDS = 120


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--wine", required=True)
    p.add_argument("--dll", required=True)
    p.add_argument("--test-exe", required=True)
    p.add_argument("--vbs", required=True)
    p.add_argument("--server", required=True)
    p.add_argument("--data", required=True)
    a = p.parse_args()

    server = subprocess.Popen([a.server, "--data", a.data, "--lifetime", "300"],
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    registered = False
    env = dict(os.environ, LC_ALL="ko_KR.UTF-8")
    failures = []

    def run(name, args, cwd=None):
        print("--- " + name, flush=True)
        r = subprocess.run([a.wine] + args, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=STEP_SECONDS)
        # The Windows programs write in the process code page, 949 here.
        r.stdout = r.stdout.decode("cp949", errors="replace")
        sys.stdout.write(r.stdout)
        if r.returncode != 0:
            failures.append("%s (exit code %d)" % (name, r.returncode))
        return r

    dll = windows_path(a.dll)
    try:
        line = server.stdout.readline()
        if not line.startswith("PORT "):
            print("member-db-server did not report its port: %r" % line)
            return 1
        env["DASTREL_SERVER"] = "127.0.0.1:" + line.split()[1]

        run("direct use", [a.test_exe, "--gtest_filter=Direct.*"])
        if run("regsvr32 /s", ["regsvr32", "/s", dll]).returncode == 0:
            registered = True
            run("activation by ProgID and CLSID", [a.test_exe, "--gtest_filter=Registered.*"])
            # //B: WScript.Echo writes to stdout instead of a message box; a
            # script error is silent then, so the script must say "OK".
            vbs = run("cscript", ["cscript", "//nologo", "//B", os.path.basename(a.vbs)], cwd=os.path.dirname(a.vbs))
            lines = vbs.stdout.splitlines()
            if "OK" not in lines:
                failures.append("cscript did not report OK")
            if "HOBBY=음악 감상" not in lines:
                failures.append("the Hangul field did not reach the script intact")
            if run("regsvr32 /u /s", ["regsvr32", "/u", "/s", dll]).returncode == 0:
                registered = False
                run("keys gone", [a.test_exe, "--gtest_filter=Unregistered.*"])
    finally:
        if registered:
            subprocess.run([a.wine, "regsvr32", "/u", "/s", dll], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP_SECONDS)
        server.terminate()
        server.wait(timeout=10)

    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
