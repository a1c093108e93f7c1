"""Lumibench tool SDK for Python: everything a tool program needs to work
with the Lumibench host, using nothing but the standard library.

A tool:
  1. calls ``session = ToolSession.start(sys.argv, "Tool_MyName")`` first;
  2. when ``session.command_line.takes_data``, calls ``session.read_data()``;
  3. shows one top-level window titled exactly ``session.window_title``;
  4. calls ``session.take_command()`` every 50-100 ms (on "Close" it exits);
  5. sends data back with ``write_data()`` followed by ``send_to_host(verb)``;
  6. when it closes on its own, calls ``send_to_host("CLOSEREMOVE")`` first.

Host and tools share one SQLite file, the settings store: table
``settings(app, section, key, value)``, names compared without regard to
case, values kept byte for byte. Everything lives under application
"Lumibench_PE" in the section named on the tool's command line.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import dataclasses
import math
import os
import re
import sqlite3
import struct
import time
import urllib.parse
from pathlib import Path
from typing import Callable, List, Optional, Sequence

EXCHANGE_APP = "Lumibench_PE"
HOST_KEY = "LumibenchPE"
MAILBOX_SEPARATOR = "|"
SLOT_COUNT = 25
SLOT_FIELDS = ("Filename", "Keywords", "KeywordData", "TiltIncl", "TiltData", "OtherData",
               "HorAngles", "VertAngles", "Candela", "OptionalData", "PictureFilename")
HOST_PID_VARIABLE = "LUMIBENCH_HOST_PID"
HOST_START_VARIABLE = "LUMIBENCH_HOST_START"

# ReadExchangeRecords results, as the host returns them.
READ_OK = 0
READ_EMPTY = -1
READ_PARSE_PROBLEM = 1
SUBSCRIPT_OUT_OF_RANGE = 9
OVERFLOW = 6

_BUSY_TIMEOUT_MS = 5000
_HOST_CHECK_INTERVAL = 0.5
_FLOAT_MAX = 3.4028234663852886e38


# --- settings store ----------------------------------------------------------

def default_settings_path() -> Path:
    """$LUMIBENCH_SETTINGS, else $XDG_CONFIG_HOME (or ~/.config)/lumibench/settings.sqlite3."""
    explicit = os.environ.get("LUMIBENCH_SETTINGS")
    if explicit:
        return Path(explicit)
    config = os.environ.get("XDG_CONFIG_HOME")
    base = Path(config) if config and os.path.isabs(config) else Path.home() / ".config"
    return base / "lumibench" / "settings.sqlite3"


class SettingsStore:
    """The shared store. Values are read and written as bytes-exact text."""

    def __init__(self, path: Path):
        # The host creates and prepares the store before it starts a tool, so a
        # missing file is an error here, never a new empty store beside the host's.
        # isolation_level=None: no hidden transactions; the ones below are explicit.
        uri = "file:%s?mode=rw" % urllib.parse.quote(str(Path(path).absolute()))
        self._db = sqlite3.connect(uri, uri=True, timeout=_BUSY_TIMEOUT_MS / 1000, isolation_level=None)
        self._db.text_factory = lambda data: data.decode("utf-8", "surrogateescape")
        self._db.execute("PRAGMA busy_timeout=%d" % _BUSY_TIMEOUT_MS)
        self._db.execute("CREATE TABLE IF NOT EXISTS settings ("
                         " app TEXT NOT NULL COLLATE NOCASE,"
                         " section TEXT NOT NULL COLLATE NOCASE,"
                         " key TEXT NOT NULL COLLATE NOCASE,"
                         " value TEXT NOT NULL,"
                         " PRIMARY KEY (app, section, key))")

    def close(self) -> None:
        self._db.close()

    def read(self, section: str, key: str, app: str = EXCHANGE_APP) -> str:
        row = self._db.execute("SELECT value FROM settings WHERE app = ? AND section = ? AND key = ?",
                               (app, section, key)).fetchone()
        return row[0] if row else ""

    def read_many(self, section: str, keys: Sequence[str], app: str = EXCHANGE_APP) -> List[str]:
        """Several values seen at one moment: one read transaction, so another
        process's batch of writes is seen whole or not at all."""
        self._db.execute("BEGIN")
        try:
            return [self.read(section, key, app) for key in keys]
        finally:
            self._db.execute("COMMIT")

    def write_many(self, section: str, values: Sequence[tuple], app: str = EXCHANGE_APP) -> None:
        """(key, value) pairs written in one transaction: all of them or none."""
        self._db.execute("BEGIN IMMEDIATE")
        try:
            for key, value in values:
                self._db.execute(_UPSERT, (app, section, key, _text(value)))
        except BaseException:
            self._db.execute("ROLLBACK")
            raise
        self._db.execute("COMMIT")

    def write(self, section: str, key: str, value: str, app: str = EXCHANGE_APP) -> None:
        self._db.execute(_UPSERT, (app, section, key, _text(value)))

    def write_if_empty(self, section: str, key: str, value: str, app: str = EXCHANGE_APP) -> bool:
        """Writes only when the key is empty or missing, in one statement, so
        two writers never overwrite each other's command."""
        cursor = self._db.execute(
            "INSERT INTO settings (app, section, key, value) VALUES (?, ?, ?, CAST(? AS TEXT)) "
            "ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value "
            "WHERE settings.value = ''", (app, section, key, _text(value)))
        return cursor.rowcount == 1

    def take(self, section: str, key: str, app: str = EXCHANGE_APP) -> str:
        """Reads a mailbox and empties it in one transaction; "" when empty."""
        self._db.execute("BEGIN IMMEDIATE")
        try:
            row = self._db.execute("SELECT value FROM settings WHERE app = ? AND section = ? AND key = ?",
                                   (app, section, key)).fetchone()
            value = row[0] if row else ""
            if value:
                self._db.execute("UPDATE settings SET value = '' WHERE app = ? AND section = ? AND key = ?",
                                 (app, section, key))
        except BaseException:
            self._db.execute("ROLLBACK")
            raise
        self._db.execute("COMMIT")
        return value


