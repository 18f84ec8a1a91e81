#!/usr/bin/env python3
"""Reliability runs of postplay-host: random sessions checked against a small model, kills
while the cfg file is rewritten, and file-system faults. Only the standard library is used.

    soak.py [N] [--first SEED] [--seed SEED] [--kills K] [--faults --shim LIB] [--host PATH] [--jobs J]

N sessions (seeds FIRST .. FIRST+N-1) run by default; --seed replays one session and prints
its scripts and transcripts. scripts/soak.sh builds what this needs and calls it.

A session is one to four runs of the host program on one home folder and one working folder.
Each run is a generated script of console lines: settings with good, out-of-range and bad
values, toggles (the command and a bound key), scans, matches in playlists of every kind,
ends with any winner, MMR reports typed or delayed, party changes, the menu, disconnects,
clock steps, page frames, changes handed to the rendering thread while it draws, and plug-in
reloads. Between runs the cfg file is edited or damaged as a player, or a crash, might.

The model states outcomes, not steps. It reads the transcript line by line and knows, for
each setting, the values it may hold at that moment: one value; several while the rendering
thread may or may not have run a handed change yet; or "any" after a value whose stored form
it leaves to the host, read back from the print that follows. It claims:

- the host exits with status 0, writes nothing to standard error and does not hang;
- a destination is loaded, or its failure logged, only after a match end or an MMR report
  that called for it (plug-in on, the playlist's kind on, for a match end the MMR wait off),
  at most once per game, with the command or log line the destination settings give; when
  the call was certain, the load does happen;
- a re-queue runs only when a decision taken solo or as party leader, with re-queue on, set
  it for that moment, by a plug-in object that was not unloaded since, never while a search
  runs; when it fires it looks again (plug-in and re-queue still on, not in another online
  match); when all that is certain, it runs;
- every printed value is one the model allows; a scan resets the selected map only when the
  folder holds maps and not that one;
- nothing runs that nobody asked for: every game change the host reports follows the command
  that causes it, the plug-in runs only its own commands, and no line says a command is
  unknown unless the script typed it;
- after each run the cfg file is whole (the twelve settings in byte order, each with its
  description), holds the values the variables ended with, and has no temporary beside it.

A cfg file damaged between runs is the player's file: the host runs its lines when the
plug-in loads it, so a line such as `pp_enabled "0"; queue` may set the value and start a
search right then, and the values it touches are read back rather than predicted. The model
claims that the plug-in's next write replaces the whole file, no more.

--kills K kills the host K times at random moments of a script whose lines nearly all rewrite
the cfg file, from both threads and across reloads; a file that is there must be whole and
hold values the script gave. --faults makes the cfg writes and the workshop scan fail through
scripts/soak_fault_shim.c (put in front of the C library) and through real link loops,
over-long names, a read-only file and a folder in the file's place: each failure must give one
log line that says why, keep the previous file, and raise nothing into the host.
"""

import argparse
import math
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

# ---- The plug-in's settings, as the player sees them ---------------------------------------

# name: (default, description, kind); kinds: "switch" (0 to 1), "delay" (at least 0), "text".
SETTINGS = {
    "plugin_language": ("INT", "Set the language for plugin UI and messages", "text"),
    "pp_custom_training_pack_code": ("", "Custom training pack code", "text"),
    "pp_enable_casual": ("1", "Enable casual mode", "switch"),
    "pp_enable_competitive": ("1", "Enable competitive mode", "switch"),
    "pp_enabled": ("1", "Enable the plugin", "switch"),
    "pp_mode": ("freeplay", "Set the training mode (freeplay/custom)", "text"),
    "pp_requeue": ("1", "Toggle auto requeue", "switch"),
    "pp_requeue_delay": ("0", "Set requeue delay in seconds", "delay"),
    "pp_toggle_bind": ("", "Key bind to toggle the plugin", "text"),
    "pp_wait_mmr": ("1", "Wait for MMR to be visible before leaving", "switch"),
    "pp_workshop_map": ("", "Workshop map", "text"),
    "pp_workshop_maps_folder": ("", "Workshop maps folder", "text"),
}
NAMES = sorted(SETTINGS)  # byte order (all names are ASCII)

COMPETITIVE = {10, 11, 13, 27, 28, 29, 30}
CASUAL = {0, 1, 2, 3, 4, 8, 15, 16, 17, 18, 23, 25, 26, 31, 32, 33, 35, 37, 38, 41, 43, 44, 46, 47, 48, 49, 50,
          52, 54, 55, 62}
OTHER = [5, 6, 7, 9, 12, 14, 19, 20, 24, 63, 64, -1, 100]

ANY = None  # "any value the setting's kind allows"; otherwise a frozenset of possible texts
TOGGLE, SCAN = "<toggle>", "<scan>"  # changes handed to the rendering thread besides values

# A number as strtod reads one (decimal or hexadecimal; the host never stores inf or nan).
NUMBER = re.compile(r"[+-]?(0[xX]([0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)([pP][+-]?\d+)?|"
                    r"(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)")
PLAIN = re.compile(r"-?\d{1,6}(\.\d{1,3})?")
PACK_CODE = re.compile(r"[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}")
CFG_LINE = re.compile(r'([a-z_]+) "([^"]*)" //(.*)')
TIMED = re.compile(r"\[(-?\d+\.\d)\] (.*)")
REPORT = re.compile(r"ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|WARNING: ThreadSanitizer|"
                    r"ERROR: ThreadSanitizer|SUMMARY: \w+Sanitizer")
CFG_TEMPORARY = re.compile(r"Postplay\.cfg\..*\.tmp")


def number_of(text):
    """The number a value states, as the host reads it (0 when it states none)."""
    match = NUMBER.match(text.lstrip(" \t"))
    if not match:
        return 0.0
    value = parse_number(match.group(0))
    return value if math.isfinite(value) else 0.0


def parse_number(text):
    sign = -1.0 if text.startswith("-") else 1.0
    body = text.lstrip("+-")
    if body[:2] in ("0x", "0X"):
        if "p" not in body.lower():
            body += "p0"
        return sign * float.fromhex(body)
    return sign * float(body)


def whole_of(text):
    value = number_of(text)
    return int(max(-2147483648.0, min(2147483647.0, value)))


def switch_on(text):
    return whole_of(text) != 0


def stored_value(kind, word):
    """The value a console line `NAME WORD` leaves, or ANY when the model leaves it to the host."""
    if kind == "text":
        return word
    if not PLAIN.fullmatch(word) or word in ("-0",) or word.startswith("-0."):
        return ANY
    value = float(word)
    if value < 0:
        return "0"
    if kind == "switch" and value > 1:
        return "1"
    return word


def allowed_value(kind, text):
    """Whether a value read back is one a setting of this kind can hold."""
    if kind == "text":
        return True
    if not NUMBER.fullmatch(text):
        return False
    value = parse_number(text)
    return math.isfinite(value) and value >= 0 and (kind != "switch" or value <= 1)


def valid_pack_code(code):
    return PACK_CODE.fullmatch(code) is not None


def kept_pack_code(code):
    """Whether the plug-in takes this code as the one to load: a valid code, or none at all
    (an emptied setting clears it); any other text leaves the last one taken."""
    return code == "" or valid_pack_code(code)


def entry_failure(text):
    """A line saying that an exception reached the edge of the plug-in or of the host."""
    return text.startswith("Exception in plug-in code") or (text.startswith("Postplay: ") and " failed: " in text)


def console_safe(path):
    return not any(c in path for c in '";\r\n') and "//" not in path


def default_language(game_language):
    code = (game_language or "").upper()
    return "FRA" if code in ("FRA", "FR") else "INT"


# ---- Generating a session ----------------------------------------------------------------

MAP_FILES = ["maps/Alpha/alpha.upk", "maps/Beta/Beta.UPK", "maps/Gamma/readme.txt", "maps/Delta/delta.upk",
             "maps/Alpha/notes.txt", "maps;x/Semi/semi.upk", "odd dir/Space/space map.upk", "wörk/Ünï/ü.upk"]
MAP_DIRS = ["maps/Empty", "emptyfolder", "maps/Nested/deeper"]
FOLDERS = ["maps", "maps/", "maps\\", "./maps", "maps;x", "odd dir", "wörk", "emptyfolder", "missing", "",
           "maps/Alpha/alpha.upk", "maps//", "maps/Empty"]
MAPS = ["Alpha\\alpha.upk", "Beta\\Beta.UPK", "Delta\\delta.upk", "Semi\\semi.upk", "Space\\space map.upk",
        "Ünï\\ü.upk", "Gamma\\readme.txt", "Alpha", "nope\\x.upk", "", "Alpha\\alpha.upk;queue",
        "Alpha//alpha.upk", "beta\\beta.upk"]
SWITCH_VALUES = ["0", "1"] * 6 + ["2", "-1", "17", "0.5", "1.0", "1.5", "-0.5"]
SWITCH_BAD = ["abc", "", "nan", "1x", "1; queue", "1e0", " 1", "inf", "0x1", "+1"]
DELAY_VALUES = ["0", "1", "2", "3", "5", "8", "2", "3", "4"] + ["-3", "-1", "2.5", "0.5"]
DELAY_BAD = ["abc", "", "1e1", "99999999999", "3; queue", "nan", "7x", "4 //x"]
MODES = ["freeplay", "custom", "workshop"] * 4 + ["Workshop", "", "free play", "custom;queue", "custom // x",
                                                  "wörkshop"]
