"""Walking a run's transcript against the model, line by line.

Each script line opens a block: what it changes holds from then on, and the host lines that
follow until the next script line belong to it. Every host line must be one the model allows
at that moment; the block's close checks what the line had to bring about."""

from .host import TIMED, entry_failure
from .model import HOST_VALUE_NOTE, VALUE_NOTES, Block, Model, describe
from .tables import SETTINGS, WINNER_BOUND
from .values import ANY, SCAN, TOGGLE, allowed_value, stored_value

SCAN_RESULTS = ("Workshop maps folder is not set", "No valid workshop maps found", "Selected workshop map is not valid")
LOAD_REFUSALS = ("Invalid training pack code: ", "Workshop map path cannot be used in a console command: ")
IGNORED = ("toast: Postplay: ", "Updated locale: ", "Localization initialized. ", "game: ", "No bind for key ",
           "sim_end: no running match")


class SessionModel(Model):
    """The model, reading the transcripts of a session's runs."""

    def check_run(self, lines):
        reading = self.reading
        script = [step.line for step in self.steps]
        index = 0                 # the next script line expected
        for raw in lines:
            match = TIMED.fullmatch(raw)
            if not match:
                self.fail("a line without a time stamp: %r" % raw)
            reading.now_text = match.group(1)
            t = float(match.group(1))
            if t + 1e-9 < reading.now:
                self.fail("time went back to %s" % match.group(1))
            reading.now = t
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
        self.fire_timers(reading.now, inclusive=True)
        self.close_block()

    # -- script lines ----------------------------------------------------------------------
    def open_block(self, step):
        """A script line starts: what it changes holds from now on."""
        if self.reading.print_wanted:
            self.fail("no value was printed for %s" % self.reading.print_wanted)
        self.reading.block = Block(step)
        if step.op.startswith("render_"):
            self.open_render_block(step)
        else:
            self.open_game_block(step)

    def open_game_block(self, step):
        op, args, block = step.op, step.args, self.reading.block
        if op == "set":
            self.set_value(args[0], stored_value(SETTINGS[args[0]].kind, args[1]))
        elif op == "multi":
            for name, word in args[0]:
                self.set_value(name, stored_value(SETTINGS[name].kind, word))
        elif op == "print":
            self.reading.print_wanted = args[0]
        elif op == "toggle":
            if step.line != "sim_key F8" or self.binds.get("F8") == "pp_toggle":
                self.set_toggle()
        elif op == "other" and step.line.startswith("bind "):
            self.binds["F8"] = "pp_toggle"
        elif op == "scan":
            block.scan = True
            if not self.window.rendering:
                block.expect_scan = self.scan_expectation()
        elif op == "writeconfig":
            self.settings.must_write = True
        elif op == "queue":
            self.reading.awaiting = None if self.game.searching else "queue"
        elif op == "mmr_delay":
            self.game.mmr_delay = not step.line.endswith(" off")
        elif op == "reload":
            self.reload()
        elif op == "frame":
            self.window.page_drew = True
            block.scan = True

    def open_render_block(self, step):
        op, args, window = step.op, step.args, self.window
        if op == "render_on":
            window.rendering = True
            window.page_drew = True
            window.start = dict(self.settings.values)
            window.seen = dict(self.settings.values)
            window.handed = []
            self.render_change("pp_workshop_map", SCAN)   # the page's own first scan
        elif op == "render_off":
            self.reading.block.settle = True
        elif not window.rendering:
            self.render_now(step)
        elif op == "render_set":
            name, word = args
            self.render_change(name, stored_value(SETTINGS[name].kind, word))
        elif op == "render_toggle":
            self.render_change("pp_enabled", TOGGLE)
        elif op == "render_scan":
            self.reading.block.scan = True
            self.render_change("pp_workshop_map", SCAN)

    def render_now(self, step):
        """A rendering-side line while nothing renders runs at once, before the next line."""
        if step.op == "render_set":
            name, word = step.args
            self.set_value(name, stored_value(SETTINGS[name].kind, word))
        elif step.op == "render_toggle":
            self.set_toggle()
        elif step.op == "render_scan":
            self.reading.block.scan = True
            maps = self.settings.values["pp_workshop_map"]
            self.settings.values["pp_workshop_map"] = ANY if maps is ANY else maps | {""}
        elif step.line.endswith("writeconfig"):
            self.settings.must_write = True

    def reload(self):
        self.plugin.timers = []
        self.plugin.expected_loads = []
        self.plugin.pending = {False}
        self.settings.must_write = True
        # Unloading stops the rendering first, which runs every handed line (by the end of
        # this line); the old storage writes its values as it goes, the new one loads them:
        # the values come back, and the pack code copy starts from the value the file gives.
        self.reading.block.settle = True
        self.reading.block.reloaded = True

    def close_block(self):
        block = self.reading.block
        if block is None:
            return
        if block.settle and self.window.rendering:
            self.settle_rendering()
            if block.step.op == "render_off":
                self.window.rendering = False
        if block.reloaded:
            self.settings.code_copy = self.copy_from_value()
        for expectation in self.plugin.expected_loads:
            if expectation.sure:
                self.fail("a match end called for a destination load (%s) and none came" %
                          describe(expectation.outcomes))
        self.plugin.expected_loads = []
        if self.reading.awaiting:
            self.fail("the host did not answer %r" % self.reading.awaiting)
        if block.expect_scan is not None:
            got = [line for line in block.seen if line.startswith(SCAN_RESULTS)]
            if got != block.expect_scan:
                self.fail("the scan of line %r logged %r, the folder calls for %r" %
                          (block.step.line, got, block.expect_scan))
        if block.step.op == "unknown" and not any(line.startswith("Unknown command:") for line in block.seen):
            self.fail("the unknown command %r ran as something" % block.step.line)
        if self.reading.print_wanted and block.step.op != "print":
            self.fail("no value was printed for %s" % self.reading.print_wanted)

    # -- host lines ------------------------------------------------------------------------
    def host_line(self, text):
        reading = self.reading
        block = reading.block
        step = block.step if block else None
        if block:
            block.seen.append(text)
        first_load = block is not None and self.settings.garbage_load and self.steps and step is self.steps[0]

        if reading.print_wanted and text.startswith(reading.print_wanted + ' "') and text.endswith('"'):
            self.read_print(reading.print_wanted, text[len(reading.print_wanted) + 2:-1])
            reading.print_wanted = None
            return
        if text.startswith("> "):
            self.plugin_command(text[2:], first_load)
            return
        if first_load and text.split(" ", 1)[0] in SETTINGS and text.endswith('"'):
            return  # a damaged line naming a setting alone prints its value
        if reading.awaiting and not text.startswith(("Entered ", "Searching for a match", "No such workshop map")):
            # Lines of the rendering thread may come between a command and its answer.
            if not self.window.rendering and not self.window.page_drew:
                self.fail("the host answered %r with %r" % (reading.awaiting, text))
        if not self.game_line(text, step, first_load):
            self.plugin_line(text, first_load)

    def game_line(self, text, step, first_load):
        """Checks a line by which the host reports the game; False for any other line."""
        op = step.op if step else None
        game = self.game
        if text.startswith("Entered match in playlist "):
            if op != "match" or step.line != "sim_match " + text.rsplit(" ", 1)[1]:
                self.fail("a match started without sim_match: %r" % text)
            self.enter("match")
            game.match_serial += 1
            game.playlist = int(text.rsplit(" ", 1)[1])
            game.searching = False
        elif text in ("Entered free play",) or text.startswith(("Entered training pack ", "Entered workshop map ")):
            self.entered_training(text)
        elif text == "Searching for a match":
            if self.reading.awaiting == "queue":
                self.reading.awaiting = None
            elif not first_load:
                self.fail("a search started without a queue command")
            game.searching = True
        elif text.startswith("No such workshop map file: "):
            self.fail("the plug-in loaded a workshop map that does not exist: %r" % text)
        elif text.startswith("Match ended; winner: team "):
            if op != "end":
                self.fail("a match ended without sim_end")
            game.winner = int(text.rsplit(" ", 1)[1])
            game.place = "ended"
            self.decide(mmr=False)
        elif text.startswith("MMR updated for player "):
            if op not in ("mmr", "wait") and not (op == "end" and game.mmr_delay):
                self.fail("an MMR report nobody asked for")
            if game.place == "ended" and game.winner is not None and game.winner < WINNER_BOUND:
                self.decide(mmr=True)
        elif text.startswith("Party: "):
            if op != "party":
                self.fail("the party changed without sim_party")
            game.party = text[len("Party: "):]
        elif text in ("Back to the menu", "Connection lost"):
            self.left_match(text, op)
        else:
            return False
        return True

    def entered_training(self, text):
        expected = {"Entered free play": "load_freeplay"}.get(text)
        if expected is None:
            kind, rest = ("load_training ", text[len("Entered training pack "):]) \
                if text.startswith("Entered training pack ") else ("load_workshop ", text[len("Entered workshop map "):])
            expected = kind + rest
        if self.reading.awaiting != expected:
            self.fail("%r without the command that leads there (last command: %r)" % (text, self.reading.awaiting))
        self.reading.awaiting = None
        self.enter("training")

    def left_match(self, text, op):
        if op != "menu":
            self.fail("%r without sim_menu or sim_disconnect" % text)
        if text == "Back to the menu":
            self.game.place = "menu"
            self.game.playlist = None
            self.game.winner = None

    def plugin_line(self, text, first_load):
        """Checks a line of the plug-in (or of the host about it): anything else breaks."""
        block = self.reading.block
        if text.startswith("Unknown command: "):
            if (block.step.op if block else None) != "unknown" and not first_load:
                self.fail("a command nobody typed ran: %r" % text)
        elif text.startswith(LOAD_REFUSALS) or text in ("No workshop map selected", "Invalid workshop maps folder or map"):
            self.load_attempt(("log", text))
        elif text == "Selected workshop map is not valid anymore and has been reset.":
            self.selection_reset()
        elif text.startswith(("No valid workshop maps found in folder: ", "Invalid workshop maps folder: ")) or \
                text == "Workshop maps folder is not set. Please set a valid folder path.":
            if not (block and block.scan) and not self.window.page_drew:
                self.fail("a scan line with no scan: %r" % text)
        elif text.startswith("PersistentStorage: "):
            if not text.startswith(("PersistentStorage: created and will store the data in ",
                                    "PersistentStorage: Loading the persistent storage cfg")):
                self.fail("a storage problem: %r" % text)
        elif entry_failure(text):
            self.fail("an exception reached a plug-in entry point: %r" % text)
        elif text.startswith(IGNORED) or text.startswith(VALUE_NOTES) or HOST_VALUE_NOTE.fullmatch(text):
            pass
        else:
            self.fail("an unexpected line: %r" % text)

    def enter(self, place):
        self.game.place = place
        self.game.winner = None
        self.plugin.pending = {False}

    def read_print(self, name, value):
        kind = SETTINGS[name].kind
        allowed = self.settings.values[name]
        if allowed is ANY:
            if not allowed_value(kind, value):
                self.fail("%s holds %r, which a %s setting cannot hold" % (name, value, kind))
        elif value not in allowed:
            self.fail("%s holds %r; the model allows %s" % (name, value, sorted(allowed)))
        window = self.window
        owned_now = window.rendering and (any(n == name for n, _ in window.handed) or name == "pp_workshop_map")
        if not owned_now:
            was_any = allowed is ANY
            self.settings.values[name] = frozenset([value])
            if name == "pp_custom_training_pack_code" and was_any:
                self.settings.code_copy = ANY

    def plugin_command(self, command, first_load):
        if command == "queue":
            self.queue_ran()
            self.reading.awaiting = "queue"
        elif command == "load_freeplay" or command.startswith(("load_training ", "load_workshop ")):
            self.load_attempt(("load", command))
            self.reading.awaiting = command
            if command.startswith("load_training "):
                self.pack_loaded(command[len("load_training "):])
        elif command == "pp_find_workshop_maps":
            block = self.reading.block
            if not self.window.page_drew and not (block and block.scan):
                self.fail("a scan ran with no page drawn and none asked for")
            if block:
                block.scan = True
        else:
            self.fail("the plug-in ran a command of its own making: %r" % command)