# Values are bound as their bytes and stored as TEXT, as the host stores them:
# text read from undecodable bytes (kept as surrogate escapes) goes back
# byte for byte.
_UPSERT = ("INSERT INTO settings (app, section, key, value) VALUES (?, ?, ?, CAST(? AS TEXT)) "
           "ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value")


def _text(value: str) -> bytes:
    return value.encode("utf-8", "surrogateescape")


# --- number texts --------------------------------------------------------------

def _general(value: float, digits: int) -> str:
    if value == 0 or math.isnan(value):
        return "0"
    text = "%.*G" % (digits, value)
    if text.startswith("0."):
        text = text[1:]
    elif text.startswith("-0."):
        text = "-" + text[2:]
    return text


def format_compact(value) -> str:
    """The compact form: "12", "-1", "2.5", ".5", "-.25", "1E-05", "1.5E+07".
    Integers as they are; floats with 15 significant digits (use
    format_single for the record's 32-bit fields)."""
    if isinstance(value, bool):
        value = int(value)
    if isinstance(value, int):
        return str(value)
    text = _general(float(value), 15)
    if math.isfinite(value) and math.isinf(float(text)):
        # Near the largest double the 15-digit text rounds past it: the last
        # digit goes toward zero so that every finite value reads back finite.
        mantissa, exponent = text.split("E")
        digits = mantissa.replace("-", "").replace(".", "")
        lowered = str(int(digits) - 1).rjust(len(digits), "0")
        sign = "-" if mantissa.startswith("-") else ""
        text = sign + lowered[0] + ("." + lowered[1:] if len(lowered) > 1 else "") + "E" + exponent
    return text


def format_single(value: float) -> str:
    """The compact form of a 32-bit float field: the value as a float32,
    7 significant digits, as the host writes LumensPerLamp, angles and the like."""
    single = struct.unpack("f", struct.pack("f", max(-_FLOAT_MAX, min(_FLOAT_MAX, float(value)))))[0]
    return _general(single, 7)


def format_signed(value) -> str:
    """The signed form: a blank before zero and positive values (" 12", " 0", "-1")."""
    text = format_compact(value)
    return text if text.startswith("-") else " " + text


_LEADING_NUMBER = re.compile(r"[ \t]*([+-]?)(\d*)(\.\d*)?(?:[EeDd]([+-]?\d+))?")