LANGUAGES = ["INT", "FRA", "INT", "FRA", "fra", "xx", "", "EN", "FR"]
BINDS = ["F1", "F2", "", "F3; queue", "Ctrl+X", "é"]
UNKNOWN = ["pp_unknown 1", "PP_ENABLED 0", "pp_enable 1", "garbage"]
# Folder and map chosen together, so that workshop loads happen often: maps that exist
# (some of them behind a path no console line can carry), maps that do not, folders that
# are not folders.
WORKSHOP_CHOICES = [("maps", "Alpha\\alpha.upk"), ("maps/", "Beta\\Beta.UPK"), ("maps\\", "Delta\\delta.upk"),
                    ("./maps", "Alpha\\alpha.upk"), ("maps;x", "Semi\\semi.upk"), ("odd dir", "Space\\space map.upk"),
                    ("wörk", "Ünï\\ü.upk"), ("maps//", "Alpha\\alpha.upk"), ("maps", "Alpha//alpha.upk"),
                    ("maps", "Gamma\\readme.txt"), ("maps", "Alpha"), ("missing", "Alpha\\alpha.upk"),
                    ("maps", ""), ("maps", "beta\\beta.upk"), ("maps/Alpha/alpha.upk", "x.upk")]


def random_code(rng):
    alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
    code = "-".join("".join(rng.choice(alphabet) for _ in range(4)) for _ in range(4))
    roll = rng.random()
    if roll < 0.6:
        return code
    bad = [code[:-1], code.replace("-", ""), code[:5] + "#" + code[6:], code[:9] + ";queue" + code[9:],
           "{}" + code[2:], "Ä" + code[1:], code.replace("-", " "), code + "X", "", code[:14] + "//" + code[16:]]
    return rng.choice(bad)


def quoted_if_needed(rng, word):
    if word == "" or any(c in word for c in " \t;") or "//" in word or rng.random() < 0.3:
        return '"' + word + '"'
    return word


class Step:
    """One script line and what it means to the model."""

    def __init__(self, line, op, *args):
        self.line = line
        self.op = op
        self.args = args


class Generator:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.bound = False        # F8 is bound to the toggle (kept in the home folder)
        self.rendering = False
        self.owned = set()        # settings only the rendering side changes in this window
        self.steps = []

    # -- lines ---------------------------------------------------------------------------
    def add(self, line, op, *args):
        self.steps.append(Step(line, op, *args))

    def wait(self, seconds):
        self.add("sim_wait %s" % seconds, "wait", seconds)

    def dump(self):
        for name in NAMES:
            self.add(name, "print", name)

    def value_for(self, name):
        rng = self.rng
        kind = SETTINGS[name][2]
        if kind == "switch":
            return rng.choice(SWITCH_VALUES) if rng.random() < 0.9 else rng.choice(SWITCH_BAD)
        if kind == "delay":
            return rng.choice(DELAY_VALUES) if rng.random() < 0.9 else rng.choice(DELAY_BAD)
        if name == "pp_mode":
            return rng.choice(MODES)
        if name == "pp_custom_training_pack_code":
            return random_code(rng)
        if name == "pp_workshop_maps_folder":
            return rng.choice(FOLDERS)
        if name == "pp_workshop_map":
            return rng.choice(MAPS)
        if name == "plugin_language":
            return rng.choice(LANGUAGES)
        return rng.choice(BINDS)

    def free_names(self):
        return [name for name in NAMES if name not in self.owned]

    def set_setting(self, name=None, render=False):
        rng = self.rng
        name = name or rng.choice(self.owned_list() if render else self.free_names())
        word = self.value_for(name)
        line = "%s %s" % (name, quoted_if_needed(rng, word))
        if render:
            self.add("sim_render_do " + line, "render_set", name, word)
            return
        self.add(line, "set", name, word)
        if stored_value(SETTINGS[name][2], word) is ANY:
            self.add(name, "print", name)

    def owned_list(self):
        return sorted(self.owned)

    # -- game ----------------------------------------------------------------------------
    def playlist(self):
        roll = self.rng.random()
        if roll < 0.45:
            return self.rng.choice(sorted(COMPETITIVE))
        if roll < 0.85:
            return self.rng.choice(sorted(CASUAL))
        return self.rng.choice(OTHER)

    def match_cycle(self):
        rng = self.rng
        self.add("sim_match %d" % self.playlist(), "match")
        if rng.random() < 0.7:
            self.wait(rng.choice([0.5, 1, 1.5, 2, 3]))
        team = rng.choice([0, 1, 0, 1, 0, 1, 2, 41, 42, 255])
        self.add("sim_end %d" % team, "end")
        for _ in range(rng.choice([0, 1, 1, 2])):
            roll = rng.random()
            if roll < 0.5:
                self.wait(rng.choice([0.5, 1, 2, 3, 5, 8]))
            elif roll < 0.85:
                self.add("sim_mmr" if rng.random() < 0.8 else "sim_mmr 76561190000000099", "mmr")
            else:
                self.add("sim_status", "status")
        if rng.random() < 0.6:
            self.wait(rng.choice([1, 2, 5, 9]))
        elif rng.random() < 0.4 and not self.rendering:
            self.reload()

    def unload_before_requeue(self):
        """A decision, then an unload before its re-queue is due: that timer must not run."""
        rng = self.rng
        self.add("sim_match %d" % rng.choice(sorted(COMPETITIVE | CASUAL)), "match")
        self.add("sim_end %d" % rng.choice([0, 1]), "end")
        self.add("sim_mmr", "mmr")
        if rng.random() < 0.5:
            self.wait(rng.choice([0.5, 1]))
        self.add("sim_reload", "reload")
        self.wait(rng.choice([3, 6, 10]))

    def workshop_choice(self):
        """A folder and a map set together, the mode set to workshop, often a scan."""
        if {"pp_workshop_map", "pp_workshop_maps_folder", "pp_mode"} & self.owned:
            return
        folder, selected = self.rng.choice(WORKSHOP_CHOICES)
        for name, word in (("pp_workshop_maps_folder", folder), ("pp_workshop_map", selected), ("pp_mode", "workshop")):
            self.add("%s %s" % (name, quoted_if_needed(self.rng, word)), "set", name, word)
        if self.rng.random() < 0.5:
            self.scan()

    def game_step(self):
        rng = self.rng
        choices = [
            (24, lambda: self.set_setting()),
            (3, self.workshop_choice),
            (4, self.toggle),
            (3, lambda: self.scan()),
            (2, lambda: self.add("writeconfig", "writeconfig")),
            (14, self.match_cycle),
            (3, lambda: self.add("sim_match %d" % self.playlist(), "match")),
            (3, lambda: self.add("sim_end %d" % rng.choice([0, 1, 255]), "end")),
            (4, lambda: self.add("sim_mmr", "mmr")),
            (8, lambda: self.wait(rng.choice([0.5, 1, 2, 3, 5, 10]))),
            (2, lambda: self.add("sim_mmr_delay %s" % rng.choice(["0", "1", "2.5", "off", "off"]), "mmr_delay")),
            (4, lambda: self.add("sim_party %s" % rng.choice(["none", "leader", "member"]), "party")),
            (2, lambda: self.add("sim_menu", "menu")),
            (1, lambda: self.add("sim_disconnect", "menu")),
            (2, lambda: self.add("queue // by hand", "queue")),
            (2, lambda: self.add("sim_status", "status")),
            (1, lambda: self.add("sim_language %s" % rng.choice(["INT", "FRA", "none"]), "language")),
            (2, lambda: self.add("sim_frame %d" % rng.randint(1, 3), "frame")),
            (1, lambda: self.add(rng.choice(UNKNOWN), "unknown")),
            (1, lambda: self.add("sim_key F9", "other")),
            (3, self.several_settings),
        ]
        if not self.rendering:
            choices += [(3, self.reload), (3, self.render_window), (1, self.dump), (3, self.unload_before_requeue)]
        total = sum(weight for weight, _ in choices)
        pick = rng.uniform(0, total)
        for weight, action in choices:
            pick -= weight
            if pick <= 0:
                action()
                return
        choices[-1][1]()

    def toggle(self, render=False):
        if not render and "pp_enabled" in self.owned:
            return
        if render:
            self.add("sim_render_do pp_toggle", "render_toggle")
        elif self.bound and self.rng.random() < 0.5:
            self.add("sim_key F8", "toggle")
        else:
            self.add("pp_toggle", "toggle")

    def scan(self, render=False):
        if render:
            self.add("sim_render_do pp_find_workshop_maps", "render_scan")
        elif "pp_workshop_map" not in self.owned and "pp_workshop_maps_folder" not in self.owned:
            self.add("pp_find_workshop_maps // scan", "scan")
            self.add("pp_workshop_map", "print", "pp_workshop_map")

    def several_settings(self):
        names = self.rng.sample(self.free_names(), min(3, len(self.free_names())))
        words = [self.value_for(name) for name in names[: self.rng.randint(2, 3)]]
        pairs = list(zip(names, words))
        line = "; ".join("%s %s" % (name, quoted_if_needed(self.rng, word)) for name, word in pairs)
        self.add(line, "multi", pairs)
        for name, word in pairs:
            if stored_value(SETTINGS[name][2], word) is ANY:
                self.add(name, "print", name)

    def reload(self):
        self.add("sim_reload", "reload")
        self.wait(self.rng.choice([0.2, 0.5, 1, 3, 6, 10]))
        if self.rng.random() < 0.5:
            self.dump()

    def render_window(self):
        rng = self.rng
        rate = rng.choice(["", " 30", " 120", " 500"])
        self.add("sim_render on" + rate, "render_on")
        self.rendering = True
        self.owned = set(rng.sample(NAMES, rng.randint(1, 4)))
        if rng.random() < 0.3:
            self.owned |= {"pp_workshop_map", "pp_workshop_maps_folder"}
        for _ in range(rng.randint(3, 12)):
            roll = rng.random()
            if roll < 0.4:
                self.set_setting(render=True)
            elif roll < 0.48 and "pp_enabled" in self.owned:
                self.toggle(render=True)
            elif roll < 0.55 and {"pp_workshop_map", "pp_workshop_maps_folder"} <= self.owned:
                self.scan(render=True)
            elif roll < 0.6:
                self.add("sim_render_do writeconfig", "render_other")
            elif roll < 0.64:
                self.add("sim_render_do sim_status", "render_other")
            elif roll < 0.7:
                self.add("sim_frame %d" % rng.randint(1, 3), "frame")
            elif roll < 0.73:
                self.reload()
            else:
                self.game_step()
        self.add("sim_render off", "render_off")
        self.rendering = False
        self.owned = set()
        self.dump()

    # -- runs and sessions -----------------------------------------------------------------
    def run_script(self, first):
        rng = self.rng
        self.steps = []
        self.wait(rng.choice([0.2, 0.5, 1]))
        self.dump()
        if first:
            for path in rng.sample(MAP_FILES, rng.randint(3, len(MAP_FILES))):
                self.add("sim_file " + path, "file")
            for path in rng.sample(MAP_DIRS, rng.randint(0, len(MAP_DIRS))):
                self.add("sim_dir " + path, "file")
            if rng.random() < 0.6:
                self.add("bind F8 pp_toggle", "other")
                self.bound = True
        for _ in range(rng.randint(12, 30)):
            self.game_step()
        self.dump()
        return self.steps

    def session(self):
        runs = []
        for index in range(self.rng.choice([1, 2, 2, 3, 3, 4])):
            edit = None if index == 0 else self.cfg_edit()
            language = self.rng.choice([None, None, "INT", "FRA", "none", "fr"])
            runs.append({"edit": edit, "language": language, "steps": self.run_script(index == 0)})
        return runs

    def cfg_edit(self):
        rng = self.rng
        kind = rng.choice(["none"] * 6 + ["value", "value", "crlf", "bom", "shuffle", "drop", "truncate", "empty",
                                          "delete", "garbage", "garbage", "duplicate", "symlink", "leftover"])
        edit = {"kind": kind, "seed": rng.randrange(1 << 30)}
        if kind in ("value", "duplicate"):
            name = rng.choice(NAMES)
            edit["name"] = name
            edit["word"] = self.value_for(name)
        return edit


