"""Picks the build whose Updater.exe and test tools run under this machine's Wine.

The i686 build is the release and is preferred. It needs 32-bit Wine, which cannot run
where the kernel lacks 32-bit support; then the x86-64 build of the same code is used.
"""

import struct
from dataclasses import dataclass
from pathlib import Path

import texts

_MACHINES = {0x014C: "i686", 0x8664: "x86-64"}


@dataclass(frozen=True)
class Tools:
    arch: str
    build_dir: Path
    updater: Path
    driver: Path
    holder: Path


@dataclass(frozen=True)
class SpecialFolders:
    """The folders SHGetSpecialFolderPathA gives inside the prefix (Windows paths)."""
    appdata: str
    documents: str


def pe_machine(path):
    """'i686' or 'x86-64' for a PE file, None for anything else."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
        offset = struct.unpack_from("<I", head, 0x3C)[0]
        if head[:2] != b"MZ" or head[offset:offset + 4] != b"PE\0\0":
            return None
        return _MACHINES.get(struct.unpack_from("<H", head, offset + 4)[0])
    except (OSError, struct.error):
        return None


def _tools_in(build_dir):
    build_dir = Path(build_dir).resolve()
    driver = build_dir / "tests" / "e2e" / "e2e_driver.exe"
    arch = pe_machine(driver)
    if arch is None:
        return None
    return Tools(arch, build_dir, build_dir / "Updater.exe", driver,
                 driver.with_name("e2e_holder.exe"))


def _query_folders(env, tools):
    out = env.logs / f"folders-{tools.arch}.txt"
    out.unlink(missing_ok=True)
    code = env.run([tools.driver, "folders", "hex:" + texts.encode(env.windows_path(out)).hex()],
                   timeout=60, log="probe")
    if code != 0 or not out.exists():
        return None
    values = dict(line.split(" ", 1) for line in out.read_text().splitlines() if " " in line)
    appdata, documents = (texts.decode(bytes.fromhex(values[k])) for k in ("appdata", "documents"))
    return SpecialFolders(appdata, documents)


def choose(env, build_dirs, log=print):
    """Returns (Tools, SpecialFolders) for the build to test; raises SystemExit if none fits."""
    found = {}
    for build_dir in build_dirs:
        tools = _tools_in(build_dir)
        if tools:
            found.setdefault(tools.arch, tools)
    if not found:
        raise SystemExit("no e2e_driver.exe in " + ", ".join(map(str, build_dirs)) +
                         ": build the e2e_driver and e2e_holder targets first")

    tools, folders = None, None
    if "i686" in found:
        folders = _query_folders(env, found["i686"])
        if folders:
            tools = found["i686"]
    if tools is None:
        if "x86-64" not in found:
            raise SystemExit("32-bit Wine cannot run the i686 build here, "
                             "and no x86-64 build was given")
        tools = found["x86-64"]
        reason = ("32-bit Wine cannot run programs on this machine" if "i686" in found
                  else "no i686 build was given")
        log(f"NOTE: {reason}: testing the x86-64 build {tools.updater} "
            "(same code as the i686 release) with its x86-64 test tools")
        folders = _query_folders(env, tools)
        if folders is None:
            raise SystemExit(f"{tools.driver} does not run under Wine (see {env.logs}/probe.log)")
    if not tools.updater.exists():
        raise SystemExit(f"missing {tools.updater}: build it first")
    log(f"testing {tools.updater} ({tools.arch})")
    return tools, folders