def leading_number(text: str) -> float:
    """The number at the start of a text as the host reads it: blanks and tabs
    skipped, sign, digits with at most one ".", optional exponent (E or D);
    reading stops at the first character that cannot continue it. No number
    gives 0. "." is the decimal separator whatever the locale."""
    match = _LEADING_NUMBER.match(text)
    sign, whole, fraction, exponent = match.groups()
    if not whole and (not fraction or fraction == "."):
        return 0.0
    number = sign + (whole or "0") + (fraction or "")
    if exponent is not None:
        number += "e" + exponent
    return float(number)


# --- the record ------------------------------------------------------------------

@dataclasses.dataclass
class PhotometricRecord:
    """One data set as it travels between host and tools (the fields that do
    not travel are left out). Lists are 0-based; candela[h][v] has one row per
    horizontal angle."""
    Filename: str = ""
    Keywords: List[str] = dataclasses.field(default_factory=list)
    TiltIncl: int = 0            # -1: tilt data included
    LampGeometry: int = 0
    TiltPairCount: int = 0
    TiltAngles: List[float] = dataclasses.field(default_factory=list)
    TiltFactors: List[float] = dataclasses.field(default_factory=list)
    LampCount: int = 0
    LumensPerLamp: float = 0.0  # -1: absolute photometry
    CandelaMultiplier: float = 0.0
    PhotometricType: int = 0    # 1 type C, 2 type B, 3 type A
    UnitsType: int = 0          # 1 feet, 2 metres
    Width: float = 0.0
    Length: float = 0.0
    Height: float = 0.0
    BallastFactor: float = 0.0
    InputWatts: float = 0.0
    VertAngleCount: int = 0
    HorAngleCount: int = 0
    VertAngles: List[float] = dataclasses.field(default_factory=list)
    HorAngles: List[float] = dataclasses.field(default_factory=list)
    Candela: List[List[float]] = dataclasses.field(default_factory=list)
    OptionalData: str = ""
    PictureFilename: str = ""


class ExchangeError(Exception):
    """A slot that could not be read: `code` is the host's status (1 for the
    four parse problems, 9 or 6 for a short list or an overflow) and the
    message its text ("Problem parsing other data", "Subscript out of range (Candela)")."""

    def __init__(self, code: int, text: str):
        super().__init__(text)
        self.code = code


def _lines(text: str) -> List[str]:
    """Lines as the host cuts them: each ends at LF, the character before the
    LF is dropped (taken to be the CR), empty lines are skipped."""
    lines = []
    position = 0
    while position < len(text):
        lf = text.find("\n", position)
        if lf < 0:
            line, position = text[position:], len(text)
        else:
            line, position = text[position:max(position, lf - 1)], lf + 1
        if line:
            lines.append(line)
    return lines


def _first_line_fields(text: str) -> List[str]:
    """Line 1 cut into as many fields as the last line has commas + 1."""
    lines = _lines(text)
    if not lines:
        return []
    count = lines[-1].count(",") + 1
    fields = lines[0].split(",")[:count]
    return fields + [""] * (count - len(fields))


def _int16(text: str) -> int:
    value = leading_number(text)
    if math.isnan(value) or math.isinf(value):
        raise ExchangeError(OVERFLOW, "Overflow")
    rounded = round(value)  # ties to even, as the host rounds
    if not -32768 <= rounded <= 32767:
        raise ExchangeError(OVERFLOW, "Overflow")
    return int(rounded)


def _single(text: str) -> float:
    value = leading_number(text)
    if abs(value) > _FLOAT_MAX:
        raise ExchangeError(OVERFLOW, "Overflow")
    return struct.unpack("f", struct.pack("f", value))[0]


def _double(text: str) -> float:
    value = leading_number(text)
    if not math.isfinite(value):
        raise ExchangeError(OVERFLOW, "Overflow")
    return value


def _field(fields: List[str], k: int) -> str:
    if k < 1 or k > len(fields):
        raise ExchangeError(SUBSCRIPT_OUT_OF_RANGE, "Subscript out of range")
    return fields[k - 1]


def _count(value: int) -> int:
    if value < 0:
        raise ExchangeError(SUBSCRIPT_OUT_OF_RANGE, "Subscript out of range")
    return value


