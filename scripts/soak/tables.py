"""What the plug-in promises, as tables the model checks against: its settings with their
defaults, descriptions and ranges, the playlist classes, the training modes and the language
codes. They are written out here from what the plug-in is meant to do and never taken from
its sources, so that a wrong row in the plug-in shows up as a break instead of being copied."""

from dataclasses import dataclass
from typing import Optional


@dataclass(frozen=True)
class Setting:
    default: str
    description: str          # also the comment after "//" on the setting's cfg line
    minimum: Optional[float]  # None: no lower bound
    maximum: Optional[float]  # None: no upper bound

    @property
    def kind(self):
        """How the model reads the values: "switch" (0 to 1), "delay" (at least 0) or "text"."""
        if self.minimum is None and self.maximum is None:
            return "text"
        if self.maximum is None:
            return "delay"
        return "switch"


# The language's default is the game's language (see default_language); "INT" without one.
SETTINGS = {
    "plugin_language": Setting("INT", "Set the language for plugin UI and messages", None, None),
    "pp_custom_training_pack_code": Setting("", "Custom training pack code", None, None),
    "pp_enable_casual": Setting("1", "Enable casual mode", 0.0, 1.0),
    "pp_enable_competitive": Setting("1", "Enable competitive mode", 0.0, 1.0),
    "pp_enabled": Setting("1", "Enable the plugin", 0.0, 1.0),
    "pp_mode": Setting("freeplay", "Set the training mode (freeplay/custom)", None, None),
    "pp_requeue": Setting("1", "Toggle auto requeue", 0.0, 1.0),
    "pp_requeue_delay": Setting("0", "Set requeue delay in seconds", 0.0, None),
    "pp_toggle_bind": Setting("", "Key bind to toggle the plugin", None, None),
    "pp_wait_mmr": Setting("1", "Wait for MMR to be visible before leaving", 0.0, 1.0),
    "pp_workshop_map": Setting("", "Workshop map", None, None),
    "pp_workshop_maps_folder": Setting("", "Workshop maps folder", None, None),
}
NAMES = sorted(SETTINGS)  # byte order, the order of the cfg file's lines (all names are ASCII)

# Playlist ids whose match end the plug-in acts on, by the switch that allows it; every other
# id (negative ones and those above 62 too) is ignored.
COMPETITIVE = {10, 11, 13, 27, 28, 29, 30}
CASUAL = {0, 1, 2, 3, 4, 8, 15, 16, 17, 18, 23, 25, 26, 31, 32, 33, 35, 37, 38, 41, 43, 44, 46, 47, 48, 49, 50,
          52, 54, 55, 62}

# An MMR report decides only while the match's winner has a team number below this.
WINNER_BOUND = 42

# The texts of pp_mode that choose a destination; any other text is free play.
TRAINING_MODES = ("freeplay", "custom", "workshop")

# Language codes as the game or the player may give them (in any case), and the language each
# one means; any other code means English ("INT").
LOCALES = {"INT": "INT", "FRA": "FRA", "EN": "INT", "FR": "FRA"}
FALLBACK_LOCALE = "INT"
