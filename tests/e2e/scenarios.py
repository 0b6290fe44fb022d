"""The end-to-end scenarios: one row per run of the real Updater.exe.

A row says how the machine looks before the run (registry, installed game, save files,
update package, other processes), how the boxes are answered, which boxes must appear in
which order, and which files the run changes. Everything else under the install folder,
the save folders and the package must be left exactly as it was.
"""

from dataclasses import dataclass

from installation import UPDATED_FILES
from texts import (CANCELLED, CONFIRM_DETECTED, CONFIRM_START, COPY_FAILED, GAME_MAY_BE_RUNNING,
                   GAME_RUNNING, NOT_INSTALLED_NO1, NOT_INSTALLED_NO2, NOT_INSTALLED_NO3,
                   PACKAGE_INCOMPLETE, SETTINGS_MISSING, SUCCESS)

INSTALL_DIR = "C:\\MORVALE\\Velmira\\"
# ソ ends in the byte 0x5C (a backslash) and ア in 0x41 (an "A").
JAPANESE_INSTALL_DIR = "C:\\ソフト\\アリア\\"
PACKAGE_DIR = "C:\\Update\\"
ELSEWHERE_DIR = "C:\\Elsewhere\\"


@dataclass(frozen=True)
class Scenario:
    name: str
    expect: tuple                 # texts.Box, in the order they must appear
    answers: tuple = ()           # YES / NO / OK per box; default: OK for every box
    registry: str = "dir"         # "dir" (Dir = dir_value), "no-key" or "no-dir"
    install_dir: str = INSTALL_DIR
    dir_value: str = None         # the value Dir, when not install_dir itself
    game_omits: tuple = ()        # entries left out of the installation
    folders_in_the_way: tuple = ()  # files of the installation that are folders instead
    save_mode: int = 0
    package_dir: str = PACKAGE_DIR  # holds Updater.exe and the folder data
    package_omits: tuple = ()     # entries left out of the package
    cwd: str = PACKAGE_DIR        # current directory of the updater
    holds: tuple = ()             # "game", "game-mutex", "event", "main-pack"
    args: tuple = ()              # command-line arguments of the updater
    second: bool = False          # start a second updater at the first box
    replaced: tuple = ()          # installed files that must end up with the package's bytes
    saves_deleted: bool = False   # the .sd files in the selected save folder must be gone

    def answer_list(self):
        return self.answers or ("OK",) * len(self.expect)


UPDATED = (CONFIRM_DETECTED, CONFIRM_START, SUCCESS)
YES_YES_OK = ("YES", "YES", "OK")


def _success(name, **row):
    return Scenario(name, UPDATED, YES_YES_OK, replaced=UPDATED_FILES,
                    saves_deleted=True, **row)


TABLE = (
    # Discovery: the registry entry and the two entries it must point at.
    Scenario("no-registry-key", (NOT_INSTALLED_NO1,), registry="no-key"),
    Scenario("key-without-dir", (NOT_INSTALLED_NO2,), registry="no-dir"),
    Scenario("dir-without-inst-ini", (NOT_INSTALLED_NO3,), game_omits=("inst.ini",)),
    Scenario("dir-without-pac", (NOT_INSTALLED_NO3,), game_omits=("pac",)),
    Scenario("dir-without-trailing-separator", (NOT_INSTALLED_NO3,),
             dir_value=INSTALL_DIR.rstrip("\\")),

    # One updater at a time: a second one started while the first shows its box ends at
    # once without a box; the first then goes on as usual.
    Scenario("second-updater-is-silent", (NOT_INSTALLED_NO1,), registry="no-key",
             second=True),

    # The settings file is the first check: nothing after it is examined.
    Scenario("settings-missing-comes-first", (SETTINGS_MISSING,),
             game_omits=("tvcfg.dat",), holds=("game",), package_omits=("data",)),

    # The running game: its mutex and window class carry the instance name.
    Scenario("game-running", (GAME_RUNNING,), holds=("game",),
             package_omits=("data\\pac\\update1.tvp",)),
    Scenario("game-running-japanese-folder", (GAME_RUNNING,),
             install_dir=JAPANESE_INSTALL_DIR, holds=("game",)),
    Scenario("game-mutex-without-window", (CONFIRM_DETECTED, CANCELLED),
             answers=("NO", "OK"), holds=("game-mutex",)),
    Scenario("instance-name-taken-by-event", (GAME_RUNNING,), holds=("event",)),

    # The main pack must open for reading.
    Scenario("main-pack-held-open", (GAME_MAY_BE_RUNNING,), holds=("main-pack",)),
    Scenario("main-pack-missing", (GAME_MAY_BE_RUNNING,), game_omits=("pac\\bn.tvp",)),

    # The package is looked for in the current directory, not beside the updater.
    Scenario("package-without-inst-ini", (PACKAGE_INCOMPLETE,),
             package_omits=("data\\inst.ini",)),
    Scenario("package-without-update-pack", (PACKAGE_INCOMPLETE,),
             package_omits=("data\\pac\\update1.tvp",)),
    Scenario("started-in-another-folder", (PACKAGE_INCOMPLETE,), cwd=ELSEWHERE_DIR),

    # The whole update, once per save location of the game.
    _success("update-saves-in-install-folder", save_mode=0),
    _success("update-saves-in-appdata", save_mode=1),
    _success("update-saves-in-documents", save_mode=2),
    _success("update-saves-in-my-games", save_mode=3),
    _success("update-japanese-folder", install_dir=JAPANESE_INSTALL_DIR),
    _success("arguments-change-nothing", args=("/S", "--silent", "C:\\Other\\", "data")),

    # Refused at either confirmation: nothing changes.
    Scenario("cancel-at-first-confirmation", (CONFIRM_DETECTED, CANCELLED),
             answers=("NO", "OK")),
    Scenario("cancel-at-second-confirmation", (CONFIRM_DETECTED, CONFIRM_START, CANCELLED),
             answers=("YES", "NO", "OK")),

    # A folder where pac\update1.tvp belongs: that copy fails, the others and the save
    # clearing still happen.
    Scenario("copy-blocked-by-folder", (CONFIRM_DETECTED, CONFIRM_START, COPY_FAILED),
             answers=YES_YES_OK, folders_in_the_way=("pac\\update1.tvp",),
             replaced=("inst.ini", "pac\\bn.tvp"), saves_deleted=True),
)