def format_slot(record: PhotometricRecord) -> List[tuple]:
    """The (field name, value) pairs of one slot, in the host's write order."""
    values = [("Filename", record.Filename), ("Keywords", format_signed(len(record.Keywords)))]
    if record.Keywords:
        values.append(("KeywordData", "".join(line + "\r\n" for line in record.Keywords)))
    tilt = record.TiltIncl == -1
    values.append(("TiltIncl", format_signed(1 if tilt else 0)))
    if tilt:
        pairs = record.TiltPairCount
        parts = [format_compact(record.LampGeometry), format_compact(pairs)]
        parts += [format_single(_at(record.TiltAngles, i)) for i in range(pairs)]
        parts += [format_single(_at(record.TiltFactors, i)) for i in range(pairs)]
        values.append(("TiltData", ",".join(parts)))
    other = [format_compact(record.LampCount), format_single(record.LumensPerLamp),
             format_single(record.CandelaMultiplier), format_compact(record.PhotometricType),
             format_compact(record.UnitsType)]
    other += [format_single(v) for v in (record.Width, record.Length, record.Height,
                                         record.BallastFactor, record.InputWatts)]
    values.append(("OtherData", ",".join(other)))
    for name, count, angles in (("HorAngles", record.HorAngleCount, record.HorAngles),
                                ("VertAngles", record.VertAngleCount, record.VertAngles)):
        values.append((name, ",".join([format_compact(count)] +
                                      [format_single(_at(angles, i)) for i in range(max(count, 0))])
                       if count > 0 else format_compact(count) + ","))
    h, v = max(record.HorAngleCount, 0), max(record.VertAngleCount, 0)
    candela = [format_compact(float(_at(_at(record.Candela, i, []), j)))
               for i in range(h) for j in range(v)]
    values.append(("Candela", ",".join(candela)))
    values.append(("OptionalData", record.OptionalData))
    values.append(("PictureFilename", record.PictureFilename))
    return values


def _at(items, i, default=0.0):
    return items[i] if i < len(items) else default


def parse_slot(texts: dict) -> PhotometricRecord:
    """A record from the eleven values of one slot (missing ones empty).
    Raises ExchangeError as the host's reading fails."""
    record = PhotometricRecord(Filename=texts.get("Filename", ""))
    label = "(#Keywords)"
    try:
        _int16(texts.get("Keywords", ""))
        label = "(Keywords)"
        record.Keywords = _lines(texts.get("KeywordData", ""))
        label = "(TiltInclude)"
        record.TiltIncl = -1 if _int16(texts.get("TiltIncl", "")) != 0 else 0
        if record.TiltIncl == -1:
            label = "(TiltData)"
            tilt = _first_line_fields(texts.get("TiltData", ""))
            if not tilt:
                raise ExchangeError(READ_PARSE_PROBLEM, "Problem parsing tilt data")
            record.LampGeometry = _int16(_field(tilt, 1))
            record.TiltPairCount = _int16(_field(tilt, 2))
            pairs = _count(record.TiltPairCount)
            record.TiltAngles = [_single(_field(tilt, 2 + i)) for i in range(1, pairs + 1)]
            record.TiltFactors = [_single(_field(tilt, 2 + pairs + i)) for i in range(1, pairs + 1)]
        label = "(OtherData)"
        other = _first_line_fields(texts.get("OtherData", ""))
        if len(other) < 10:
            raise ExchangeError(READ_PARSE_PROBLEM, "Problem parsing other data")
        record.LampCount = _int16(other[0])
        record.LumensPerLamp = _single(other[1])
        record.CandelaMultiplier = _single(other[2])
        record.PhotometricType = _int16(other[3])
        record.UnitsType = _int16(other[4])
        record.Width, record.Length, record.Height, record.BallastFactor, record.InputWatts = (
            _single(other[i]) for i in range(5, 10))
        for name, problem in (("VertAngles", "Problem parsing vertical angles"),
                              ("HorAngles", "Problem parsing horizontal angles")):
            label = "(%s)" % name
            fields = _first_line_fields(texts.get(name, ""))
            if not fields:
                raise ExchangeError(READ_PARSE_PROBLEM, problem)
            count = _int16(fields[0])
            # The list must hold what its count says before anything is made of it.
            angles = [_single(_field(fields, 1 + i)) for i in range(1, _count(count) + 1)]
            if name == "VertAngles":
                record.VertAngleCount, record.VertAngles = count, angles
            else:
                record.HorAngleCount, record.HorAngles = count, angles
        label = "(Candela)"
        h, v = len(record.HorAngles), len(record.VertAngles)
        fields = _first_line_fields(texts.get("Candela", "")) if h and v else []
        if len(fields) < h * v:
            raise ExchangeError(SUBSCRIPT_OUT_OF_RANGE, "Subscript out of range")
        record.Candela = [[_double(fields[i * v + j]) for j in range(v)] for i in range(h)]
        record.OptionalData = texts.get("OptionalData", "")
        record.PictureFilename = texts.get("PictureFilename", "")
    except ExchangeError as failure:
        if failure.code == READ_PARSE_PROBLEM:
            raise
        raise ExchangeError(failure.code, "%s %s" % (failure, label)) from None
    return record


