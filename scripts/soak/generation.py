"""Generating a session: the scripts of its runs and the cfg edits between them.

A session is one to four runs of the host program on one home folder and one working folder.
Each run is a generated script of console lines: settings with good, out-of-range and bad
values, toggles (the command and a bound key), scans, matches in playlists of every kind,
ends with any winner, MMR reports typed or delayed, party changes, the menu, disconnects,
clock steps, page frames, changes handed to the rendering thread while it draws, and plug-in
reloads. Between runs the cfg file is edited or damaged as a player, or a crash, might."""

import random

from .tables import CASUAL, COMPETITIVE, NAMES, SETTINGS
from .values import ANY, stored_value

# Playlists of neither class, which the plug-in must ignore.
OTHER = [5, 6, 7, 9, 12, 14, 19, 20, 24, 63, 64, -1, 100]

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
        kind = SETTINGS[name].kind
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
        if stored_value(SETTINGS[name].kind, word) is ANY:
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
            if stored_value(SETTINGS[name].kind, word) is ANY:
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