# ---- Damaging and reading the cfg file between runs ----------------------------------------

GARBAGE_LINES = ['pp_enabled "0"; queue', "garbage_command 1", "\x01\x02 {}[] junk", "{}{}", "// a comment", "",
                 "   ", 'PP_MODE "custom"', 'pp_old_setting "1" //gone', "pp_mode custom // unquoted",
                 'pp_requeue_delay "4" //x; queue', "queue"]


def apply_edit(edit, cfg_file, home):
    """Changes the cfg file as the edit says; returns a note for the failure report."""
    if not edit or edit["kind"] == "none":
        return "none"
    rng = random.Random(edit["seed"])
    kind = edit["kind"]
    exists = os.path.lexists(cfg_file)
    data = read_cfg(cfg_file) or b""
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    if kind == "value":
        name = edit["name"].encode()
        value = edit["word"].encode("utf-8", "surrogateescape")
        lines = [b'%s "%s" //%s' % (name, value, SETTINGS[edit["name"]][1].encode())
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
    if os.path.islink(cfg_file):
        cfg_file = os.path.realpath(cfg_file)
    with open(cfg_file, "wb") as out:
        out.write(data)
    if kind in ("value", "duplicate"):
        return "%s: %s \"%s\"" % (kind, edit["name"], edit["word"])
    return kind


def expected_after_load(data, language_default):
    """What the settings hold once the plug-in has loaded a cfg file with these bytes, as far
    as the model claims it: (values, garbage, code). Values maps each name to a frozenset or
    ANY; garbage says the file has lines of the player's own making, which run at the load;
    code is the pack code the plug-in keeps to load (the last one taken, line by line)."""
    values = {name: frozenset([SETTINGS[name][0]]) for name in NAMES}
    values["plugin_language"] = frozenset([language_default])
    code = frozenset([""])
    if data is None:
        return values, False, code
    text = data.decode("utf-8", "surrogateescape")
    if text.startswith("\ufeff"):
        text = text[1:]
    garbage = False
    for line in text.split("\n"):
        if line.endswith("\r"):
            line = line[:-1]
        match = CFG_LINE.fullmatch(line)
        if match and match.group(1) in SETTINGS and "\r" not in line:
            name, word = match.group(1), match.group(2)
            value = stored_value(SETTINGS[name][2], word)
            if name == "pp_custom_training_pack_code" and code is not ANY and kept_pack_code(value) \
                    and values[name] != frozenset([value]):
                code = frozenset([value])
            values[name] = ANY if value is ANY else frozenset([value])
            continue
        if line.strip(" \t") == "" or line.lstrip(" \t").startswith("//"):
            continue
        garbage = True
        for name in NAMES:
            if name in line:
                values[name] = ANY
        if "pp_custom_training_pack_code" in line:
            code = ANY
        if "pp_toggle" in line:     # a line cut after "pp_toggle" runs the toggle
            values["pp_enabled"] = ANY
    return values, garbage, code


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
        if not match or match.group(1) != name or match.group(3) != SETTINGS[name][1]:
            return "cfg line %r is not the line of %s" % (line, name), None
        values[name] = match.group(2)
    return "", values


# ---- The model -----------------------------------------------------------------------------

class Break(Exception):
    pass


class Model:
    """What a session's runs may and must show. One instance lives through all the runs."""

    def __init__(self, work):
        self.work = work
        self.binds = {}

    # -- possible values ---------------------------------------------------------------------
    def outcomes(self, name, convert):
        """The set of converted values a setting may give, or None when any may come."""
        values = self.values[name]
        if values is ANY:
            return None
        return {convert(v) for v in values}

    def switch(self, name):
        result = self.outcomes(name, switch_on)
        return {False, True} if result is None else result

    def is_map_file(self, path):
        return os.path.isfile(os.path.join(self.work, path.replace("\\", "/")))

    def scan_entries(self, folder):
        """The entries a scan of this folder finds (None for no folder); the sessions put at
        most one map file in each sub-folder, so the entries are known without the order."""
        if folder == "":
            return None
        root = os.path.join(self.work, folder.replace("\\", "/"))
        if not os.path.isdir(root):
            return set()
        entries = set()
        for sub in os.listdir(root):
            directory = os.path.join(root, sub)
            if not os.path.isdir(directory):
                continue
            for name in os.listdir(directory):
                if name.lower().endswith(".upk") and len(name) > 4 and os.path.isfile(os.path.join(directory, name)):
                    entries.add(sub + "\\" + name)
        return entries

    def destinations(self):
        """What a load may do now: a set of ("load", command) and ("log", line), None for any."""
        modes = self.outcomes("pp_mode", lambda m: m if m in ("custom", "workshop") else "freeplay")
        if modes is None:
            return None
        result = set()
        for mode in modes:
            if mode == "freeplay":
                result.add(("load", "load_freeplay"))
            elif mode == "custom":
                if self.code_copy is ANY:
                    return None
                for code in self.code_copy:
                    result.add(("load", "load_training " + code.upper()) if code else
                               ("log", "Invalid training pack code: "))
            else:
                folders, maps = self.values["pp_workshop_maps_folder"], self.values["pp_workshop_map"]
                if folders is ANY or maps is ANY:
                    return None
                for folder in folders:
                    for selected in maps:
                        path = folder + "\\" + selected
                        if selected == "":
                            result.add(("log", "No workshop map selected"))
                        elif not self.is_map_file(path):
                            result.add(("log", "Invalid workshop maps folder or map"))
                        elif not console_safe(path):
                            result.add(("log", "Workshop map path cannot be used in a console command: " + path))
                        else:
                            result.add(("load", "load_workshop " + path))
        return result

    def fail(self, message):
        raise Break("%s (at [%s] in run %d)" % (message, self.now_text, self.run_number))

    # -- a run -------------------------------------------------------------------------------
    def start_run(self, number, steps, cfg_data, game_language):
        self.run_number = number
        self.steps = steps
        values, garbage, code = expected_after_load(cfg_data, default_language(game_language))
        self.values = values
        self.garbage_load = garbage
        self.code_copy = code
        self.must_write = False
        # The game, as the host reports it.
        self.place = "menu"           # "menu", "match", "ended" (a match with a winner) or "training"
        self.playlist = None
        self.winner = None
        self.searching = False
        self.party = "none"
        self.mmr_delay = False
        self.match_serial = 0         # which match the player is (or was last) in
        # The plug-in object's life.
        self.pending = {False}        # whether a destination load was already set for this game
        self.timers = []              # re-queues that may come: {"due": set or None, "match", "sure"}
        self.expected_loads = []      # decisions whose load may come: {"outcomes", "sure"}
        # The rendering side.
        self.rendering = False
        self.handed = []              # (name, change) handed in this window, in order
        self.window_start = dict(self.values)
        self.window_seen = dict(self.values)  # every value a setting held in this window
        self.page_drew = False        # the page has drawn (it scans once by itself)
        self.awaiting = None          # a load or queue command whose host answer comes next
        self.now = 0.0
        self.now_text = "0.0"

    def copy_from_value(self):
        """The plug-in's copy of the pack code right after a load: the code when it is valid."""
        values = self.values["pp_custom_training_pack_code"]
        if values is ANY:
            return ANY
        return frozenset(v if valid_pack_code(v) else "" for v in values)

    def set_value(self, name, value):
        """The game thread (or a rendering-side line run at once) stored `value` (text or ANY)."""
        before = self.values[name]
        self.values[name] = ANY if value is ANY else frozenset([value])
        if value is not ANY and before is not ANY and value not in before:
            self.must_write = True
        if self.rendering:
            # The game thread changes only settings no handed line changes; a scan of the
            # page may still reset the map afterwards.
            self.window_start[name] = self.values[name]
            self.handed = [(n, change) for n, change in self.handed if n != name or change == SCAN]
            states = self.sequence_states(name)
            self.values[name] = ANY if any(state is ANY for state in states) else frozenset().union(*states)
            self.remember_in_window(name)
        if name == "pp_custom_training_pack_code":
            if value is ANY:
                self.code_copy = ANY
            elif kept_pack_code(value):
                self.code_copy = frozenset([value])

    def toggled(self, values):
        if values is ANY:
            return frozenset(["0", "1"])
        return frozenset("0" if switch_on(v) else "1" for v in values)

    def render_change(self, name, value):
        """A change handed to the running rendering thread (a value, ANY, TOGGLE or SCAN): it
        may run at any moment until the rendering stops, so meanwhile the setting may hold
        any value along the sequence handed so far."""
        self.handed.append((name, value))
        states = self.sequence_states(name)
        self.values[name] = ANY if any(state is ANY for state in states) else frozenset().union(*states)
        self.remember_in_window(name)
        if name == "pp_custom_training_pack_code":
            if value is ANY or self.code_copy is ANY:
                self.code_copy = ANY
            elif kept_pack_code(value):
                self.code_copy = self.code_copy | {value}

    def remember_in_window(self, name):
        seen, now = self.window_seen[name], self.values[name]
        self.window_seen[name] = ANY if seen is ANY or now is ANY else seen | now

    def sequence_states(self, name):
        """The possible values of a setting before and after each change handed in this window."""
        state = self.window_start[name]
        states = [state]
        for handed_name, value in self.handed:
            if handed_name != name:
                continue
            if value is ANY or state is ANY:
                state = ANY
            elif value == TOGGLE:
                state = self.toggled(state)
            elif value == SCAN:
                state = state | {""}
            else:
                state = frozenset([value])
            states.append(state)
        return states

    def settle_rendering(self):
        """Every handed line has run: each setting holds the end of its sequence (and the
        selected map may have been reset by a scan of the page)."""
        for name in {name for name, _ in self.handed}:
            self.values[name] = self.sequence_states(name)[-1]
            if name == "pp_custom_training_pack_code":
                codes = [value for handed_name, value in self.handed if handed_name == name]
                if any(value is ANY for value in codes):
                    self.code_copy = ANY
                else:
                    valid = [value for value in codes if kept_pack_code(value)]
                    if valid:
                        self.code_copy = frozenset([valid[-1]])
        maps = self.values["pp_workshop_map"]
        if maps is not ANY:
            self.values["pp_workshop_map"] = maps | {""}
        self.handed = []
        self.window_start = dict(self.values)

    # -- walking the transcript --------------------------------------------------------------
    def check_run(self, lines):
        script = [step.line for step in self.steps]
        index = 0                 # the next script line expected
        self.block = None
        self.print_wanted = None
        for raw in lines:
            match = TIMED.fullmatch(raw)
            if not match:
                self.fail("a line without a time stamp: %r" % raw)
            self.now_text = match.group(1)
            t = float(match.group(1))
            if t + 1e-9 < self.now:
                self.fail("time went back to %s" % match.group(1))
            self.now = t
            text = match.group(2)
            if index < len(script) and text == "> " + script[index]:
                self.fire_timers(t, inclusive=True)
                self.close_block()
                self.open_block(self.steps[index])
                index += 1
                continue
            self.fire_timers(t, inclusive=False)
            self.host_line(text)
        if index != len(script):
            self.fail("the run stopped before the script line %r" % script[index])
        self.fire_timers(self.now, inclusive=True)
        self.close_block()

    def open_block(self, step):
        """A script line starts: what it changes holds from now on."""
        if self.print_wanted:
            self.fail("no value was printed for %s" % self.print_wanted)
        self.block = {"step": step, "scan": False, "seen": [], "expect_scan": None, "settle": False}
        op, args = step.op, step.args
        if op == "set":
            self.set_value(args[0], stored_value(SETTINGS[args[0]][2], args[1]))
        elif op == "multi":
            for name, word in args[0]:
                self.set_value(name, stored_value(SETTINGS[name][2], word))
        elif op == "print":
            self.print_wanted = args[0]
        elif op == "toggle":
            if step.line != "sim_key F8" or self.binds.get("F8") == "pp_toggle":
                self.set_toggle()
        elif op == "other" and step.line.startswith("bind "):
            self.binds["F8"] = "pp_toggle"
        elif op == "scan":
            self.block["scan"] = True
            if not self.rendering:
                self.block["expect_scan"] = self.scan_expectation()
        elif op == "writeconfig":
            self.must_write = True
        elif op == "queue":
            self.awaiting = None if self.searching else "queue"
        elif op == "mmr_delay":
            self.mmr_delay = not step.line.endswith(" off")
        elif op == "reload":
            self.reload()
        elif op == "frame":
            self.page_drew = True
            self.block["scan"] = True
        elif op == "render_on":
            self.rendering = True
            self.page_drew = True
            self.window_start = dict(self.values)
            self.window_seen = dict(self.values)
            self.handed = []
            self.render_change("pp_workshop_map", SCAN)   # the page's own first scan
        elif op == "render_off":
            self.block["settle"] = True
        elif op.startswith("render_") and not self.rendering:
            self.render_now(step)
        elif op == "render_set":
            name, word = args
            self.render_change(name, stored_value(SETTINGS[name][2], word))
        elif op == "render_toggle":
            self.render_change("pp_enabled", TOGGLE)
        elif op == "render_scan":
            self.block["scan"] = True
            self.render_change("pp_workshop_map", SCAN)

    def render_now(self, step):
        """A rendering-side line while nothing renders runs at once, before the next line."""
        if step.op == "render_set":
            name, word = step.args
            self.set_value(name, stored_value(SETTINGS[name][2], word))
        elif step.op == "render_toggle":
            self.set_toggle()
        elif step.op == "render_scan":
            self.block["scan"] = True
            maps = self.values["pp_workshop_map"]
            self.values["pp_workshop_map"] = ANY if maps is ANY else maps | {""}
        elif step.line.endswith("writeconfig"):
            self.must_write = True

    def set_toggle(self):
        self.values["pp_enabled"] = self.toggled(self.values["pp_enabled"])
        self.must_write = True

    def reload(self):
        self.timers = []
        self.expected_loads = []
        self.pending = {False}
        self.must_write = True
        # Unloading stops the rendering first, which runs every handed line (by the end of
        # this line); the old storage writes its values as it goes, the new one loads them:
        # the values come back, and the pack code copy starts from the value the file gives.
        self.block["settle"] = True
        self.block["reloaded"] = True

    def scan_expectation(self):
        folders, maps = self.values["pp_workshop_maps_folder"], self.values["pp_workshop_map"]
        if folders is ANY or maps is ANY or len(folders) != 1 or len(maps) != 1:
            return None
        folder, selected = next(iter(folders)), next(iter(maps))
        entries = self.scan_entries(folder)
        if entries is None:
            return ["Workshop maps folder is not set. Please set a valid folder path."]
        if not entries:
            return ["No valid workshop maps found in folder: " + folder]
        if selected and selected not in entries:
            return ["Selected workshop map is not valid anymore and has been reset."]
        return []

    def close_block(self):
        block = self.block
        if block is None:
            return
        if block["settle"] and self.rendering:
            self.settle_rendering()
            if block["step"].op == "render_off":
                self.rendering = False
        if block.get("reloaded"):
            self.code_copy = self.copy_from_value()
        for expectation in self.expected_loads:
            if expectation["sure"]:
                self.fail("a match end called for a destination load (%s) and none came" %
                          describe(expectation["outcomes"]))
        self.expected_loads = []
        if self.awaiting:
            self.fail("the host did not answer %r" % self.awaiting)
        wanted = block["expect_scan"]
        if wanted is not None:
            got = [line for line in block["seen"] if line.startswith(("Workshop maps folder is not set",
                                                                      "No valid workshop maps found",
                                                                      "Selected workshop map is not valid"))]
            if got != wanted:
                self.fail("the scan of line %r logged %r, the folder calls for %r" % (block["step"].line, got, wanted))
        if block["step"].op == "unknown" and not any(line.startswith("Unknown command:") for line in block["seen"]):
            self.fail("the unknown command %r ran as something" % block["step"].line)
        if self.print_wanted and block["step"].op != "print":
            self.fail("no value was printed for %s" % self.print_wanted)

    # -- timers ----------------------------------------------------------------------------
    # A re-queue timer looks again when it fires: it starts the search only while the plug-in
    # and the re-queue are on, no search runs and the player is not in another online match.
    def queue_allowed(self, timer):
        """(may run, must run) for a timer firing now."""
        if self.searching or (self.place in ("match", "ended") and self.match_serial != timer["match"]):
            return False, False
        enabled, requeue = self.switch("pp_enabled"), self.switch("pp_requeue")
        may = True in enabled and True in requeue
        return may, may and timer["sure"] and enabled == {True} and requeue == {True}

    def fire_timers(self, t, inclusive):
        """Before a line at time t (a script line when inclusive): a timer due at t may fire
        here, one due earlier has fired. It fires somewhere between the last line before its
        time and the first line after it, in an order with the other lines of that instant
        that the model leaves open: it must have run only if it had to wherever it fired."""
        kept = []
        for timer in self.timers:
            due = timer["due"]
            if due is None:
                kept.append(timer)
                continue
            latest = max(due)
            if latest < t or (latest == t and inclusive):
                points = timer.setdefault("points", []) + [self.queue_allowed(timer)[1]]
                if len(due) == 1 and all(points):
                    self.fail("a re-queue set for %.1f did not run" % latest)
                continue
            if t in due:
                timer.setdefault("points", []).append(self.queue_allowed(timer)[1])
            kept.append(timer)
        self.timers = kept

    # -- host lines ------------------------------------------------------------------------
    def host_line(self, text):
        block = self.block
        step = block["step"] if block else None
        op = step.op if step else None
        if block:
            block["seen"].append(text)
        first_load = block is not None and self.garbage_load and self.steps and step is self.steps[0]

        if self.print_wanted and text.startswith(self.print_wanted + ' "') and text.endswith('"'):
            self.read_print(self.print_wanted, text[len(self.print_wanted) + 2:-1])
            self.print_wanted = None
            return

        if text.startswith("> "):
            self.plugin_command(text[2:], first_load)
            return
        if first_load and text.split(" ", 1)[0] in SETTINGS and text.endswith('"'):
            return  # a damaged line naming a setting alone prints its value
        if self.awaiting and not text.startswith(("Entered ", "Searching for a match", "No such workshop map")):
            # Lines of the rendering thread may come between a command and its answer.
            if not self.rendering and not self.page_drew:
                self.fail("the host answered %r with %r" % (self.awaiting, text))

        if text.startswith("Entered match in playlist "):
            if op != "match" or step.line != "sim_match " + text.rsplit(" ", 1)[1]:
                self.fail("a match started without sim_match: %r" % text)
            self.enter("match")
            self.match_serial += 1
            self.playlist = int(text.rsplit(" ", 1)[1])
            self.searching = False
        elif text in ("Entered free play",) or text.startswith(("Entered training pack ", "Entered workshop map ")):
            expected = {"Entered free play": "load_freeplay"}.get(text)
            if expected is None:
                kind, rest = ("load_training ", text[len("Entered training pack "):]) \
                    if text.startswith("Entered training pack ") else ("load_workshop ", text[len("Entered workshop map "):])
                expected = kind + rest
            if self.awaiting != expected:
                self.fail("%r without the command that leads there (last command: %r)" % (text, self.awaiting))
            self.awaiting = None
            self.enter("training")
        elif text == "Searching for a match":
            if self.awaiting == "queue":
                self.awaiting = None
            elif not first_load:
                self.fail("a search started without a queue command")
            self.searching = True
        elif text.startswith("No such workshop map file: "):
            self.fail("the plug-in loaded a workshop map that does not exist: %r" % text)
        elif text.startswith("Match ended; winner: team "):
            if op != "end":
                self.fail("a match ended without sim_end")
            self.winner = int(text.rsplit(" ", 1)[1])
            self.place = "ended"
            self.decide(mmr=False)
        elif text.startswith("MMR updated for player "):
            if op not in ("mmr", "wait") and not (op == "end" and self.mmr_delay):
                self.fail("an MMR report nobody asked for")
            if self.place == "ended" and self.winner is not None and self.winner < 42:
                self.decide(mmr=True)
        elif text.startswith("Party: "):
            if op != "party":
                self.fail("the party changed without sim_party")
            self.party = text[len("Party: "):]
        elif text in ("Back to the menu", "Connection lost"):
            if op != "menu":
                self.fail("%r without sim_menu or sim_disconnect" % text)
            if text == "Back to the menu":
                self.place = "menu"
                self.playlist = None
                self.winner = None
        elif text.startswith("Unknown command: "):
            if op != "unknown" and not first_load:
                self.fail("a command nobody typed ran: %r" % text)
        elif text.startswith(("Invalid training pack code: ", "Workshop map path cannot be used in a console command: ")) \
                or text in ("No workshop map selected", "Invalid workshop maps folder or map"):
            self.load_attempt(("log", text))
        elif text == "Selected workshop map is not valid anymore and has been reset.":
            self.selection_reset()
        elif text.startswith(("No valid workshop maps found in folder: ", "Invalid workshop maps folder: ")) or \
                text == "Workshop maps folder is not set. Please set a valid folder path.":
            if not (block and block["scan"]) and not self.page_drew:
                self.fail("a scan line with no scan: %r" % text)
        elif text.startswith("PersistentStorage: "):
            if not text.startswith(("PersistentStorage: created and will store the data in ",
                                    "PersistentStorage: Loading the persistent storage cfg")):
                self.fail("a storage problem: %r" % text)
        elif entry_failure(text):
            self.fail("an exception reached a plug-in entry point: %r" % text)
        elif text.startswith(("toast: Postplay: ", "Updated locale: ", "Localization initialized. ", "game: ",
                              "No bind for key ", "sim_end: no running match")):
            pass
        else:
            self.fail("an unexpected line: %r" % text)

    def enter(self, place):
        self.place = place
        self.winner = None
        self.pending = {False}

    def read_print(self, name, value):
        kind = SETTINGS[name][2]
        allowed = self.values[name]
        if allowed is ANY:
            if not allowed_value(kind, value):
                self.fail("%s holds %r, which a %s setting cannot hold" % (name, value, kind))
        elif value not in allowed:
            self.fail("%s holds %r; the model allows %s" % (name, value, sorted(allowed)))
        owned_now = self.rendering and (any(n == name for n, _ in self.handed) or name == "pp_workshop_map")
        if not owned_now:
            was_any = allowed is ANY
            self.values[name] = frozenset([value])
            if name == "pp_custom_training_pack_code" and was_any:
                self.code_copy = ANY

    def plugin_command(self, command, first_load):
        if command == "queue":
            self.queue_ran()
            self.awaiting = "queue"
        elif command == "load_freeplay" or command.startswith(("load_training ", "load_workshop ")):
            self.load_attempt(("load", command))
            self.awaiting = command
        elif command == "pp_find_workshop_maps":
            if not self.page_drew and not (self.block and self.block["scan"]):
                self.fail("a scan ran with no page drawn and none asked for")
            if self.block:
                self.block["scan"] = True
        else:
            self.fail("the plug-in ran a command of its own making: %r" % command)

    # -- decisions ---------------------------------------------------------------------------
    def decide(self, mmr):
        playlist = self.playlist
        if playlist in COMPETITIVE:
            kind = self.switch("pp_enable_competitive")
        elif playlist in CASUAL:
            kind = self.switch("pp_enable_casual")
        else:
            return
        enabled = self.switch("pp_enabled")
        wait_off = {not on for on in self.switch("pp_wait_mmr")} if not mmr else {True}
        can = True in enabled and True in kind and True in wait_off
        sure = enabled == {True} and kind == {True} and wait_off == {True}
        if not can:
            return
        requeue = self.switch("pp_requeue")
        if True in requeue and self.party in ("none", "leader"):
            delays = self.outcomes("pp_requeue_delay", whole_of)
            due = None if delays is None else {round(self.now + d, 1) for d in delays}
            self.timers.append({"due": due, "match": self.match_serial,
                                "sure": sure and requeue == {True} and due is not None and len(due) == 1})
        if False in self.pending:
            self.expected_loads.append({"outcomes": self.destinations(), "sure": sure and self.pending == {False}})
        self.pending = {True} if sure else self.pending | {True}

    def load_attempt(self, outcome):
        for expectation in self.expected_loads:
            if expectation["outcomes"] is None or outcome in expectation["outcomes"]:
                self.expected_loads.remove(expectation)
                return
        if self.expected_loads:
            self.fail("the destination load gave %r; the settings call for %s" %
                      (outcome[1], describe(self.expected_loads[0]["outcomes"])))
        self.fail("a destination load (%r) that no match end called for (plug-in or kind off, MMR wait on, "
                  "already loaded in this game, or no decision)" % outcome[1])

    def queue_ran(self):
        if self.searching:
            self.fail("the plug-in queued while a search was running")
        hit = [timer for timer in self.timers if (timer["due"] is None or self.now in timer["due"])
               and self.queue_allowed(timer)[0]]
        if not hit:
            self.fail("a re-queue that no decision set for this moment (party member, re-queue off, plug-in "
                      "off, another match started, or a plug-in object unloaded since)")
        self.timers = [timer for timer in self.timers if timer["due"] is None or self.now not in timer["due"]]

    def selection_reset(self):
        folders, maps = self.values["pp_workshop_maps_folder"], self.values["pp_workshop_map"]
        if self.rendering:
            # The page's scan may have read the folder and the map at any moment of the window.
            folders, maps = self.window_seen["pp_workshop_maps_folder"], self.window_seen["pp_workshop_map"]
        if folders is not ANY and maps is not ANY:
            possible = False
            for folder in folders:
                entries = self.scan_entries(folder)
                for selected in maps:
                    if entries and selected and selected not in entries:
                        possible = True
            if not possible:
                self.fail("a scan reset the selected map %s although the folder %s holds it (or holds no maps)" %
                          (sorted(maps), sorted(folders)))
        current = self.values["pp_workshop_map"]
        if not self.rendering:
            self.values["pp_workshop_map"] = frozenset([""])
        elif current is not ANY:
            self.values["pp_workshop_map"] = current | {""}   # handed changes may still follow
        self.must_write = True


def describe(outcomes):
    if outcomes is None:
        return "any destination"
    return " or ".join(sorted(repr(text) for _, text in outcomes))


# ---- Running sessions ------------------------------------------------------------------------

class Host:
    def __init__(self, path, timeout):
        self.path = path
        self.timeout = timeout
        self.runner = []
        if os.environ.get("SOAK_NO_ASLR") and shutil.which("setarch"):
            self.runner = ["setarch", os.uname().machine, "-R"]

    def run(self, work, script, language=None, extra_env=None):
        command = self.runner + [self.path, "--home", "home"]
        if language:
            command += ["--language", language]
        command.append(script)
        env = dict(os.environ)
        env.update(extra_env or {})
        try:
            done = subprocess.run(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=self.timeout, env=env)
        except subprocess.TimeoutExpired as expired:
            out = (expired.stdout or b"").decode("utf-8", "surrogateescape")
            return None, out, "the host did not finish within %d s" % self.timeout
        return (done.returncode, done.stdout.decode("utf-8", "surrogateescape"),
                done.stderr.decode("utf-8", "surrogateescape"))


def run_session(host, seed, keep=False, verbose=False):
    """Runs one session; returns (status, report) with status "ok", "break" or "crash"."""
    runs = Generator(seed).session()
    work = tempfile.mkdtemp(prefix="soak-%d-" % seed)
    home = os.path.join(work, "home")
    cfg_file = os.path.join(home, "cfg", "Postplay.cfg")
    model = Model(work)
    log = []
    status, problem = "ok", ""
    try:
        for number, run in enumerate(runs, 1):
            note = "none"
            if run["edit"]:
                os.makedirs(os.path.dirname(cfg_file), exist_ok=True)
                note = apply_edit(run["edit"], cfg_file, home)
            script_name = "run%d.pp" % number
            with open(os.path.join(work, script_name), "w", encoding="utf-8", errors="surrogateescape") as out:
                out.write("".join(step.line + "\n" for step in run["steps"]))
            cfg_before = read_cfg(cfg_file)
            log.append((number, note, run["language"], run["steps"]))
            code, out, err = host.run(work, script_name, run["language"])
            log[-1] = log[-1] + (out, err)
            if verbose:
                print("---- run %d (cfg edit: %s, --language %s)" % (number, note, run["language"]))
                sys.stdout.write(out)
                sys.stdout.write(err)
            if code is None:
                status, problem = "crash", err
                break
            if code != 0 or REPORT.search(err):
                status, problem = "crash", "exit status %s; %s" % (code, first_lines(err))
                break
            if err.strip():
                status, problem = "break", "the host wrote to standard error: %s" % first_lines(err)
                break
            model.start_run(number, run["steps"], cfg_before, run["language"])
            try:
                model.check_run(output_lines(out))
                check_cfg_after(model, cfg_file, cfg_before, run["edit"])
            except Break as error:
                status, problem = "break", str(error)
                break
    finally:
        if status == "ok" and not keep:
            shutil.rmtree(work, ignore_errors=True)
    if status == "ok":
        return status, ""
    return status, failure_report(seed, problem, log, work)


def check_cfg_after(model, cfg_file, cfg_before, edit):
    data = read_cfg(cfg_file)
    target_dir = os.path.dirname(os.path.realpath(cfg_file))
    leftovers = [name for name in os.listdir(target_dir) if CFG_TEMPORARY.fullmatch(name)]
    if data == cfg_before and data is not None and whole_cfg_problem(data)[0]:
        # Nothing was written: the damaged file stays until the next write.
        if model.must_write:
            raise Break("the settings changed but the damaged cfg file was never rewritten")
        return
    problem, values = whole_cfg_problem(data)
    if problem:
        if data is None and not model.must_write:
            return
        raise Break("after run %d: %s" % (model.run_number, problem))
    for name in NAMES:
        held = model.values[name]
        if held is ANY or len(held) != 1:
            raise Break("after run %d the model does not know %s (no print at the end?)" % (model.run_number, name))
        if values[name] != next(iter(held)):
            raise Break("after run %d the cfg file holds %s \"%s\" but the variable held %r" %
                        (model.run_number, name, values[name], next(iter(held))))
    if leftovers:
        raise Break("after run %d temporary files are left beside the cfg file: %s" % (model.run_number, leftovers))
    if edit and edit["kind"] == "symlink" and not os.path.islink(cfg_file):
        raise Break("the cfg file was a symbolic link and is no longer one")


def output_lines(text):
    """The host's lines: split at line feeds only (values may hold other separators)."""
    lines = text.split("\n")
    return lines[:-1] if lines and lines[-1] == "" else lines


def first_lines(text, count=12):
    lines = text.strip().splitlines()
    return "\n".join(lines[:count]) + ("\n..." if len(lines) > count else "")


def failure_report(seed, problem, log, work):
    parts = ["session %d failed: %s" % (seed, problem),
             "(replay: scripts/soak.sh --seed %d; files kept in %s)" % (seed, work)]
    for entry in log:
        number, note, language, steps = entry[:4]
        parts.append("--- run %d script (cfg edited before it: %s; --language %s):" % (number, note, language))
        parts.extend(step.line for step in steps)
        if len(entry) > 4:
            transcript = output_lines(entry[4])
            parts.append("--- run %d transcript, last lines:" % number)
            parts.extend(transcript[-40:])
    return "\n".join(parts)


def sessions(host, first, count, jobs):
    breaks = crashes = 0
    start = time.time()
    seeds = list(range(first, first + count))
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        for seed, (status, report) in zip(seeds, pool.map(lambda s: run_session(host, s), seeds)):
            if status != "ok":
                print(report, flush=True)
                if status == "crash":
                    crashes += 1
                else:
                    breaks += 1
    print("%d sessions took %.0f s" % (count, time.time() - start))
    print("random sessions: %d run, %d invariant breaks, %d crashes" % (count, breaks, crashes), flush=True)
    return breaks + crashes == 0


# ---- Kills while the cfg file is rewritten ------------------------------------------------------

def kill_script(lines=1500):
    """Settings changed in a loop from both threads, with writeconfig and reloads: nearly
    every line rewrites the cfg file. pp_requeue_delay counts up, so a whole file can only
    hold one of the values the script gave."""
    script = ["sim_wait 0.2"]
    for number in range(1, lines + 1):
        script.append("pp_requeue_delay %d" % number)
        if number % 40 == 0:
            script += ["sim_render on 500", "sim_render_do pp_mode custom", "sim_render_do pp_toggle",
                       "pp_wait_mmr %d" % (number // 40 % 2), "sim_render_do pp_mode freeplay", "sim_render off"]
        if number % 25 == 0:
            script.append("writeconfig")
        if number % 300 == 0:
            script += ["sim_reload", "sim_wait 0.2"]
    return script, lines


def kills(host, count, seed):
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="soak-kills-")
    home = os.path.join(work, "home")
    cfg_dir = os.path.join(home, "cfg")
    cfg_file = os.path.join(cfg_dir, "Postplay.cfg")
    lines, top = kill_script()
    with open(os.path.join(work, "kill.pp"), "w") as out:
        out.write("\n".join(lines) + "\n")
    command = host.runner + [host.path, "--home", "home", "kill.pp"]

    started = time.time()
    subprocess.run(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=host.timeout)
    whole_run = max(0.05, time.time() - started)
    shutil.rmtree(home)

    broken = []
    leftovers_seen = 0
    start = time.time()
    for number in range(1, count + 1):
        process = subprocess.Popen(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.0, whole_run * 1.1))
        process.send_signal(signal.SIGKILL)
        process.wait()
        data = read_cfg(cfg_file)
        if data is not None:
            problem, values = whole_cfg_problem(data)
            if not problem:
                delay = values["pp_requeue_delay"]
                if not (delay == "0" or (delay.isdigit() and 1 <= int(delay) <= top)):
                    problem = "pp_requeue_delay \"%s\" was never set" % delay
                elif values["pp_mode"] not in ("freeplay", "custom"):
                    problem = "pp_mode \"%s\" was never set" % values["pp_mode"]
            if problem:
                broken.append("kill %d: %s" % (number, problem))
                keep = os.path.join(work, "broken-%d.cfg" % number)
                shutil.copyfile(cfg_file, keep)
                print("kill %d left a broken cfg file (%s); kept as %s" % (number, problem, keep), flush=True)
        leftovers_seen += sum(1 for name in os.listdir(cfg_dir) if CFG_TEMPORARY.fullmatch(name)) \
            if os.path.isdir(cfg_dir) else 0

    # After the kills a clean run reads the last file back and tidies the leftovers.
    with open(os.path.join(work, "after.pp"), "w") as out:
        out.write("sim_wait 0.2\npp_requeue_delay\npp_requeue_delay 4242\n")
    before = read_cfg(cfg_file)
    done = subprocess.run(command[:-1] + ["after.pp"], cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=host.timeout)
    out = done.stdout.decode("utf-8", "surrogateescape")
    if done.returncode != 0 or done.stderr.strip():
        broken.append("the run after the kills failed: status %d, %s" % (done.returncode, first_lines(
            done.stderr.decode("utf-8", "surrogateescape"))))
    elif before is not None:
        held = whole_cfg_problem(before)[1]["pp_requeue_delay"] if not whole_cfg_problem(before)[0] else None
        if held is not None and '] pp_requeue_delay "%s"' % held not in out:
            broken.append("the run after the kills did not load pp_requeue_delay \"%s\" from the file" % held)
    after = whole_cfg_problem(read_cfg(cfg_file))
    if after[0] or after[1]["pp_requeue_delay"] != "4242":
        broken.append("the run after the kills did not write a whole file: %s" % (after[0] or after[1]))
    left = [name for name in os.listdir(cfg_dir) if CFG_TEMPORARY.fullmatch(name)]
    if left:
        broken.append("temporary files outlived the next write: %s" % left)
    for problem in broken:
        print(problem)
    print("kills: each within %.2f s of a %.2f s run of %d lines; %d temporaries seen left by a kill (removed by "
          "the next write); %.0f s in all" % (whole_run * 1.1, whole_run, len(lines), leftovers_seen,
                                              time.time() - start))
    print("kills: %d run, %d broken files" % (count, len(broken)), flush=True)
    if not broken:
        shutil.rmtree(work, ignore_errors=True)
    return not broken


# ---- File-system faults -------------------------------------------------------------------------

ERRNOS = {"ENOSPC": "No space left on device", "EACCES": "Permission denied",
          "ELOOP": "Too many levels of symbolic links", "ENAMETOOLONG": "File name too long"}
WRITE_FAILED = "PersistentStorage: could not write "
SCAN_LINES = ("No valid workshop maps found in folder: ", "Workshop maps folder could not be read",
              "Workshop maps folder is not set")
SCAN_REASON = "The folder could not be read: "


NOBODY = 65534
CFG_LINK = "Postplay-link.cfg"    # a second name of the cfg file, in the working folder


class FaultCase:
    def __init__(self, name, kind, fault=None, prepare=None, reason=None, saved=None, needs_root=False):
        self.name = name
        self.kind = kind          # "storage" or "scan"
        self.fault = fault        # SOAK_FAULT for the shim, or None for a real fault
        self.prepare = prepare    # makes a real fault in the working folder
        self.reason = reason      # what the log line must say
        self.saved = saved        # storage cases the file must be saved through: checks what was
                                  # kept of it (work, its os.stat before), returns problems
        self.needs_root = needs_root


def cfg_path(work):
    return os.path.join(work, "home", "cfg", "Postplay.cfg")


def cfg_hard_link(work):
    os.link(cfg_path(work), os.path.join(work, CFG_LINK))


def cfg_of_nobody(work):
    os.chown(cfg_path(work), NOBODY, NOBODY)


def link_shows_the_file(work, before):
    link = os.path.join(work, CFG_LINK)
    if not os.path.samefile(cfg_path(work), link) or read_cfg(link) != read_cfg(cfg_path(work)):
        return ["the hard link no longer shows the cfg file"]
    return []


def same_file(work, before):
    return [] if os.stat(cfg_path(work)).st_ino == before.st_ino else ["the cfg file was replaced by a new one"]


def owner_kept(work, before):
    now = os.stat(cfg_path(work))
    if (now.st_uid, now.st_gid, now.st_mode) != (before.st_uid, before.st_gid, before.st_mode):
        return ["the cfg file's owner, group or mode changed: %d:%d %o, was %d:%d %o" % (
            now.st_uid, now.st_gid, now.st_mode, before.st_uid, before.st_gid, before.st_mode)]
    return []


def storage_fault_cases():
    """Faults in the cfg writes that the player's file must survive as it was, and files that
    must still be saved though a new file would not keep them as the player made them."""
    return [
        FaultCase("cfg write, syncing it: EIO", "storage", "sync:EIO:Postplay.cfg", reason="Input/output error"),
        FaultCase("hard-linked cfg file, syncing it in place: EIO", "storage", "sync:EIO:Postplay.cfg",
                  prepare=cfg_hard_link, reason="Input/output error"),
        FaultCase("hard-linked cfg file (real)", "storage", prepare=cfg_hard_link,
                  saved=lambda work, before: link_shows_the_file(work, before) + same_file(work, before)),
        FaultCase("writable cfg file in a read-only cfg folder: EACCES", "storage", "create:EACCES:Postplay.cfg.",
                  saved=same_file),
        FaultCase("cfg file of another owner (real)", "storage", prepare=cfg_of_nobody, saved=owner_kept,
                  needs_root=True),
        FaultCase("cfg file of another owner, who cannot be given a new file: EPERM", "storage",
                  "chown:EPERM:Postplay.cfg", prepare=cfg_of_nobody,
                  saved=lambda work, before: owner_kept(work, before) + same_file(work, before), needs_root=True),
    ]


def fault_cases():
    cases = []
    for errno_name, reason in ERRNOS.items():
        for call, what in (("create", "creating the temporary file"), ("write", "writing it"),
                           ("rename", "renaming it over the cfg file")):
            cases.append(FaultCase("cfg write, %s: %s" % (what, errno_name), "storage",
                                   "%s:%s:Postplay.cfg" % (call, errno_name), reason=reason))
        for call, text, what in (("opendir", "maps", "listing the folder"),
                                 ("opendir", "maps/Beta", "listing a map's folder"),
                                 ("stat", "maps", "the folder's status"),
                                 ("stat", "beta.upk", "the map file's status")):
            cases.append(FaultCase("workshop scan, %s: %s" % (what, errno_name), "scan",
                                   "%s:%s:%s" % (call, errno_name, text), reason=reason))

    def cfg_link_loop(work):
        cfg = os.path.join(work, "home", "cfg", "Postplay.cfg")
        os.remove(cfg)
        os.symlink("Postplay.cfg", cfg)

    def cfg_read_only(work):
        os.chmod(os.path.join(work, "home", "cfg", "Postplay.cfg"), 0o444)

    def cfg_folder(work):
        cfg = os.path.join(work, "home", "cfg", "Postplay.cfg")
        os.remove(cfg)
        os.mkdir(cfg)

    def maps_link_loop(work):
        shutil.rmtree(os.path.join(work, "maps"))
        os.symlink("maps", os.path.join(work, "maps"))

    def maps_long_name(work):
        # The folder setting names a path whose last part is longer than a name can be.
        with open(os.path.join(work, "home", "cfg", "Postplay.cfg"), "r+") as cfg:
            text = cfg.read().replace('pp_workshop_maps_folder "maps"', 'pp_workshop_maps_folder "%s"' % ("n" * 300))
            cfg.seek(0)
            cfg.write(text)
            cfg.truncate()

    cases += [
        FaultCase("cfg file is a link to itself (real)", "storage", prepare=cfg_link_loop,
                  reason="too many levels of symbolic links"),
        FaultCase("cfg file is read-only (real)", "storage", prepare=cfg_read_only, reason="read-only"),
        FaultCase("cfg file is a folder (real)", "storage", prepare=cfg_folder, reason="not a regular file"),
        FaultCase("workshop folder is a link to itself (real)", "scan", prepare=maps_link_loop,
                  reason="Too many levels of symbolic links"),
        FaultCase("workshop folder name too long (real)", "scan", prepare=maps_long_name, reason="File name too long"),
    ]
    return cases + storage_fault_cases()


STORAGE_SETUP = "sim_wait 0.2\npp_requeue_delay 3\npp_mode custom\n"
STORAGE_FAULT = "sim_wait 0.2\npp_requeue_delay 7\npp_requeue_delay\nwriteconfig\npp_toggle\n"
STORAGE_WRITES = 3
SCAN_SETUP = ("sim_wait 0.2\npp_workshop_maps_folder maps\npp_workshop_map \"Beta\\beta.upk\"\npp_mode workshop\n"
              "pp_wait_mmr 0\n")
SCAN_FAULT = ("sim_wait 0.2\npp_find_workshop_maps\npp_workshop_map\nsim_match 11\nsim_end 0\nsim_status\n")


def storage_outcome_problems(case, shown, cfg_file, before, before_status, work):
    """What is wrong with the cfg file and the failure lines after the storage fault run."""
    problems = []
    if case.saved:
        if shown:
            problems.append("a write that had to succeed gave failure lines: %s" % shown)
        problem, values = whole_cfg_problem(read_cfg(cfg_file))
        if problem or (values["pp_requeue_delay"], values["pp_enabled"]) != ("7", "0"):
            problems.append("the cfg file does not hold the new values: %s" % (problem or values))
        else:
            problems += case.saved(work, before_status)
        return problems
    # The same failure, repeated by every write of the run, is said once.
    if len(shown) != 1:
        problems.append("%d failing writes gave %d failure lines: %s" % (STORAGE_WRITES, len(shown), shown))
    if case.reason and any(case.reason.lower() not in line.lower() for line in shown):
        problems.append("a failure line does not say %r" % case.reason)
    if read_cfg(cfg_file) != before:
        problems.append("the previous cfg file was not kept as it was")
    return problems


def run_fault(host, shim, case):
    """Runs one fault; returns (problems, the log lines the fault gave)."""
    work = tempfile.mkdtemp(prefix="soak-fault-")
    for path in ("maps/Alpha/alpha.upk", "maps/Beta/beta.upk", "maps/Gamma/gamma.upk"):
        os.makedirs(os.path.join(work, os.path.dirname(path)), exist_ok=True)
        open(os.path.join(work, path), "w").close()
    problems = []
    with open(os.path.join(work, "setup.pp"), "w") as out:
        out.write(STORAGE_SETUP if case.kind == "storage" else SCAN_SETUP)
    with open(os.path.join(work, "fault.pp"), "w") as out:
        out.write(STORAGE_FAULT if case.kind == "storage" else SCAN_FAULT)
    code, out, err = host.run(work, "setup.pp")
    if code != 0:
        return ["the setup run failed: %s" % err], []
    if case.prepare:
        case.prepare(work)
    cfg_file = os.path.join(work, "home", "cfg", "Postplay.cfg")
    before = read_cfg(cfg_file)
    before_status = os.stat(cfg_file) if os.path.isfile(cfg_file) else None
    was_link = os.path.islink(cfg_file)
    env = {}
    fault_log = os.path.join(work, "faults.log")
    if case.fault:
        asan = os.environ.get("ASAN_OPTIONS", "")
        env = {"LD_PRELOAD": shim, "SOAK_FAULT": case.fault, "SOAK_FAULT_LOG": fault_log,
               "ASAN_OPTIONS": (asan + ":" if asan else "") + "verify_asan_link_order=0"}
    code, out, err = host.run(work, "fault.pp", extra_env=env)
    lines = [TIMED.fullmatch(line).group(2) if TIMED.fullmatch(line) else line for line in output_lines(out)]
    if code != 0 or err.strip():
        problems.append("the host failed: status %s, %s" % (code, first_lines(err)))
    if case.fault and not os.path.exists(fault_log):
        problems.append("the fault was never hit")
    bad = [line for line in lines if entry_failure(line)]
    if bad:
        problems.append("an exception reached the plug-in's edge: %s" % bad)
    shown = []
    if case.kind == "storage":
        shown = [line for line in lines if line.startswith(WRITE_FAILED)]
        problems += storage_outcome_problems(case, shown, cfg_file, before, before_status, work)
        if was_link != os.path.islink(cfg_file):
            problems.append("the cfg file's symbolic link was replaced")
        cfg_dir = os.path.dirname(cfg_file)
        left = [name for name in os.listdir(cfg_dir) if CFG_TEMPORARY.fullmatch(name)]
        if left:
            problems.append("temporary files were left: %s" % left)
        if 'pp_requeue_delay "7"' not in lines:
            problems.append("the variable did not keep the value that could not be saved")
        if case.fault and not problems:
            # Without the fault, the next run reads the file that was kept and writes again.
            with open(os.path.join(work, "recover.pp"), "w") as recover:
                recover.write("sim_wait 0.2\npp_requeue_delay\npp_requeue_delay 9\n")
            code, again, err = host.run(work, "recover.pp")
            problem, values = whole_cfg_problem(read_cfg(cfg_file))
            held = "7" if case.saved else "3"
            if code != 0 or '] pp_requeue_delay "%s"' % held not in again or problem or \
                    values["pp_requeue_delay"] != "9":
                problems.append("the run after the fault did not read the kept file and write a new one: %s" %
                                (problem or again))
    else:
        shown = [line for line in lines if line.startswith(SCAN_LINES) or line == "Invalid workshop maps folder or map"
                 or line.startswith("Selected workshop map")]
        scan_lines = [line for line in shown if line.startswith(SCAN_LINES)]
        if not shown:
            problems.append("the fault gave no line")
        if len(scan_lines) > 1:
            problems.append("the scan gave %d lines: %s" % (len(scan_lines), scan_lines))
        # The system's reason is in the scan line, or on a line of its own right after it.
        said = " ".join(scan_lines[:1] + [line for line in lines if line.startswith(SCAN_REASON)])
        if scan_lines and case.reason and case.reason.lower() not in said.lower() \
                and not case.name.startswith("workshop scan, the map file"):
            problems.append("the scan lines do not say %r: %s" % (case.reason, said))
        if any(line.startswith("Selected workshop map") for line in shown):
            problems.append("a scan that failed reset the player's selected map")
        loaded = any(line.startswith("Entered workshop map ") for line in lines)
        refused = lines.count("Invalid workshop maps folder or map")
        if loaded == bool(refused) or refused > 1:
            problems.append("the match end neither loaded the map nor said once why not")
    if problems:
        problems.append("files kept in %s; transcript:\n%s" % (work, out))
    else:
        shutil.rmtree(work, ignore_errors=True)
    return problems, shown


def faults(host, shim):
    failed = 0
    skipped = 0
    cases = fault_cases()
    for case in cases:
        if case.needs_root and os.geteuid() != 0:
            print("fault: %s -> skipped: giving the cfg file to another user needs root" % case.name)
            skipped += 1
            continue
        problems, shown = run_fault(host, shim, case)
        lines = sorted(set(re.sub(r"[0-9a-f]{12}\.tmp", "XXXXXXXXXXXX.tmp", line) for line in shown))
        lines = [re.sub(r"(.)\1{19,}", lambda run: "%s...(%d times)" % (run.group(1), len(run.group(0))), line)
                 for line in lines]
        print("fault: %s -> %s" % (case.name, " | ".join(lines) if lines else "(no line)"))
        for problem in problems:
            print("  FAILED: " + problem)
        failed += 1 if problems else 0
    print("faults: %d injected, %d mishandled" % (len(cases) - skipped, failed), flush=True)
    return failed == 0


# ---- Command line ---------------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description="Random sessions, kills and file-system faults against "
                                                 "postplay-host.")
    parser.add_argument("count", nargs="?", type=int, help="random sessions to run (default 100 when nothing "
                                                           "else is asked)")
    parser.add_argument("--first", type=int, default=1, help="seed of the first session (default 1)")
    parser.add_argument("--seed", type=int, help="replay one session and print its transcripts")
    parser.add_argument("--kills", type=int, default=0, help="kill the host this many times while it writes")
    parser.add_argument("--faults", action="store_true", help="inject file-system faults")
    parser.add_argument("--host", default="build/postplay-host", help="the host program")
    parser.add_argument("--shim", help="the fault library (scripts/soak_fault_shim.c built)")
    parser.add_argument("--jobs", type=int, default=2, help="hosts run at once (default 2)")
    parser.add_argument("--timeout", type=int, default=120, help="seconds one host run may take")
    arguments = parser.parse_args()

    host = Host(os.path.abspath(arguments.host), arguments.timeout)
    if arguments.seed is not None:
        status, report = run_session(host, arguments.seed, keep=True, verbose=True)
        print(report or "session %d: no invariant break" % arguments.seed)
        return 0 if status == "ok" else 1
    count = arguments.count
    if count is None and not arguments.kills and not arguments.faults:
        count = 100
    good = True
    if arguments.faults:
        if not arguments.shim:
            parser.error("--faults needs --shim")
        good &= faults(host, os.path.abspath(arguments.shim))
    if arguments.kills:
        good &= kills(host, arguments.kills, arguments.first)
    if count:
        good &= sessions(host, arguments.first, count, arguments.jobs)
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
