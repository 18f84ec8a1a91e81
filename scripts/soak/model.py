"""The model of a session: what the settings, the game and the plug-in object may hold at each
moment of a run, and what the plug-in may and must do with it. The transcript module walks a
run's output against it.

The model states outcomes, not steps. For each setting it knows the values it may hold at
that moment: one value; several while the rendering thread may or may not have run a handed
change yet; or "any" after a value whose stored form it leaves to the host, read back from
the print that follows."""

import os
import re
from dataclasses import dataclass, field
from typing import Optional

from .cfgfiles import CFG_LINE
from .tables import CASUAL, COMPETITIVE, NAMES, SETTINGS, TRAINING_MODES
from .values import (ANY, KEEP, SCAN, TOGGLE, console_safe, default_language, kept_pack_code, stored_value, switch_on,
                     whole_of)


class Break(Exception):
    pass


# ---- How the plug-in takes a pack code ---------------------------------------------------
# The plug-in's copy, the code a load uses, takes a code that passes the check, or none at
# all (an emptied setting clears it). Any other text is refused with a line and the variable
# goes back to the code in use, so neither it nor the cfg file keeps a refused code.

def code_held(value, in_use):
    """What the pack-code variable may hold once it is given `value` (a text, or ANY) while the
    plug-in uses one of the codes `in_use`: the text when it is taken, else the code in use."""
    if value is ANY:
        return ANY
    return frozenset([value]) if kept_pack_code(value) else in_use


def code_in_use(value, in_use):
    """The codes the plug-in may use once the variable is given `value` (a text, or ANY)."""
    if value is ANY:
        return ANY
    return frozenset([value]) if kept_pack_code(value) else in_use


# Lines the plug-in may log about a value it was given and does not use as it stands.
VALUE_NOTES = ("Invalid training pack code, not used: ", "Unknown training mode: ")
# Lines the host prints about a text set on a numeric setting: refused, clamped or cut.
HOST_VALUE_NOTE = re.compile(r"(%s): (\".*\" is not a number; the value stays \".*\"|"
                             r".+ is outside its range \(.+\); set to .+|.+ is not a whole number; set to .+)"
                             % "|".join(name for name in NAMES if SETTINGS[name].kind != "text"))


def expected_after_load(data, language_default):
    """What the settings hold once the plug-in has loaded a cfg file with these bytes, as far
    as the model claims it: (values, garbage, code). Values maps each name to a frozenset or
    ANY; garbage says the file has lines of the player's own making, which run at the load;
    code is the pack code the plug-in keeps to load (the last one taken, line by line)."""
    values = {name: frozenset([SETTINGS[name].default]) for name in NAMES}
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
            value = stored_value(SETTINGS[name].kind, word)
            if value is KEEP:
                continue
            if name == "pp_custom_training_pack_code":
                if code is not ANY and values[name] != frozenset([value]):
                    code = code_in_use(value, code)   # the host runs no callback for the same value
                values[name] = code_held(value, code)
            else:
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


# ---- The state ---------------------------------------------------------------------------

@dataclass
class Settings:
    """The variables, as sets of possible texts (or ANY), and the plug-in's copy of the code."""
    values: dict
    code_copy: Optional[frozenset]
    garbage_load: bool             # the loaded cfg file had lines of the player's own making
    must_write: bool = False       # a value changed, so the cfg file must have been written


@dataclass
class Game:
    """The game, as the host reports it."""
    place: str = "menu"            # "menu", "match", "ended" (a match with a winner) or "training"
    playlist: Optional[int] = None
    winner: Optional[int] = None
    searching: bool = False
    party: str = "none"
    mmr_delay: bool = False
    match_serial: int = 0          # which match the player is (or was last) in


@dataclass
class Timer:
    """A re-queue that may come."""
    due: Optional[set]             # the moments it may fire at; None for any
    match: int                     # the match it was set in
    sure: bool                     # it must fire
    points: list = field(default_factory=list)   # at each moment it may have fired: had it to run?


