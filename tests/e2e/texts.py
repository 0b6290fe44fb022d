"""What the updater says: its texts and captions, and the twelve boxes built from them.

The runner compares box texts byte for byte, so everything here is Unicode that is
encoded with code page 932 (the ANSI code page under ja_JP) at the single place below.
Line breaks are exactly those of the updater: bare "\\n" in some places, "\\r\\n" in others.
"""

from dataclasses import dataclass

GAME_TITLE = "ヴェルミラ"
TARGET_VERSION = "1.01"

# (text, stored size in Shift-JIS bytes): the size guards against a slip when copying a
# text here, since every row of the table leans on these.
_MESSAGES = {
    "MSG_NOT_INSTALLED": (
        "%s が正常にインストールされていません\nインストール後、実行してください", 70),
    "MSG_SETTINGS_MISSING": ("セーブファイル格納情報データがありませんでした。", 48),
    "MSG_GAME_RUNNING": ("%s が起動中です。\n一旦終了させてください。", 42),
    "MSG_GAME_MAY_BE_RUNNING": (
        "%s が起動している可能性があります\n終了後、もう一度実行してください", 66),
    "MSG_PACKAGE_INCOMPLETE": (
        "アップデートファイル自体のデータが揃っていないか、または破損しています。\n"
        "お手数をおかけいたしますがもう一度ダウンロードし直してみてください。", 141),
    "MSG_CONFIRM_DETECTED": (
        "%s のインストールデータを検出しました。\r\n\r\n"
        "これから ver%s へのアップデートをおこないます。\r\n"
        "ゲームを起動している場合は、一旦ゲームを終了させておいてください。\r\n\r\n"
        "※ご注意※\n"
        "以前のセーブデータおよびクリア情報等は自動的に消去されます。\r\n"
        "大変ご迷惑をおかけいたしますが、ご了承くださいませ。", 287),
    "MSG_CONFIRM_START": (
        "ver%s へアップデート処理を開始します。よろしいですか？\r\n\r\n"
        "アップデート処理には数秒程かかりますので\r\n"
        "完了メッセージが表示されるまで、そのままでお待ちください。", 158),
    "MSG_CANCELLED": ("アップデート処理をキャンセルしました。", 38),
    "MSG_SUCCESS": (
        "ver%s にアップデート成功しました。\r\n\r\n"
        "ゲームを起動して、タイトルバーに「ver%s」と表示されているかご確認ください。", 113),
    "MSG_COPY_FAILED": (
        "一部ファイルがコピー出来ませんでした。\n\n読み取り専用属性になっている可能性があります。", 86),
}

_CAPTIONS = {
    "CAP_ERROR": ("エラー", 6),
    "CAP_ERROR_NO1": ("エラー No.1", 11),
    "CAP_ERROR_NO2": ("エラー No.2", 11),
    "CAP_ERROR_NO3": ("エラー No.3", 11),
    "CAP_UPDATE": ("%s アップデート", 15),
    "CAP_CANCELLED": ("中断", 4),
    "CAP_DONE": ("完了", 4),
    "CAP_FAILED": ("失敗", 4),
}


def encode(text):
    """The bytes the updater hands to MessageBoxA for `text`."""
    return text.encode("cp932")


def decode(data):
    """Readable form of box bytes; undecodable bytes are shown, not hidden."""
    return data.decode("cp932", errors="backslashreplace")


def _checked(table):
    for name, (text, size) in table.items():
        actual = len(encode(text))
        if actual != size:
            raise AssertionError(f"{name}: {actual} bytes in texts.py, the updater stores {size}")
    return {name: text for name, (text, _) in table.items()}


MSG = _checked(_MESSAGES)
CAP = _checked(_CAPTIONS)

OK = frozenset({"OK"})
YES_NO = frozenset({"YES", "NO"})


@dataclass(frozen=True)
class Box:
    """One message box as the user sees it."""
    name: str
    caption: bytes
    text: bytes
    buttons: frozenset
    icon: bool


def _notice(name, caption, text):
    return Box(name, encode(caption), encode(text), OK, False)


def _confirmation(name, text):
    return Box(name, encode(CAP["CAP_UPDATE"] % GAME_TITLE), encode(text), YES_NO, True)


_NOT_INSTALLED = MSG["MSG_NOT_INSTALLED"] % GAME_TITLE

# The twelve boxes, in the order in which a run can raise them.
NOT_INSTALLED_NO1 = _notice("1 not installed (no key)", CAP["CAP_ERROR_NO1"], _NOT_INSTALLED)
NOT_INSTALLED_NO2 = _notice("2 not installed (no Dir)", CAP["CAP_ERROR_NO2"], _NOT_INSTALLED)
NOT_INSTALLED_NO3 = _notice("3 not installed (no inst.ini/pac)", CAP["CAP_ERROR_NO3"],
                            _NOT_INSTALLED)
SETTINGS_MISSING = _notice("4 settings missing", CAP["CAP_ERROR"], MSG["MSG_SETTINGS_MISSING"])
GAME_RUNNING = _notice("5 game running", CAP["CAP_ERROR"], MSG["MSG_GAME_RUNNING"] % GAME_TITLE)
GAME_MAY_BE_RUNNING = _notice("6 game may be running", CAP["CAP_ERROR"],
                              MSG["MSG_GAME_MAY_BE_RUNNING"] % GAME_TITLE)
PACKAGE_INCOMPLETE = _notice("7 package incomplete", CAP["CAP_ERROR"],
                             MSG["MSG_PACKAGE_INCOMPLETE"])
CONFIRM_DETECTED = _confirmation("8 first confirmation",
                                 MSG["MSG_CONFIRM_DETECTED"] % (GAME_TITLE, TARGET_VERSION))
CONFIRM_START = _confirmation("9 second confirmation",
                              MSG["MSG_CONFIRM_START"] % TARGET_VERSION)
CANCELLED = _notice("10 cancelled", CAP["CAP_CANCELLED"], MSG["MSG_CANCELLED"])
SUCCESS = _notice("11 success", CAP["CAP_DONE"],
                  MSG["MSG_SUCCESS"] % (TARGET_VERSION, TARGET_VERSION))
COPY_FAILED = _notice("12 copy failed", CAP["CAP_FAILED"], MSG["MSG_COPY_FAILED"])
