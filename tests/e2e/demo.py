#!/usr/bin/env python3
"""Shows the real Updater.exe at work under Wine: a full update, a cancel and a stop.

    python3 tests/e2e/demo.py --build-dirs build/win32 build/win64 --out build/demo

Prints every box (caption and text) and what changed on disk, and saves a PNG of each
box into --out/<run>/. Exit code 0 when every run went as the updater should behave.
"""

import argparse
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import checks  # noqa: E402
import harness  # noqa: E402
import png  # noqa: E402
import scenarios  # noqa: E402
import texts  # noqa: E402
import toolset  # noqa: E402
import wineenv  # noqa: E402

REPO = Path(__file__).resolve().parents[2]

RUNS = (
    ("update", "update-japanese-folder",
     "a full update of a game installed in C:\\ソフト\\アリア\\, answered YES, YES, OK"),
    ("cancel", "cancel-at-first-confirmation", "the same, refused at the first question"),
    ("game-running", "game-running", "an update tried while the game runs"),
)


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--build-dirs", nargs="+", required=True)
    p.add_argument("--out", default=str(REPO / "build" / "demo"),
                   help="folder for the screenshots")
    p.add_argument("--work", default=str(REPO / "build" / "e2e-demo"),
                   help="folder for the throw-away Wine prefix")
    return p.parse_args()


def print_box(number, box):
    buttons = "/".join(b for b in ("OK", "YES", "NO", "CANCEL") if b in box.buttons)
    icon = ", information icon" if box.icon else ""
    print(f"  box {number}: [{texts.decode(box.caption)}]  buttons {buttons}{icon}")
    for line in texts.decode(box.text).replace("\r\n", "\n").split("\n"):
        print(f"      | {line}")
    print(f"      -> {box.answer}")


def show_run(h, out_dir, title, row_name, what):
    sc = next(row for row in scenarios.TABLE if row.name == row_name)
    print(f"\n=== {title}: {what}")
    outcome = h.run(sc, shots=True)
    shots = out_dir / title
    shots.mkdir(parents=True, exist_ok=True)
    for number, box in enumerate(outcome.transcript.boxes, 1):
        print_box(number, box)
        bmp = outcome.run_dir / f"box{number}.bmp"
        if bmp.exists():
            png.bmp_to_png(bmp, shots / f"box{number}.png")
            print(f"      screenshot {shots / f'box{number}.png'}")
    print(f"  Updater.exe exit code {outcome.transcript.exit or '?'}")
    changed = checks.changes(outcome.before, outcome.after)
    print("  changes on disk:" if changed else "  changes on disk: none")
    for line in changed:
        print("    " + line)
    problems = checks.problems(sc, outcome, h.folders)
    for line in problems:
        print("  NOT AS EXPECTED: " + line.replace("\n", "\n    "))
    return not problems


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    args = parse_args()
    out_dir = Path(args.out).resolve()
    out_dir.mkdir(parents=True, exist_ok=True)
    with wineenv.WineEnv(args.work) as env:
        tools, folders = toolset.choose(env, args.build_dirs)
        h = harness.Harness(env, tools, folders, Path(args.work) / "runs")
        results = [show_run(h, out_dir, *run) for run in RUNS]
    print(f"\nscreenshots in {out_dir}")
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
