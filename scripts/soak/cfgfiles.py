"""The cfg file: damaging it between runs as a player or a crash might, reading it, and telling
whether it is whole."""

import os
import random
import re

from .tables import NAMES, SETTINGS

CFG_LINE = re.compile(r'([a-z_]+) "([^"]*)" //(.*)')

GARBAGE_LINES = ['pp_enabled "0"; queue', "garbage_command 1", "\x01\x02 {}[] junk", "{}{}", "// a comment", "",
                 "   ", 'PP_MODE "custom"', 'pp_old_setting "1" //gone', "pp_mode custom // unquoted",
                 'pp_requeue_delay "4" //x; queue', "queue"]


def apply_edit(edit, cfg_file, home):
    """Changes the cfg file as the edit says; returns a note for the failure report."""
    if not edit or edit["kind"] == "none":
        return "none"
    kind = edit["kind"]
    exists = os.path.lexists(cfg_file)
    data = read_cfg(cfg_file) or b""
    if kind == "delete":
        if exists:
            os.remove(cfg_file)
        return "deleted"
    if kind == "symlink":
        target_dir = os.path.join(home, "elsewhere")
        os.makedirs(target_dir, exist_ok=True)
        if os.path.lexists(cfg_file):
            os.remove(cfg_file)
        with open(os.path.join(target_dir, "real.cfg"), "wb") as out:
            out.write(data)
        os.symlink(os.path.join("..", "elsewhere", "real.cfg"), cfg_file)
        return "made it a symbolic link to ../elsewhere/real.cfg"
    if kind == "leftover":
        # Where a crashed write leaves it: beside the file that is written (a link's target).
        with open(os.path.realpath(cfg_file) + ".deadbeef0000.tmp", "wb") as out:
            out.write(data[: len(data) // 2])
        return "left a half-written temporary beside it"
    data = edited_data(edit, data)
    if os.path.islink(cfg_file):
        cfg_file = os.path.realpath(cfg_file)
    with open(cfg_file, "wb") as out:
        out.write(data)
    if kind in ("value", "duplicate"):
        return "%s: %s \"%s\"" % (kind, edit["name"], edit["word"])
    return kind


def edited_data(edit, data):
    """The bytes of the cfg file after an edit that changes only its contents."""
    rng = random.Random(edit["seed"])
    kind = edit["kind"]
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    if kind == "value":
        name = edit["name"].encode()
        value = edit["word"].encode("utf-8", "surrogateescape")
        lines = [b'%s "%s" //%s' % (name, value, SETTINGS[edit["name"]].description.encode())
                 if line.startswith(name + b" ") else line for line in lines]
        data = b"".join(line + b"\n" for line in lines)
    elif kind == "duplicate":
        value = edit["word"].encode("utf-8", "surrogateescape")
        data = data + b'%s "%s" //again\n' % (edit["name"].encode(), value)
    elif kind == "crlf":
        data = b"".join(line + b"\r\n" for line in lines)
    elif kind == "bom":
        data = b"\xef\xbb\xbf" + data
    elif kind == "shuffle":
        rng.shuffle(lines)
        data = b"".join(line + b"\n" for line in lines)
    elif kind == "drop":
        for _ in range(min(len(lines), rng.randint(1, 3))):
            lines.pop(rng.randrange(len(lines)))
        data = b"".join(line + b"\n" for line in lines)
    elif kind == "truncate":
        data = data[: rng.randint(0, max(0, len(data) - 1))]
    elif kind == "empty":
        data = b""
    elif kind == "garbage":
        for _ in range(rng.randint(1, 4)):
            lines.insert(rng.randint(0, len(lines)), rng.choice(GARBAGE_LINES).encode())
        data = b"".join(line + b"\n" for line in lines)
    return data


def read_cfg(cfg_file):
    try:
        with open(cfg_file, "rb") as data:
            return data.read()
    except OSError:
        return None


def whole_cfg_problem(data):
    """Why these bytes are not a whole cfg file (empty when they are one), and its values."""
    if data is None:
        return "there is no cfg file", None
    text = data.decode("utf-8", "surrogateescape")
    if not text.endswith("\n"):
        return "the cfg file does not end with a line break", None
    lines = text[:-1].split("\n")
    if len(lines) != len(NAMES):
        return "the cfg file has %d lines, not %d" % (len(lines), len(NAMES)), None
    values = {}
    for name, line in zip(NAMES, lines):
        match = CFG_LINE.fullmatch(line)
        if not match or match.group(1) != name or match.group(3) != SETTINGS[name].description:
            return "cfg line %r is not the line of %s" % (line, name), None
        values[name] = match.group(2)
    return "", values
