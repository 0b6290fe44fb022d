#!/usr/bin/env python3
"""End-to-end tests: the real Updater.exe under Wine, one run per row of scenarios.TABLE.

    python3 tests/e2e/run.py --build-dirs build/win32 build/win64 [--keep] [-k NAME]

Exit code 0 only when every row passes.
"""

import argparse
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import checks  # noqa: E402
import harness  # noqa: E402
import scenarios  # noqa: E402
import toolset  # noqa: E402
import wineenv  # noqa: E402

REPO = Path(__file__).resolve().parents[2]


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--build-dirs", nargs="+", required=True,
                   help="build folders holding Updater.exe and tests/e2e/e2e_*.exe")
    p.add_argument("--work", default=str(REPO / "build" / "e2e"),
                   help="folder for the Wine prefix, logs and transcripts")
    p.add_argument("--keep", action="store_true", help="keep the Wine prefix afterwards")
    p.add_argument("-k", dest="names", action="append", default=[],
                   help="run only rows whose name contains NAME (repeatable)")
    return p.parse_args()


def selected(names):
    rows = [sc for sc in scenarios.TABLE if not names or any(n in sc.name for n in names)]
    if not rows:
        raise SystemExit("no scenario matches " + ", ".join(names))
    return rows


def main():
    args = parse_args()
    rows = selected(args.names)
    started = time.monotonic()
    passed, failed = 0, []
    work = Path(args.work)
    with wineenv.WineEnv(work, keep=args.keep) as env:
        tools, folders = toolset.choose(env, args.build_dirs)
        h = harness.Harness(env, tools, folders, work / "runs")
        for sc in rows:
            outcome = h.run(sc)
            found = checks.problems(sc, outcome, folders)
            if not found:
                passed += 1
                print(f"PASS    {sc.name} ({outcome.seconds:.1f} s)", flush=True)
            else:
                failed.append(sc.name)
                print(f"FAIL    {sc.name} ({outcome.seconds:.1f} s)  [{outcome.run_dir}]")
                for line in found:
                    print("    " + line.replace("\n", "\n    "))
                sys.stdout.flush()

    print(f"\nend-to-end with {tools.updater} ({tools.arch}), "
          f"{time.monotonic() - started:.0f} s")
    if failed:
        print("failed: " + ", ".join(failed))
    print(f"e2e: {passed} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