# --- host process ------------------------------------------------------------------

def process_start_ticks(pid: int) -> Optional[int]:
    """Field 22 of /proc/PID/stat, or None when there is no such process."""
    state_and_start = _proc_stat(pid)
    return state_and_start[1] if state_and_start else None


def _proc_stat(pid: int):
    try:
        with open("/proc/%d/stat" % pid, "rb") as f:
            text = f.read().decode("ascii", "replace")
    except OSError:
        return None
    fields = text[text.rfind(")") + 2:].split()
    if len(fields) < 20:
        return None
    return fields[0], int(fields[19])


def process_alive(pid: int, start_ticks: Optional[int] = None) -> bool:
    """True while `pid` runs (a zombie does not) and, when start_ticks is
    given, is still the process that started then (pids are reused)."""
    if pid <= 0:
        return False
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    stat = _proc_stat(pid)
    if stat is None:
        return True
    state, start = stat
    if state in ("Z", "X"):
        return False
    return start_ticks is None or start_ticks == start


# --- window placement ------------------------------------------------------------
#
# "MoveWin,x,y" is relative to the host's main window. A toolkit knows only
# its own windows, so the host window's place on the screen is asked of the X
# server through libxcb (ctypes; no package needed).

class _TranslateReply(ctypes.Structure):
    _fields_ = [("response_type", ctypes.c_uint8), ("same_screen", ctypes.c_uint8),
                ("sequence", ctypes.c_uint16), ("length", ctypes.c_uint32), ("child", ctypes.c_uint32),
                ("dst_x", ctypes.c_int16), ("dst_y", ctypes.c_int16)]


class _TreeReply(ctypes.Structure):
    _fields_ = [("response_type", ctypes.c_uint8), ("pad0", ctypes.c_uint8), ("sequence", ctypes.c_uint16),
                ("length", ctypes.c_uint32), ("root", ctypes.c_uint32), ("parent", ctypes.c_uint32)]


class _ScreenIterator(ctypes.Structure):
    _fields_ = [("data", ctypes.POINTER(ctypes.c_uint32)), ("rem", ctypes.c_int), ("index", ctypes.c_int)]


_xcb_library = None


def _xcb():
    """libxcb with the prototypes used here, loaded once; None without it."""
    global _xcb_library
    if _xcb_library is not None:
        return _xcb_library
    name = ctypes.util.find_library("xcb")
    if not name:
        return None
    xcb = ctypes.CDLL(name)
    xcb.xcb_connect.restype = ctypes.c_void_p
    xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_int)]
    xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
    xcb.xcb_disconnect.argtypes = [ctypes.c_void_p]
    xcb.xcb_flush.argtypes = [ctypes.c_void_p]
    xcb.xcb_get_setup.restype = ctypes.c_void_p
    xcb.xcb_get_setup.argtypes = [ctypes.c_void_p]
    xcb.xcb_setup_roots_iterator.restype = _ScreenIterator
    xcb.xcb_setup_roots_iterator.argtypes = [ctypes.c_void_p]
    xcb.xcb_screen_next.argtypes = [ctypes.POINTER(_ScreenIterator)]
    xcb.xcb_query_tree.restype = ctypes.c_uint
    xcb.xcb_query_tree.argtypes = [ctypes.c_void_p, ctypes.c_uint32]
    xcb.xcb_query_tree_reply.restype = ctypes.POINTER(_TreeReply)
    xcb.xcb_query_tree_reply.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_void_p]
    xcb.xcb_translate_coordinates.restype = ctypes.c_uint
    xcb.xcb_translate_coordinates.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_uint32,
                                              ctypes.c_int16, ctypes.c_int16]
    xcb.xcb_translate_coordinates_reply.restype = ctypes.POINTER(_TranslateReply)
    xcb.xcb_translate_coordinates_reply.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_void_p]
    xcb.xcb_get_property.restype = ctypes.c_uint
    xcb.xcb_get_property.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_uint32,
                                     ctypes.c_uint32, ctypes.c_uint32, ctypes.c_uint32]
    xcb.xcb_get_property_reply.restype = ctypes.POINTER(_PropertyReply)
    xcb.xcb_get_property_reply.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_void_p]
    xcb.xcb_change_property.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_uint32,
                                        ctypes.c_uint32, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_void_p]
    _xcb_library = xcb
    return xcb


