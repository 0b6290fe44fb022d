"""Reads the transcript e2e_driver.exe writes (see tools/transcript.h)."""

from dataclasses import dataclass, field


@dataclass
class ShownBox:
    caption: bytes = b""
    text: bytes = b""
    buttons: frozenset = frozenset()
    icon: bool = False
    answer: str = ""
    shot: str = ""  # Windows path of the screenshot, if one was taken


@dataclass
class Transcript:
    boxes: list = field(default_factory=list)
    second_boxes: list = field(default_factory=list)
    second_exit: str = ""
    second_ms: int = -1
    exit: str = ""  # the updater's exit code, "killed", or "" when the driver never got there
    errors: list = field(default_factory=list)


def read(path):
    t = Transcript()
    try:
        with open(path, encoding="ascii") as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        t.errors.append("the driver wrote no transcript")
        return t
    box = None
    for line in lines:
        key, _, value = line.partition(" ")
        if key in ("box", "second_box"):
            box = ShownBox()
            (t.boxes if key == "box" else t.second_boxes).append(box)
        elif key == "caption":
            box.caption = bytes.fromhex(value)
        elif key == "text":
            box.text = bytes.fromhex(value)
        elif key == "buttons":
            box.buttons = frozenset() if value == "-" else frozenset(value.split(","))
        elif key == "icon":
            box.icon = value == "1"
        elif key in ("answer", "unscripted_answer"):
            box.answer = value if key == "answer" else value + " (unscripted)"
        elif key == "shot":
            box.shot = bytes.fromhex(value).decode("cp932")
        elif key == "second_exit":
            t.second_exit = value
        elif key == "second_ms":
            t.second_ms = int(value)
        elif key == "exit":
            t.exit = value
        elif key == "error":
            t.errors.append(value)
    return t
