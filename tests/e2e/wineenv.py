"""A throw-away 64-bit Wine prefix on a private Xvfb display, set up so that Windows
programs see the ANSI code page 932 and draw Japanese text.

Wine facts this leans on: the prefix must be created under LANG=ja_JP.UTF-8 for code page
932 and Japanese fonts; a new prefix links Documents, Desktop... to the real home folder,
which the tests must never touch; wineserver and explorer outlive the command that started
them and inherit its pipes, so no wine command here is ever given a pipe.
"""

import os
import select
import shutil
import signal
import subprocess
import time
from pathlib import Path

WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
LOCALE = "ja_JP.UTF-8"
SCREEN = "1024x768"


class WineError(Exception):
    pass


def check_host():
    """Fails early, with the fix, when the machine lacks something the prefix needs."""
    for tool in (WINE64, WINESERVER, shutil.which("Xvfb")):
        if not tool or not os.access(tool, os.X_OK):
            raise WineError(f"missing {tool or 'Xvfb'}: run scripts/install-deps.sh")
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
    if "ja_jp.utf8" not in locales.split():
        raise WineError("locale ja_JP.UTF-8 is not generated: run scripts/install-deps.sh")


class WineEnv:
    """Xvfb, wineserver and the prefix under `root`; use as a context manager."""

    def __init__(self, root, keep=False, log=print):
        self.root = Path(root).resolve()
        self.prefix = self.root / "prefix"
        self.logs = self.root / "logs"
        self.keep = keep
        self.log = log
        self._xvfb = None
        self._server_started = False
        self.env = None

    # -- life cycle ---------------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        check_host()
        started = time.monotonic()
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        self.prefix.mkdir(parents=True)
        if self.logs.exists():
            shutil.rmtree(self.logs)
        self.logs.mkdir(parents=True)
        display = self._start_xvfb()
        self.env = self._wine_environment(display)
        self._start_server()
        self.run(["wineboot", "-i"], timeout=180, log="wineboot")
        self._configure()
        self._restart_server()
        self._detach_user_folders()
        self.log(f"wine prefix ready in {time.monotonic() - started:.1f} s: {self.prefix}")

    def stop(self):
        if self._server_started:
            self._stop_server()
        if self._xvfb:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
            self._xvfb = None
        if not self.keep and self.prefix.exists():
            shutil.rmtree(self.prefix, ignore_errors=True)

    # -- running Windows programs --------------------------------------------------------

    def run(self, args, timeout, log):
        """Runs `wine64 args...`, its output appended to `log` (a Path, or a name for
        logs/<name>.log). Returns the exit code, or None when it was killed after `timeout`
        seconds."""
        log = log if isinstance(log, Path) else self.logs / f"{log}.log"
        with open(log, "ab") as out:
            proc = subprocess.Popen([WINE64] + [str(a) for a in args], env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                    start_new_session=True)
            try:
                return proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
                return None

    def reg(self, *args):
        """`reg ARGS...` inside the prefix; returns reg's exit code."""
        return self.run(["reg"] + list(args), timeout=60, log="reg")

    # -- paths ---------------------------------------------------------------------------

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def host_path(self, windows_path):
        """Where a C:\\ path of the prefix lies on this machine."""
        if not windows_path[:3].upper() == "C:\\":
            raise ValueError(f"not on drive C: {windows_path}")
        parts = [p for p in windows_path[3:].split("\\") if p]
        return self.drive_c.joinpath(*parts)

    @staticmethod
    def windows_path(host_path):
        """A host path as Wine's drive Z: shows it."""
        return "Z:" + str(Path(host_path).resolve()).replace("/", "\\")

    # -- set-up steps --------------------------------------------------------------------

    def _start_xvfb(self):
        # -displayfd lets Xvfb pick a free display and tell us which, with no race.
        read_fd, write_fd = os.pipe()
        with open(self.logs / "xvfb.log", "wb") as out:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", SCREEN + "x24",
                 "-nolisten", "tcp"],
                pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                start_new_session=True)
        os.close(write_fd)
        try:
            number = b""
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_fd], [], [], left)[0]:
                    raise WineError("Xvfb did not start (see logs/xvfb.log)")
                chunk = os.read(read_fd, 16)
                if not chunk:
                    raise WineError("Xvfb ended at start (see logs/xvfb.log)")
                number += chunk
        finally:
            os.close(read_fd)
        return ":" + number.decode().strip()

    def _wine_environment(self, display):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE"))}
        env.update({
            "DISPLAY": display,
            "LANG": LOCALE,
            "LC_ALL": LOCALE,
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": "win64",
            "WINESERVER": WINESERVER,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer dialogs, and no menu entries in the real home.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        })
        return env

    def _server(self, flag):
        try:
            return subprocess.run([WINESERVER, flag], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  timeout=60).returncode
        except subprocess.TimeoutExpired:
            return None

    def _start_server(self):
        # A persistent server saves the start-up of one for every command.
        if self._server("-p") != 0:
            raise WineError("wineserver did not start")
        self._server_started = True

    def _stop_server(self):
        # Ends every process of this prefix (and only of this prefix), then the server.
        self._server("-k")
        self._server("-w")
        self._server_started = False

    def _restart_server(self):
        # Saves the registry and lets the next program start in the new configuration.
        self._stop_server()
        self._start_server()

    def _configure(self):
        # Without a window manager on Xvfb nobody draws title bars; in a virtual desktop
        # Wine draws the whole box itself, caption included, so screenshots show it.
        self.reg("add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
        self.reg("add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default",
                 "/d", SCREEN, "/f")
        # A crashing program ends at once instead of waiting behind a crash dialog.
        self.reg("add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                 "/t", "REG_DWORD", "/d", "0", "/f")

    def _detach_user_folders(self):
        # Save files get deleted in Documents: it must be the prefix's own folder.
        for user in self.drive_c.joinpath("users").iterdir():
            if not user.is_dir() or user.is_symlink():
                continue
            for entry in user.iterdir():
                if entry.is_symlink():
                    entry.unlink()
                    entry.mkdir()