class _PropertyReply(ctypes.Structure):
    _fields_ = [("response_type", ctypes.c_uint8), ("format", ctypes.c_uint8), ("sequence", ctypes.c_uint16),
                ("length", ctypes.c_uint32), ("type", ctypes.c_uint32), ("bytes_after", ctypes.c_uint32),
                ("value_len", ctypes.c_uint32)]


_XCB_ATOM_WINDOW = 33
_XCB_ATOM_WM_NAME = 39
_XCB_ATOM_WM_TRANSIENT_FOR = 68
_XCB_PROP_MODE_REPLACE = 0


class _X:
    """One connection to the X server for one request; None-like when there is none."""

    def __init__(self):
        self.xcb = _xcb() if os.environ.get("DISPLAY") else None
        self.connection = None
        self.root = 0
        self._libc = ctypes.CDLL(None)
        self._libc.free.argtypes = [ctypes.c_void_p]
        if self.xcb is None:
            return
        screen = ctypes.c_int(0)
        self.connection = self.xcb.xcb_connect(None, ctypes.byref(screen))
        if self.xcb.xcb_connection_has_error(self.connection):
            return
        roots = self.xcb.xcb_setup_roots_iterator(self.xcb.xcb_get_setup(self.connection))
        for _ in range(screen.value):
            self.xcb.xcb_screen_next(ctypes.byref(roots))
        if roots.rem > 0:
            self.root = roots.data[0]  # the first member of a screen is its root window

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.connection is not None:
            self.xcb.xcb_disconnect(self.connection)

    @property
    def ok(self) -> bool:
        return self.root != 0

    def free(self, reply) -> None:
        self._libc.free(ctypes.cast(reply, ctypes.c_void_p))

    def parent_of(self, window: int) -> Optional[int]:
        """The window's parent; None when it is not a window (any more)."""
        reply = self.xcb.xcb_query_tree_reply(self.connection, self.xcb.xcb_query_tree(self.connection, window), None)
        if not reply:
            return None
        parent = reply.contents.parent
        self.free(reply)
        return parent

    def has_property(self, window: int, atom: int) -> bool:
        cookie = self.xcb.xcb_get_property(self.connection, 0, window, atom, 0, 0, 0)
        reply = self.xcb.xcb_get_property_reply(self.connection, cookie, None)
        if not reply:
            return False
        present = reply.contents.type != 0
        self.free(reply)
        return present


def host_window_origin(host_window: int) -> Optional[tuple]:
    """(x, y) of the top left corner of the host window's frame on the screen,
    or None without an X server or when the handle names no window."""
    if not 0 < host_window <= 0xFFFFFFFF:
        return None
    with _X() as x:
        if not x.ok:
            return None
        # The frame: the window's ancestor among the root's children.
        frame = host_window
        for _ in range(16):
            parent = x.parent_of(frame)
            if parent is None:
                return None
            if parent in (0, x.root):
                break
            frame = parent
        reply = x.xcb.xcb_translate_coordinates_reply(
            x.connection, x.xcb.xcb_translate_coordinates(x.connection, frame, x.root, 0, 0), None)
        if not reply:
            return None
        origin = (reply.contents.dst_x, reply.contents.dst_y)
        x.free(reply)
        return origin


