#!/usr/bin/python3
"""What a user of Orvel.exe reads under Wine when the channel service is
stopped: the login and the "Zone보기" boxes give the Korean sentence, then
the detail line with WinINet's number and the server, and nothing of the
query. Screenshots of both boxes are kept as artifacts.

Two fake services: the zone directory, whose zones name the command
program of a second one, which is stopped before Orvel.exe starts. With
automatic login set, the start fetches the zone list, then the login
fails (first box). Then the zone directory is stopped too and "Zone보기"
asks it again (second box).

  orvel_errors_wine_test.py --orvel Orvel.exe --driver ui-driver.exe
                            --service fake-service --service-data FILE
                            --prefix DIR --source-dir DIR --artifact-dir DIR
"""
import argparse
import os
import re
import sys

from orvel_login_wine_test import start_server, write_ini

TITLE = "Tarnel For Corvane"
CONNECT_SENTENCE = "서비스에 연결할 수 없습니다. 인터넷 연결을 확인한 뒤 다시 시도해 주세요."


def stop(proc):
    if proc.poll() is None:
        proc.kill()
        proc.wait()


def expect_box(desk, driver, server, artifact):
    """Waits for the error box, keeps a screenshot, checks its text, presses OK."""
    shown = desk.wine(driver, "box", TITLE, "60000", timeout=90)
    if shown.returncode != 0:
        desk.screenshot(artifact + ".failed.png", check=False)
        raise AssertionError("no error box came up")
    desk.screenshot(artifact)
    text = shown.stdout.decode("utf-8", "replace").strip()
    lines = text.split("\n")
    assert len(lines) == 2, f"not a sentence and a detail line: {text!r}"
    assert lines[0] == CONNECT_SENTENCE, f"unexpected sentence: {lines[0]!r}"
    assert re.fullmatch(r"\(WinINet 오류 \d+, 서버 " + re.escape(server) + r"\)", lines[1]), \
        f"unexpected detail line: {lines[1]!r}"
    for secret in ("demo1234", "userid", "commend", "password", "?"):
        assert secret not in text, f"{secret!r} in the box: {text!r}"
    assert desk.wine(driver, "box-ok", TITLE).returncode == 0, "the box did not close"
    return text


def main():
    parser = argparse.ArgumentParser()
    for name in ("--orvel", "--driver", "--service", "--service-data", "--prefix", "--source-dir",
                 "--artifact-dir"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.source_dir, "tools", "wine-desktop"))
    import wine_desktop
    wine_desktop.run_test("orvel_errors_wine_test", lambda a: attempt(wine_desktop, a), args)


def attempt(wine_desktop, args):
    procs = []
    try:
        # The zones' command program: started for a port of its own, then stopped.
        command, command_port = start_server([args.service, "--data", args.service_data, "--lifetime", "60"])
        stop(command)
        command_server = f"127.0.0.1:{command_port}"
        os.makedirs(args.artifact_dir, exist_ok=True)
        data = os.path.join(args.artifact_dir, "errors-service.txt")
        with open(args.service_data, encoding="utf-8") as f:
            text = f.read().replace("{self}", command_server)
        with open(data, "w", encoding="utf-8") as f:
            f.write(text)
        directory, directory_port = start_server([args.service, "--data", data, "--lifetime", "400"])
        procs.append(directory)
        extra = {"LC_ALL": "ko_KR.UTF-8", "ORVEL_ZONE_DIRECTORY": f"http://127.0.0.1:{directory_port}"}
        with wine_desktop.WineDesktop(args.prefix, args.source_dir, extra) as desk:
            write_ini(os.path.join(desk.windows_dir, "ORVEL.INI"), "Tarnel 서울", "demo", "demo1234")
            orvel = desk.start(["wine", args.orvel])
            expect_box(desk, args.driver, command_server, os.path.join(args.artifact_dir, "orvel-login-error.png"))
            # The failed login leaves the login form up.
            if desk.wine(args.driver, "wait", "로그인", "10000").returncode != 0:
                desk.screenshot(os.path.join(args.artifact_dir, "orvel-errors.failed.png"), check=False)
                raise AssertionError("no login form after the failed login")
            stop(directory)
            assert desk.wine(args.driver, "click", "로그인", "Zone보기").returncode == 0, "no Zone보기 button"
            expect_box(desk, args.driver, f"127.0.0.1:{directory_port}",
                       os.path.join(args.artifact_dir, "orvel-zone-error.png"))
            desk.wine(args.driver, "close", "Tarnel")
            assert orvel.wait(timeout=30) == 0, "Orvel.exe did not end cleanly"
        print(f"orvel_errors_wine_test: ok, screenshots in {args.artifact_dir}")
        return 0
    finally:
        for proc in procs:
            stop(proc)


if __name__ == "__main__":
    main()
