"""The game's side of a test machine, laid out from Linux inside the Wine prefix: the
installed game, its save folders, the update package, and snapshots of all of them.

Every file gets distinct bytes, so a snapshot tells a replaced file from an untouched one.
"""

import shutil
import struct
from pathlib import Path

import texts

# The three files the update replaces, relative to the install folder.
UPDATED_FILES = ("inst.ini", "pac\\bn.tvp", "pac\\update1.tvp")

GAME_BYTES = {name: b"game 1.00 %s\r\n\x00\x01\xfe" % name.encode() for name in UPDATED_FILES}
PACKAGE_BYTES = {name: b"update 1.01 %s\r\n\x00\x02\xfd" % name.encode() for name in UPDATED_FILES}

# In the save folder: the update deletes the files directly in it whose names end in ".sd"
# in any letter case. ア has the trail byte 0x41 (an ASCII "A"), which must not be folded.
SAVES_DELETED = ("a.sd", "B.SD", "アルバム.Sd")
SAVES_KEPT = ("c.sdx", "d.sd.bak", "sub\\f.sd")
SAVE_FOLDERS_KEPT = ("e.sd",)
# Put in the save folders of the modes not selected; they must stay.
DECOY_SAVE = "other.sd"

_SAVE_SUFFIX = "MORVALE_SaveData\\velmira\\save\\"


def save_folder(mode, install_dir, folders):
    """The save folder the game uses in `mode` (Windows path, ending in a separator)."""
    return {
        0: install_dir + "save\\",
        1: folders.appdata + "\\" + _SAVE_SUFFIX,
        2: folders.documents + "\\" + _SAVE_SUFFIX,
        3: folders.documents + "\\My Games\\" + _SAVE_SUFFIX,
    }[mode]


def instance_name(install_dir):
    """The name of the running game's mutex and window class, as Shift-JIS bytes: the
    path of velmira.exe, ASCII capitals lowered and single-byte backslashes made colons.
    The second byte of a double-byte character is never changed."""
    path = texts.encode(install_dir + "velmira.exe")
    out = bytearray()
    i = 0
    while i < len(path):
        b = path[i]
        if 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC:
            out += path[i:i + 2]
            i += 2
            continue
        if 0x41 <= b <= 0x5A:
            b += 0x20
        elif b == 0x5C:
            b = 0x3A
        out.append(b)
        i += 1
    return bytes(out)


def settings_bytes(mode):
    """tvcfg.dat with word 21 = `mode`, other words non-zero, and bytes past 128."""
    words = [0x11111111 * (i % 15 + 1) for i in range(32)]
    words[21] = mode
    return struct.pack("<32I", *words) + b"\xff" * 40


DIR = "<dir>"


class Machine:
    """Lays out one scenario's files in the prefix and snapshots them."""

    def __init__(self, env, folders):
        self.env = env
        self.folders = folders
        self._baseline = set(p.name for p in env.drive_c.iterdir())
        # Save files get deleted here: never let a folder lead out of the prefix.
        for folder in (folders.appdata, folders.documents):
            self._inside_prefix(env.host_path(folder))

    def _inside_prefix(self, path):
        if not Path(path).resolve().is_relative_to(self.env.prefix.resolve()):
            raise RuntimeError(f"{path} leads out of the Wine prefix")
        return path

    def reset(self):
        """Removes everything the previous scenario put on drive C."""
        for entry in self.env.drive_c.iterdir():
            if entry.name not in self._baseline:
                _remove(entry)
        _remove(self._appdata_saves())
        for entry in self._inside_prefix(self.env.host_path(self.folders.documents)).iterdir():
            _remove(entry)

    def write(self, windows_path, data=None):
        """A file with `data`, or a folder when `data` is None."""
        path = self._inside_prefix(self.env.host_path(windows_path))
        if data is None:
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)

    def install_game(self, install_dir, omit=(), folders_in_the_way=(), save_mode=0):
        """The installed game: inst.ini, pac\\ with its packs, tvcfg.dat, velmira.exe."""
        self.write(install_dir)
        files = dict(GAME_BYTES)
        files["velmira.exe"] = b"MZ game executable"
        files["tvcfg.dat"] = settings_bytes(save_mode)
        for name, data in files.items():
            if not _omitted(name, omit):
                self.write(install_dir + name, None if name in folders_in_the_way else data)

    def put_saves(self, install_dir, save_mode):
        """The save set in the folder of `save_mode`, a decoy in the other modes' folders."""
        for mode in range(4):
            folder = save_folder(mode, install_dir, self.folders)
            if mode != save_mode:
                self.write(folder + DECOY_SAVE, b"decoy")
                continue
            for name in SAVES_DELETED + SAVES_KEPT:
                self.write(folder + name, b"save " + texts.encode(name))
            for name in SAVE_FOLDERS_KEPT:
                self.write(folder + name)

    def put_package(self, package_dir, updater, omit=()):
        """The update as delivered: Updater.exe beside the folder data."""
        self.write(package_dir)
        shutil.copyfile(updater, self.env.host_path(package_dir + "Updater.exe"))
        files = {"data\\" + name: data for name, data in PACKAGE_BYTES.items()}
        for name, data in files.items():
            if not _omitted(name, omit):
                self.write(package_dir + name, data)

    def _appdata_saves(self):
        return self._inside_prefix(self.env.host_path(self.folders.appdata) / "MORVALE_SaveData")

    def snapshot(self):
        """{Windows path: bytes, or DIR for a folder} of all that a run may touch."""
        roots = [p for p in self.env.drive_c.iterdir() if p.name not in self._baseline]
        roots.append(self._appdata_saves())
        roots.append(self.env.host_path(self.folders.documents))
        state = {}
        for root in roots:
            if not root.exists():
                continue
            for path in [root] + sorted(root.rglob("*")):
                key = "C:\\" + str(path.relative_to(self.env.drive_c)).replace("/", "\\")
                state[key] = DIR if path.is_dir() else path.read_bytes()
        return state


def _omitted(name, omit):
    """Whether `name` is one of the entries in `omit` or lies in one of them."""
    return any(name == o or name.startswith(o + "\\") for o in omit)


def _remove(path):
    path = Path(path)
    if path.is_dir() and not path.is_symlink():
        shutil.rmtree(path)
    elif path.exists() or path.is_symlink():
        path.unlink()
