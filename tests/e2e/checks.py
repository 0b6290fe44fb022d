"""Compares what a run did with what its scenario expects; returns readable problems."""

import installation
import texts

# A second updater must end "at once"; Wine needs a few hundred ms to start any process.
SECOND_UPDATER_LIMIT_MS = 5000


def _show(data):
    return repr(texts.decode(data))


def _first_difference(expected, actual):
    n = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
             min(len(expected), len(actual)))
    return (f"first difference at byte {n}: expected {expected[n:n + 8].hex(' ') or 'the end'}, "
            f"got {actual[n:n + 8].hex(' ') or 'the end'}")


def _box_problems(number, expected, shown):
    if shown is None:
        return [f"box {number}: expected [{expected.name}], none was shown"]
    if expected is None:
        return [f"box {number}: not expected, but shown: caption {_show(shown.caption)}, "
                f"text {_show(shown.text)}"]
    out = []
    if shown.caption != expected.caption:
        out.append(f"  caption expected {_show(expected.caption)}\n"
                   f"          got      {_show(shown.caption)}\n"
                   f"          {_first_difference(expected.caption, shown.caption)}")
    if shown.text != expected.text:
        out.append(f"  text expected {_show(expected.text)}\n"
                   f"       got      {_show(shown.text)}\n"
                   f"       {_first_difference(expected.text, shown.text)}")
    if shown.buttons != expected.buttons:
        out.append(f"  buttons expected {','.join(sorted(expected.buttons))}, "
                   f"got {','.join(sorted(shown.buttons)) or 'none'}")
    if shown.icon != expected.icon:
        out.append(f"  icon expected {'shown' if expected.icon else 'none'}, "
                   f"got {'shown' if shown.icon else 'none'}")
    if out:
        out.insert(0, f"box {number}: expected [{expected.name}]")
    return out


def _describe(data):
    if data is None:
        return "nothing"
    if data == installation.DIR:
        return "a folder"
    for name, content in installation.PACKAGE_BYTES.items():
        if data == content:
            return f"the package's {name}"
    for name, content in installation.GAME_BYTES.items():
        if data == content:
            return f"the game's {name}"
    return f"{len(data)} other bytes"


def expected_files(sc, before, folders):
    """The snapshot the run should leave: `before` with the scenario's changes."""
    expected = dict(before)
    for name in sc.replaced:
        expected[sc.install_dir + name] = installation.PACKAGE_BYTES[name]
    if sc.saves_deleted:
        folder = installation.save_folder(sc.save_mode, sc.install_dir, folders)
        for name in installation.SAVES_DELETED:
            del expected[folder + name]
    return expected


def file_problems(expected, after):
    out = []
    for path in sorted(set(expected) | set(after)):
        want, got = expected.get(path), after.get(path)
        if want != got:
            out.append(f"file {path}: expected {_describe(want)}, found {_describe(got)}")
    return out


def problems(sc, outcome, folders):
    t = outcome.transcript
    out = []
    boxes = list(sc.expect)
    for i in range(max(len(boxes), len(t.boxes))):
        out += _box_problems(i + 1, boxes[i] if i < len(boxes) else None,
                             t.boxes[i] if i < len(t.boxes) else None)
    if t.exit != "0":
        out.append(f"exit code expected 0, got {t.exit or 'none'}")
    if sc.second:
        for box in t.second_boxes:
            out.append(f"second updater showed a box: caption {_show(box.caption)}, "
                       f"text {_show(box.text)}")
        if t.second_exit != "0":
            out.append(f"second updater: exit code expected 0, got {t.second_exit or 'none'}")
        if not 0 <= t.second_ms <= SECOND_UPDATER_LIMIT_MS:
            out.append(f"second updater took {t.second_ms} ms to end "
                       f"(limit {SECOND_UPDATER_LIMIT_MS} ms)")
    out += file_problems(expected_files(sc, outcome.before, folders), outcome.after)
    out += [f"driver: {e}" for e in t.errors]
    if outcome.driver_code is None:
        out.append("the driver was killed after its time limit")
    return out


def changes(before, after):
    """What a run changed on disk, one readable line per path."""
    out = []
    for path in sorted(set(before) | set(after)):
        old, new = before.get(path), after.get(path)
        if old == new:
            continue
        if new is None:
            out.append(f"deleted   {path}")
        elif old is None:
            out.append(f"created   {path} ({_describe(new)})")
        else:
            out.append(f"replaced  {path}: {_describe(old)} -> {_describe(new)}")
    return out