def set_transient_for(window: int, host_window: int) -> bool:
    """Makes the top-level window that holds `window` (any X window of the
    tool, such as a Tk widget's winfo_id()) transient for the host's window
    (WM_TRANSIENT_FOR), so that the window manager keeps it above its host.
    The property goes on the window that carries the title, the one the
    window manager manages. False without an X server or a host window."""
    if not (0 < host_window <= 0xFFFFFFFF and 0 < window <= 0xFFFFFFFF):
        return False
    with _X() as x:
        if not x.ok or x.parent_of(host_window) is None:
            return False
        client = window
        for _ in range(16):
            if x.has_property(client, _XCB_ATOM_WM_NAME):
                break
            parent = x.parent_of(client)
            if parent is None:
                return False
            if parent in (0, x.root):
                break
            client = parent
        value = ctypes.c_uint32(host_window)
        x.xcb.xcb_change_property(x.connection, _XCB_PROP_MODE_REPLACE, client, _XCB_ATOM_WM_TRANSIENT_FOR,
                                  _XCB_ATOM_WINDOW, 32, 1, ctypes.byref(value))
        # A round trip before the connection closes: a request still on its
        # way when it closes can be lost.
        return x.has_property(client, _XCB_ATOM_WM_TRANSIENT_FOR)


# --- the session ----------------------------------------------------------------------

@dataclasses.dataclass
class ToolCommandLine:
    main_window_handle: int = 0   # the host's main window (X11 id), 0 when none
    takes_data: bool = False      # read the slots at start-up
    host_key: str = HOST_KEY
    instance_id: str = ""
    loaded_file_count: int = 0
    section: str = ""             # may hold blanks and commas


def parse_command_line(argv: Sequence[str]) -> Optional[ToolCommandLine]:
    """argv[1:] joined with blanks: six comma-separated fields, the section
    last (everything after the fifth comma). None when it is not a host's."""
    parts = " ".join(argv[1:]).split(",", 5)
    if len(parts) < 6:
        return None

    def whole(text: str) -> int:
        value = leading_number(text)
        return int(round(value)) if math.isfinite(value) and abs(value) <= 9e15 else 0

    return ToolCommandLine(main_window_handle=whole(parts[0]), takes_data=whole(parts[1]) != 0,
                           host_key=parts[2], instance_id=parts[3], loaded_file_count=whole(parts[4]),
                           section=parts[5])


@dataclasses.dataclass
class ToolCommand:
    """A command from the host: kind is "MoveWin", "Unsaved", "Start", "Close",
    "DataChanged", "DeleteFile", "LoadedCount" or "Unknown"."""
    kind: str
    text: str
    x: int = 0
    y: int = 0
    path: str = ""
    loaded_count: int = 0


_KINDS = {k.upper(): k for k in ("MoveWin", "Unsaved", "Start", "Close", "DataChanged", "DeleteFile",
                                 "LoadedCount")}


def parse_command(text: str) -> ToolCommand:
    verb, _, rest = text.partition(",")
    kind = _KINDS.get(verb.strip(" \t\r\n").upper(), "Unknown")
    command = ToolCommand(kind=kind, text=text)

    def whole(t: str) -> int:
        value = leading_number(t)
        return int(round(value)) if math.isfinite(value) and abs(value) < 2 ** 31 else 0

    if kind == "MoveWin":
        x, _, tail = rest.partition(",")
        command.x, command.y = whole(x), whole(tail.partition(",")[0])
    elif kind == "DeleteFile":
        command.path = rest
    elif kind == "LoadedCount":
        command.loaded_count = whole(rest)
    return command


