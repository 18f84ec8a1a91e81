"""Setting values as the host stores and reads them, and the pack-code rule."""

import math
import re

from .tables import FALLBACK_LOCALE, LOCALES

ANY = None  # "any value the setting's kind allows"; otherwise a frozenset of possible texts
KEEP = "<keep>"  # a text that is no number, which a numeric setting refuses: its value stays
TOGGLE, SCAN = "<toggle>", "<scan>"  # changes handed to the rendering thread besides values

# A number as strtod reads one (decimal or hexadecimal; the host never stores inf or nan).
NUMBER = re.compile(r"[+-]?(0[xX]([0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)([pP][+-]?\d+)?|"
                    r"(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)")
PLAIN = re.compile(r"-?\d{1,6}(\.\d{1,3})?")
PACK_CODE = re.compile(r"[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}")


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


def is_number(text):
    """Whether the host takes the whole text as a number (finite, no blank around it)."""
    return NUMBER.fullmatch(text) is not None and math.isfinite(parse_number(text))


def stored_value(kind, word):
    """The value a console line `NAME WORD` leaves: KEEP when the setting refuses it, ANY when
    the model leaves its stored form to the host, else the text. A number is kept as typed
    when it is whole and within the range; else the whole part, clamped, is stored."""
    if kind == "text":
        return word
    if not is_number(word):
        return KEEP
    if not PLAIN.fullmatch(word) or word in ("-0",) or word.startswith("-0."):
        return ANY
    value = float(word)
    used = max(0, math.trunc(value))
    if kind == "switch":
        used = min(1, used)
    return word if used == value else str(used)


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


def console_safe(path):
    return not any(c in path for c in '";\r\n') and "//" not in path


def default_language(game_language):
    return LOCALES.get((game_language or "").upper(), FALLBACK_LOCALE)
