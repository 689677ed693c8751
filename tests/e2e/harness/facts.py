"""The product's own facts that the scenarios look for: control and command ids, the window
class, captions, message texts, report section names. Each is read from where the product
defines it (resources/resource.h, resources/velk.rc, the top CMakeLists.txt, the C++ string
literals), so that a scenario never keeps a copy that could drift from the program.

A text is found by the start (or a piece) of its C string literal; adjacent literals are
joined as the compiler joins them. A text that is missing, or found with two different
values, stops the import with a message naming it."""
import re
from functools import lru_cache
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
SOURCE_FOLDERS = ("base", "app", "audio", "config", "midi", "report", "ui", "resources")

# -- Win32's own constants the scenarios use --------------------------------------------------
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
WM_COMMAND = 0x0111
MESSAGE_BOX_TEXT = 0xFFFF  # control id of a message box's text
DIALOG_CLASS = "#32770"


def _defines(path):
    """{name: value} of the numeric #define lines of a header."""
    return {name: int(value, 0) for name, value in
            re.findall(r"^#define\s+(\w+)\s+((?:0x)?[0-9A-Fa-f]+)\s*$", path.read_text(), re.M)}


def _one(pattern, path):
    found = re.findall(pattern, path.read_text(), re.M)
    if len(found) != 1:
        raise LookupError("%s: %d matches of %r" % (path, len(found), pattern))
    return found[0]


_TOKENS = re.compile(r'//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'|"((?:[^"\\\n]|\\.)*)"|(\S)',
                     re.S)
_ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}


def _literals(text):
    """The source's string literals, adjacent ones joined as the compiler joins them."""
    joined, current = [], None
    for match in _TOKENS.finditer(text):
        if match.group(0).startswith(("//", "/*")):
            continue  # a comment between two literals does not part them
        literal = match.group(1)
        if literal is None:  # any other token ends a run of literals
            if current is not None:
                joined.append(current)
            current = None
            continue
        value = re.sub(r"\\(.)", lambda m: _ESCAPES.get(m.group(1), m.group(1)), literal)
        current = value if current is None else current + value
    if current is not None:
        joined.append(current)
    return joined


@lru_cache(maxsize=None)
def _product_literals():
    found = set()
    for folder in SOURCE_FOLDERS:
        for path in sorted((ROOT / folder).iterdir()):
            if path.suffix in (".c", ".cpp", ".h", ".in", ".rc"):
                found.update(_literals(path.read_text(errors="replace")))
    return found


def source_text(start=None, containing=None):
    """The product's one string literal that begins with `start` (or contains `containing`)."""
    matches = {t for t in _product_literals() if (start is None or t.startswith(start))
               and (containing is None or containing in t)}
    if len(matches) != 1:
        raise LookupError("the product's sources hold %d texts %s %r: %s" % (
            len(matches), "beginning" if start else "containing", start or containing,
            sorted(matches)))
    return matches.pop()


# -- ids: resources/resource.h ---------------------------------------------------------------
IDS = _defines(ROOT / "resources" / "resource.h")
CONTINUE_BUTTON = IDS["IDC_CONTINUE_BUTTON"]
VIDEO_BUTTON = IDS["IDC_VIDEO_BUTTON"]
TEXT_PANE = IDS["IDC_TEXT_PANE"]
COMMAND_EXIT = IDS["IDM_EXIT"]
ASIO_CONTROL_PANEL = IDS["IDM_ASIO_CONTROL_PANEL"]

# -- name, version, window class, About box: CMakeLists.txt and resources/velk.rc -------------
_CMAKE = ROOT / "CMakeLists.txt"
_RC = ROOT / "resources" / "velk.rc"
PROGRAM_NAME = _one(r'^set\(VELK_PROGRAM_NAME "([^"]*)"\)', _CMAKE)
VERSION = _one(r"^project\(\w+ VERSION ([0-9.]+)", _CMAKE)
TITLE = PROGRAM_NAME  # the main window's title, and the caption of the program's questions
WINDOW_CLASS = _one(r'^\s*IDC_VELKANALYSER\s+"([^"]*)"', _RC)
LAUNCHER = PROGRAM_NAME + ".ini"  # the launcher file beside the exe is named after the program
ABOUT_FONT = (lambda points, face: (face, int(points)))(*_one(r'^FONT (\d+), "([^"]*)"', _RC))
ABOUT_LINES = (PROGRAM_NAME + " Version " + VERSION,
               _one(r'^\s*LTEXT "([^"]*)", -1, 49, 20', _RC))