@dataclass
class ExpectedLoad:
    """A decision whose destination load may come."""
    outcomes: Optional[set]        # what the load may do (see Model.destinations); None for anything
    sure: bool                     # it must come


@dataclass
class PluginLife:
    """The plug-in object's life since its last load."""
    pending: set = field(default_factory=lambda: {False})   # whether a load was already set for this game
    timers: list = field(default_factory=list)
    expected_loads: list = field(default_factory=list)


@dataclass
class Window:
    """The rendering side."""
    start: dict                    # the values when the window opened or a setting was last set
    seen: dict                     # every value a setting held in this window
    rendering: bool = False
    handed: list = field(default_factory=list)   # (name, change) handed in this window, in order
    page_drew: bool = False        # the page has drawn (it scans once by itself)


@dataclass
class Block:
    """A script line and the host lines that follow it."""
    step: object
    scan: bool = False             # a scan may log here
    seen: list = field(default_factory=list)
    expect_scan: Optional[list] = None   # the scan lines this line must give; None: not checked
    settle: bool = False           # every handed change has run by the end of the line
    reloaded: bool = False


@dataclass
class Reading:
    """Where the walk through the transcript stands."""
    block: Optional[Block] = None
    print_wanted: Optional[str] = None   # a setting whose printed value comes next
    awaiting: Optional[str] = None       # a load or queue command whose host answer comes next
    now: float = 0.0
    now_text: str = "0.0"


def describe(outcomes):
    if outcomes is None:
        return "any destination"
    return " or ".join(sorted(repr(text) for _, text in outcomes))