class ToolSession:
    def __init__(self, store: SettingsStore, command_line: ToolCommandLine, act_name: str,
                 host: Optional[tuple] = None):
        self.store = store
        self.command_line = command_line
        self.act_name = act_name
        self._host = host             # (pid, start ticks or None), or None: not watched
        self._next_host_check = 0.0
        self._host_gone = False

    @classmethod
    def start(cls, argv: Sequence[str], act_name: str, store_path: Optional[Path] = None) -> "ToolSession":
        """Reads the command line and opens the shared store. Raises
        ValueError when not started by the host."""
        line = parse_command_line(argv)
        if line is None or not line.section or not line.host_key:
            raise ValueError('Not started by the host: expected six comma-separated fields, got "%s"'
                             % " ".join(argv[1:]))
        store = SettingsStore(store_path or default_settings_path())
        host = None
        try:
            pid = int(os.environ.get(HOST_PID_VARIABLE, ""))
            start = os.environ.get(HOST_START_VARIABLE)
            host = (pid, int(start) if start and start.isdigit() else None) if pid > 0 else None
        except ValueError:
            pass
        return cls(store, line, act_name, host)

    @property
    def window_title(self) -> str:
        """The title the tool's top-level window must carry: its ActName, exactly."""
        return self.act_name

    @property
    def mailbox_key(self) -> str:
        if not self.command_line.instance_id:
            return self.act_name
        return self.act_name + MAILBOX_SEPARATOR + self.command_line.instance_id

    def read_data(self) -> List[PhotometricRecord]:
        """The data sets of the slots, in slot order, empty slots skipped,
        all read in one transaction. Raises ExchangeError as the host's reading fails."""
        keys = [name + str(slot) for slot in range(1, SLOT_COUNT + 1) for name in SLOT_FIELDS]
        values = self.store.read_many(self.command_line.section, keys)
        records = []
        for slot in range(SLOT_COUNT):
            texts = dict(zip(SLOT_FIELDS, values[slot * len(SLOT_FIELDS):(slot + 1) * len(SLOT_FIELDS)]))
            if texts["Filename"]:
                records.append(parse_slot(texts))
        return records

    def write_data(self, records: Sequence[PhotometricRecord]) -> int:
        """Clears all 25 slots and writes the records into slots 1 onwards, in
        one transaction. Returns the number written (at most 25); raises
        sqlite3.Error when the store refuses (nothing is kept then)."""
        values = []
        for slot in range(1, SLOT_COUNT + 1):
            written = dict(format_slot(records[slot - 1])) if slot <= len(records) else {}
            values += [(name + str(slot), written.get(name, "")) for name in SLOT_FIELDS]
        self.store.write_many(self.command_line.section, values)
        return min(len(records), SLOT_COUNT)

    def move_win_position(self, x: int, y: int) -> tuple:
        """Where "MoveWin,x,y" puts the tool's window on the screen: (x, y)
        from the host window's corner. Without an X server (or a host window)
        the numbers are all there is, and they come back as they are."""
        origin = host_window_origin(self.command_line.main_window_handle)
        return (x, y) if origin is None else (origin[0] + x, origin[1] + y)

    def keep_above_host(self, window: int) -> bool:
        """Keeps the tool's window above its host's: call it each time the
        window has been mapped (Tk: bind "<Map>" on the root and pass
        root.winfo_id()). Does nothing for a tool started without a host."""
        return set_transient_for(window, self.command_line.main_window_handle)

    def host_alive(self) -> bool:
        """Whether the host that started this tool still runs; True when the
        tool cannot tell (started by hand)."""
        if self._host_gone:
            return False
        if self._host is None:
            return True
        self._host_gone = not process_alive(*self._host)
        return not self._host_gone

    def take_command(self) -> Optional[ToolCommand]:
        """The command waiting in this instance's mailbox, taken (read and
        emptied in one step); None when none waits. Once the host has ended,
        a "Close" (its text empty): the tool ends with its host."""
        now = time.monotonic()
        if self._host is not None and now >= self._next_host_check:
            self._next_host_check = now + _HOST_CHECK_INTERVAL
            if not self.host_alive():
                return ToolCommand(kind="Close", text="")
        text = self.store.take(self.command_line.section, self.mailbox_key)
        return parse_command(text) if text else None

    def send_to_host(self, verb: str, extra_field: str = "", timeout: float = 5.0,
                     wait: Optional[Callable[[float], None]] = None) -> bool:
        """Sends "verb,ActName,instance[,extra]" once the host key is empty
        (checked and written in one statement). False after `timeout` seconds
        without writing. `wait(seconds)` runs between tries (a GUI's event
        pump); by default the session sleeps."""
        text = "%s,%s,%s" % (verb, self.act_name, self.command_line.instance_id)
        if extra_field:
            text += "," + extra_field
        return self.send_raw_to_host(text, timeout, wait)

    def send_raw_to_host(self, text: str, timeout: float = 5.0,
                         wait: Optional[Callable[[float], None]] = None) -> bool:
        deadline = time.monotonic() + timeout
        key = self.command_line.host_key or HOST_KEY
        while not self.store.write_if_empty(self.command_line.section, key, text):
            if time.monotonic() >= deadline or not self.host_alive():
                return False
            (wait or time.sleep)(0.005)
        return True