def _schema_names():
    """{constant: text} of the names config/settings_schema.h writes once: sections, stems,
    the launcher file's section and keys."""
    text = (ROOT / "config" / "settings_schema.h").read_text()
    names = dict(re.findall(r'^constexpr const char\* (k\w+) = "([^"]*)";$', text, re.M))
    if not names:
        raise LookupError("config/settings_schema.h: no names found")
    return names


def _setting_keys(names):
    """{key: (section, kind, default)} of the settings file's fixed keys, in the loader's
    order, from the schema the loader walks (config/settings_schema.cpp); kind is "integer",
    "path" or "rectangle", default the integer's default (None for the others)."""
    text = (ROOT / "config" / "settings_schema.cpp").read_text()
    sections = dict(re.findall(r"^static constexpr SettingKey (integer|rectangle)Key\(.*?"
                               r"return \{(k\w+),", text, re.M | re.S))
    keys = {}
    for kind, args in re.findall(r"^\s*(integer|path|rectangle)Key\((.*)\),$", text, re.M):
        parts = [part.strip() for part in args.split(",")]
        section = names[parts[0] if kind == "path" else sections[kind]]
        key = (parts[1] if kind == "path" else parts[0]).strip('"')
        default = int(parts[-1]) if kind == "integer" else None
        keys[key] = (section, kind, default)
    if not keys:
        raise LookupError("config/settings_schema.cpp: no keys found")
    return keys


SCHEMA_NAMES = _schema_names()
# -- the settings file's fixed keys, as the loader reads them ----------------------------------
SETTING_KEYS = _setting_keys(SCHEMA_NAMES)
SETTING_SECTIONS = [v for k, v in SCHEMA_NAMES.items()
                    if k.endswith("Section") and not k.startswith("kLauncher")]
SEQUENCE_STEM, PAGE_STEM, VIDEO_STEM = (SCHEMA_NAMES[k] for k in
                                        ("kSequenceStem", "kPageStem", "kVideoStem"))
# -- the launcher file beside the exe --------------------------------------------------------
LAUNCHER_PORT_SECTION = SCHEMA_NAMES["kLauncherPortSection"]
LAUNCHER_KEYS = (SCHEMA_NAMES["kLauncherSettingsKey"], SCHEMA_NAMES["kLauncherAudioKey"])


def channel_title(flags):
    """The window title while a MIDI test step shows its page's channels ("0011...")."""
    return "%s - %s" % (PROGRAM_NAME, flags)


# -- captions ----------------------------------------------------------------------------------
BEGIN_CAPTION = source_text("Begin Test")
CONTINUE_CAPTION = source_text("Continue...")
SKIP_CAPTION = source_text("Skip Test...")
VIDEO_CAPTION = source_text("Video Instructions")
AUDIO_CAPTION = source_text("Velk Audio")  # the audio warning's caption
BACKGROUND_ERROR = source_text("Error opening screen background")  # caption; text: the path
METER_ERROR = source_text("Error opening meter bitmap")

# -- message texts -----------------------------------------------------------------------------
NO_DEVICE_TEXT = source_text("No Velk devices")
SEVERAL_DEVICES_TEXT = source_text("More than one Velk device")
AUDIO_WARNING_TEXT = source_text("There was an error initialising the ASIO driver")
MIDI_INITIALISING = source_text("Error initialising midi device")
MIDI_OPENING = source_text("Error opening midi device")
ASIO_INITIALISING = source_text("There was an error initialising the selected ASIO")
ASIO_OPENING = source_text("There was an error opening the selected ASIO")
ASIO_STARTING = source_text("There was an error starting the selected ASIO")
QUESTION = source_text("Would you like to save the results")
NOT_SAVED = source_text("The results could not be saved")  # % the Windows path
REPLACE_REPORT = source_text(containing=" already exists.")  # % the Windows path
CLOCK_LINE = source_text(containing="Midi Clock Detected")  # % the tempo
LOOPBACK_LINE = source_text(containing="Midi Loopback Detected")

# -- the report --------------------------------------------------------------------------------
NOTE_SECTION = source_text("[Midi Note Test]")
CONTROLLER_SECTION = source_text("[Midi Controller Test]")
RECEIVE_SECTION = source_text("[Midi Note Rx Test]")
ASIO_SECTION = source_text("[ASIO Driver]")
NOT_TESTED = source_text("<Not Tested>")
COMPLETED = source_text("<Test Completed OK>")