class Model:
    """What a session's runs may and must show. One instance lives through all the runs."""

    def __init__(self, home):
        self.home = home                # the host's home folder, where the scripts' paths lead
        self.binds = {}

    def start_run(self, number, steps, cfg_data, game_language):
        self.run_number = number
        self.steps = steps
        values, garbage, code = expected_after_load(cfg_data, default_language(game_language))
        self.settings = Settings(values, code, garbage)
        self.game = Game()
        self.plugin = PluginLife()
        self.window = Window(dict(values), dict(values))
        self.reading = Reading()

    def fail(self, message):
        raise Break("%s (at [%s] in run %d)" % (message, self.reading.now_text, self.run_number))

    # -- possible values ---------------------------------------------------------------------
    def outcomes(self, name, convert):
        """The set of converted values a setting may give, or None when any may come."""
        values = self.settings.values[name]
        if values is ANY:
            return None
        return {convert(v) for v in values}

    def switch(self, name):
        result = self.outcomes(name, switch_on)
        return {False, True} if result is None else result

    def is_map_file(self, path):
        return os.path.isfile(os.path.join(self.home, path.replace("\\", "/")))

    def scan_entries(self, folder):
        """The entries a scan of this folder finds (None for no folder); the sessions put at
        most one map file in each sub-folder, so the entries are known without the order."""
        if folder == "":
            return None
        root = os.path.join(self.home, folder.replace("\\", "/"))
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
        modes = self.outcomes("pp_mode", lambda m: m if m in TRAINING_MODES else "freeplay")
        if modes is None:
            return None
        result = set()
        for mode in modes:
            if mode == "freeplay":
                result.add(("load", "load_freeplay"))
            elif mode == "custom":
                if self.settings.code_copy is ANY:
                    return None
                for code in self.settings.code_copy:
                    result.add(("load", "load_training " + code.upper()) if code else
                               ("log", "Invalid training pack code: "))
            else:
                workshop = self.workshop_destinations()
                if workshop is None:
                    return None
                result |= workshop
        return result

    def workshop_destinations(self):
        folders, maps = self.settings.values["pp_workshop_maps_folder"], self.settings.values["pp_workshop_map"]
        if folders is ANY or maps is ANY:
            return None
        result = set()
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

    def scan_expectation(self):
        values = self.settings.values
        folders, maps = values["pp_workshop_maps_folder"], values["pp_workshop_map"]
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

    # -- changes of values -------------------------------------------------------------------
    def copy_from_value(self):
        """The plug-in's copy of the pack code right after a load: the code the variable holds
        when the plug-in takes it, else none."""
        values = self.settings.values["pp_custom_training_pack_code"]
        if values is ANY:
            return ANY
        return frozenset().union(*(code_in_use(v, frozenset([""])) for v in values))

    def set_value(self, name, value):
        """The game thread (or a rendering-side line run at once) stored `value` (text or ANY;
        KEEP stores nothing)."""
        if value is KEEP:
            return
        settings, window = self.settings, self.window
        before = settings.values[name]
        if name == "pp_custom_training_pack_code":
            settings.values[name] = code_held(value, settings.code_copy)
        else:
            settings.values[name] = ANY if value is ANY else frozenset([value])
        if value is not ANY and before is not ANY and value not in before:
            settings.must_write = True
        if window.rendering:
            # The game thread changes only settings no handed line changes; a scan of the
            # page may still reset the map afterwards.
            window.start[name] = settings.values[name]
            window.handed = [(n, change) for n, change in window.handed if n != name or change == SCAN]
            states = self.sequence_states(name)
            settings.values[name] = ANY if any(state is ANY for state in states) else frozenset().union(*states)
            self.remember_in_window(name)
        if name == "pp_custom_training_pack_code":
            settings.code_copy = code_in_use(value, settings.code_copy)

    def pack_loaded(self, code):
        """Loading a pack upper-cases the plug-in's copy of its code in place."""
        copy = self.settings.code_copy
        if copy is not ANY:
            self.settings.code_copy = frozenset(code if c.upper() == code else c for c in copy)

    def toggled(self, values):
        if values is ANY:
            return frozenset(["0", "1"])
        return frozenset("0" if switch_on(v) else "1" for v in values)

    def set_toggle(self):
        self.settings.values["pp_enabled"] = self.toggled(self.settings.values["pp_enabled"])
        self.settings.must_write = True

    # -- the rendering side ----------------------------------------------------------------
    def render_change(self, name, value):
        """A change handed to the running rendering thread (a value, ANY, TOGGLE or SCAN): it
        may run at any moment until the rendering stops, so meanwhile the setting may hold
        any value along the sequence handed so far. A refused number (KEEP) changes nothing."""
        if value is KEEP:
            return
        settings = self.settings
        self.window.handed.append((name, value))
        states = self.sequence_states(name)
        settings.values[name] = ANY if any(state is ANY for state in states) else frozenset().union(*states)
        self.remember_in_window(name)
        if name == "pp_custom_training_pack_code":
            after = code_in_use(value, settings.code_copy)
            settings.code_copy = ANY if settings.code_copy is ANY or after is ANY else settings.code_copy | after

    def remember_in_window(self, name):
        seen, now = self.window.seen[name], self.settings.values[name]
        self.window.seen[name] = ANY if seen is ANY or now is ANY else seen | now

    def sequence_states(self, name):
        """The possible values of a setting before and after each change handed in this window."""
        state = self.window.start[name]
        states = [state]
        for handed_name, value in self.window.handed:
            if handed_name != name:
                continue
            if value is ANY or state is ANY:
                state = ANY
            elif value == TOGGLE:
                state = self.toggled(state)
            elif value == SCAN:
                state = state | {""}
            elif name == "pp_custom_training_pack_code":
                copy = self.settings.code_copy
                state = ANY if copy is ANY else code_held(value, state | copy)
            else:
                state = frozenset([value])
            states.append(state)
        return states

    def settle_rendering(self):
        """Every handed line has run: each setting holds the end of its sequence (and the
        selected map may have been reset by a scan of the page)."""
        settings, window = self.settings, self.window
        for name in {name for name, _ in window.handed}:
            settings.values[name] = self.sequence_states(name)[-1]
            if name == "pp_custom_training_pack_code":
                codes = [value for handed_name, value in window.handed if handed_name == name]
                if any(value is ANY for value in codes):
                    settings.code_copy = ANY
                else:
                    for value in codes:
                        settings.code_copy = code_in_use(value, settings.code_copy)
        maps = settings.values["pp_workshop_map"]
        if maps is not ANY:
            settings.values["pp_workshop_map"] = maps | {""}
        window.handed = []
        window.start = dict(settings.values)

    # -- timers ----------------------------------------------------------------------------
    # A re-queue timer looks again when it fires: it starts the search only while the plug-in
    # and the re-queue are on, no search runs and no online match was entered since it was
    # set (the match end's own training destination does not count).
    def queue_allowed(self, timer):
        """(may run, must run) for a timer firing now."""
        game = self.game
        if game.searching or game.match_serial != timer.match:
            return False, False
        enabled, requeue = self.switch("pp_enabled"), self.switch("pp_requeue")
        may = True in enabled and True in requeue
        return may, may and timer.sure and enabled == {True} and requeue == {True}

    def fire_timers(self, t, inclusive):
        """Before a line at time t (a script line when inclusive): a timer due at t may fire
        here, one due earlier has fired. It fires somewhere between the last line before its
        time and the first line after it, in an order with the other lines of that instant
        that the model leaves open: it must have run only if it had to wherever it fired."""
        kept = []
        for timer in self.plugin.timers:
            due = timer.due
            if due is None:
                kept.append(timer)
                continue
            latest = max(due)
            if latest < t or (latest == t and inclusive):
                points = timer.points + [self.queue_allowed(timer)[1]]
                if len(due) == 1 and all(points):
                    self.fail("a re-queue set for %.1f did not run" % latest)
                continue
            if t in due:
                timer.points.append(self.queue_allowed(timer)[1])
            kept.append(timer)
        self.plugin.timers = kept

    def queue_ran(self):
        now, plugin = self.reading.now, self.plugin
        if self.game.searching:
            self.fail("the plug-in queued while a search was running")
        hit = [timer for timer in plugin.timers if (timer.due is None or now in timer.due)
               and self.queue_allowed(timer)[0]]
        if not hit:
            self.fail("a re-queue that no decision set for this moment (party member, re-queue off, plug-in "
                      "off, another match started, or a plug-in object unloaded since)")
        plugin.timers = [timer for timer in plugin.timers if timer.due is None or now not in timer.due]

    # -- decisions ---------------------------------------------------------------------------
    def decide(self, mmr):
        playlist = self.game.playlist
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
        plugin = self.plugin
        requeue = self.switch("pp_requeue")
        if True in requeue and self.game.party in ("none", "leader"):
            delays = self.outcomes("pp_requeue_delay", whole_of)
            due = None if delays is None else {round(self.reading.now + d, 1) for d in delays}
            plugin.timers.append(Timer(due, self.game.match_serial,
                                       sure and requeue == {True} and due is not None and len(due) == 1))
        if False in plugin.pending:
            plugin.expected_loads.append(ExpectedLoad(self.destinations(), sure and plugin.pending == {False}))
        plugin.pending = {True} if sure else plugin.pending | {True}

    def load_attempt(self, outcome):
        expected_loads = self.plugin.expected_loads
        for expectation in expected_loads:
            if expectation.outcomes is None or outcome in expectation.outcomes:
                expected_loads.remove(expectation)
                return
        if expected_loads:
            self.fail("the destination load gave %r; the settings call for %s" %
                      (outcome[1], describe(expected_loads[0].outcomes)))
        self.fail("a destination load (%r) that no match end called for (plug-in or kind off, MMR wait on, "
                  "already loaded in this game, or no decision)" % outcome[1])

    def selection_reset(self):
        values, window = self.settings.values, self.window
        folders, maps = values["pp_workshop_maps_folder"], values["pp_workshop_map"]
        if window.rendering:
            # The page's scan may have read the folder and the map at any moment of the window.
            folders, maps = window.seen["pp_workshop_maps_folder"], window.seen["pp_workshop_map"]
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
        current = values["pp_workshop_map"]
        if not window.rendering:
            values["pp_workshop_map"] = frozenset([""])
        elif current is not ANY:
            values["pp_workshop_map"] = current | {""}   # handed changes may still follow
        self.settings.must_write = True
