"""A Wine desktop of a test's own: an Xvfb server (display chosen with
-displayfd, so tests never collide on a number) and a fresh Wine prefix with
the 1024x768 Wine desktop, for tests that need the notification area or a
screenshot.

    with WineDesktop(prefix, source_dir) as desk:
        proc = desk.start(["wine", "Orvel.exe"])
        desk.wine("ui-driver.exe", "wait", "Config", "20000")
        desk.screenshot("shot.png")

Everything started through the desktop ends with it: the processes, the
prefix's Wine server and the X server. The prefix (some 700 MB) is removed
as well unless the block ended with an exception or KEEP_WINE_PREFIX is
set: every run makes a fresh one, and a test run holds a dozen of them.
"""
import os
import shutil
import subprocess
import sys
import time


class WineDesktop:
    def __init__(self, prefix, source_dir, extra_env=None):
        self.prefix = prefix
        self.source_dir = source_dir
        self.extra_env = dict(extra_env or {})
        self.env = dict(os.environ)
        self.procs = []
        self.xvfb = None
        self.read_fd = None

    def __enter__(self):
        try:
            self._start_display()
            self.env["WINEPREFIX"] = self.prefix
            # As scripts/wine-env sets them, for runs outside scripts/test.
            self.env.setdefault("WINEARCH", "win64")
            self.env.setdefault("WINEDEBUG", "-all")
            self.env.setdefault("WINEDLLOVERRIDES", "mscoree=;mshtml=;winemenubuilder.exe=")
            self.env.update(self.extra_env)
            # A fresh prefix every time, so nothing of an earlier run (its
            # server, its desktop, its settings) carries over; wine-prefix
            # also ends a server left from an interrupted run.
            subprocess.run([os.path.join(self.source_dir, "scripts", "wine-prefix"), "xvfb"], env=self.env,
                           check=True, stdout=subprocess.DEVNULL, timeout=180)
            # Bring the prefix's server, services and desktop up with one
            # program before the test starts several at once: concurrent
            # first starts in a fresh prefix now and then hang.
            subprocess.run(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            subprocess.run(["wine", "reg", "query", "HKCU\\Software\\Wine"], env=self.env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=120)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_display(self):
        self.read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(self.read_fd, 16)
            if not chunk:
                break
            number += chunk
        assert number.strip(), "Xvfb did not report its display"
        self.env["DISPLAY"] = ":" + number.decode().strip()

    @property
    def windows_dir(self):
        return os.path.join(self.prefix, "drive_c", "windows")

    def start(self, argv, **kwargs):
        """Starts a process that ends with the desktop at the latest."""
        proc = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, **kwargs)
        self.procs.append(proc)
        return proc

    def wine(self, *argv, timeout=60):
        """Runs a helper program (ui-driver, regsvr32) to its end. Under a
        UTF-8 locale of the host, so Wine hands its arguments (a Korean
        caption) to the program as written: the programs' own locale may
        name one the host does not have, and then Wine reads the arguments
        as ASCII."""
        env = dict(self.env, LC_ALL="C.UTF-8")
        return subprocess.run(["wine", *argv], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=timeout)

    def close_window(self, driver, caption, proc, seconds=60):
        """Asks the window of that caption to close (ui-driver close) every
        two seconds until proc ends or `seconds` pass."""
        deadline = time.monotonic() + seconds
        while proc.poll() is None and time.monotonic() < deadline:
            self.wine(driver, "close", caption)
            try:
                proc.wait(timeout=2)
            except subprocess.TimeoutExpired:
                pass

    def screenshot(self, path, check=True):
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=check, timeout=60)

    def __exit__(self, exc_type, exc, tb):
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        if "WINEPREFIX" in self.env:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if self.read_fd is not None:
            os.close(self.read_fd)
            self.read_fd = None
        if exc_type is None and not os.environ.get("KEEP_WINE_PREFIX"):
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False


def wait_until(what, seconds, check):
    """Polls check() every half second; AssertionError(what) when it is
    still false after `seconds`."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.5)
    raise AssertionError(what)


def windows_path(path):
    """The Wine path (drive Z:) of a host path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


FAILURES = (AssertionError, subprocess.SubprocessError, OSError)


def run_test(name, attempt, args):
    """Runs attempt(args), once more on a fresh display and prefix when the
    first try fails (the Wine desktop's first start on a busy machine now
    and then does not come up), and exits with the test's status."""
    try:
        try:
            status = attempt(args)
        except FAILURES as error:
            print(f"{name}: first try failed ({error}); trying again", file=sys.stderr)
            status = attempt(args)
    except FAILURES as error:
        print(f"{name}: {error}", file=sys.stderr)
        status = 1
    sys.exit(status)
