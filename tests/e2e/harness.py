"""Runs one scenario against the real Updater.exe: lays out the machine, sets the registry,
lets e2e_driver.exe run the updater and answer its boxes, and gathers what happened."""

import shutil
import time
from dataclasses import dataclass
from pathlib import Path

import installation
import texts
import transcript

GAME_KEY = r"HKCU\Software\MORVALE"
VELMIRA_KEY = GAME_KEY + r"\velmira"
UPDATER_TIMEOUT_S = 20  # inside the driver, for the whole run of one updater
DRIVER_TIMEOUT_S = 90   # for the driver itself, holder and second updater included


@dataclass
class Outcome:
    transcript: transcript.Transcript
    before: dict   # snapshot before the run
    after: dict    # snapshot after it
    driver_code: object
    seconds: float
    run_dir: Path


def _arg(text):
    """Command-line form of a Windows string the driver takes byte for byte."""
    return "hex:" + texts.encode(text).hex()


class Harness:
    def __init__(self, env, tools, folders, runs_dir):
        self.env = env
        self.tools = tools
        self.folders = folders
        self.runs_dir = Path(runs_dir)
        self.machine = installation.Machine(env, folders)

    def prepare(self, sc):
        m = self.machine
        m.reset()
        m.install_game(sc.install_dir, sc.game_omits, sc.folders_in_the_way, sc.save_mode)
        m.put_saves(sc.install_dir, sc.save_mode)
        m.put_package(sc.package_dir, self.tools.updater, sc.package_omits)
        m.write(sc.cwd)
        self.env.reg("delete", GAME_KEY, "/f")
        if sc.registry == "no-dir":
            self.env.reg("add", VELMIRA_KEY, "/f")
        elif sc.registry == "dir":
            value = sc.install_dir if sc.dir_value is None else sc.dir_value
            self.env.reg("add", VELMIRA_KEY, "/v", "Dir", "/t", "REG_SZ", "/d", value, "/f")

    def _hold_args(self, sc):
        name = "hex:" + installation.instance_name(sc.install_dir).hex()
        roles = {
            "game": ["mutex=" + name, "window=" + name],
            "game-mutex": ["mutex=" + name],
            "event": ["event=" + name],
            "main-pack": ["file=" + _arg(sc.install_dir + "pac\\bn.tvp")],
        }
        args = []
        for hold in sc.holds:
            for role in roles[hold]:
                args += ["--hold", role]
        if args:
            args += ["--holder", _arg(self.env.windows_path(self.tools.holder))]
        return args

    def run(self, sc, shots=False):
        """Runs `sc` from a fresh layout. With `shots`, each box is photographed (BMP)."""
        run_dir = self.runs_dir / sc.name
        if run_dir.exists():
            shutil.rmtree(run_dir)
        run_dir.mkdir(parents=True)
        started = time.monotonic()
        self.prepare(sc)
        before = self.machine.snapshot()

        trans = run_dir / "transcript.txt"
        args = [self.tools.driver, "run",
                "--updater", _arg(sc.package_dir + "Updater.exe"),
                "--cwd", _arg(sc.cwd),
                "--transcript", _arg(self.env.windows_path(trans)),
                "--answers", ",".join(sc.answer_list()),
                "--timeout", str(UPDATER_TIMEOUT_S)]
        for a in sc.args:
            args += ["--arg", _arg(a)]
        if sc.second:
            args.append("--second")
        if shots:
            args += ["--shots", _arg(self.env.windows_path(run_dir))]
        args += self._hold_args(sc)
        code = self.env.run(args, timeout=DRIVER_TIMEOUT_S, log=run_dir / "driver.log")

        return Outcome(transcript.read(trans), before, self.machine.snapshot(), code,
                       time.monotonic() - started, run_dir)
