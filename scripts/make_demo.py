#!/usr/bin/env python3
"""Regenerates the bundled demo unit under demo/ from one table of controls.

The demo is a two-deck DJ controller, the "Velk DJ-2": deck A talks on MIDI channel 1,
deck B on channel 2, and the mixer section sends on channel 3 through any-channel entries.
Everything under demo/ comes from this file: the launcher file, the settings file, the five
bitmaps, the text pages, the loop WAV and controls.json (the control table for scripted
operators). Output is byte-for-byte deterministic.

    python3 scripts/make_demo.py           write demo/
    python3 scripts/make_demo.py --check   verify demo/ is what this file writes, byte for byte
"""
import json
import math
import os
import sys
import textwrap
from dataclasses import dataclass

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
ROOT = os.path.join(TOP, "demo")
# The scenarios' writer of settings files, bitmaps and WAVs: the demo is written as they are.
sys.path.insert(0, os.path.join(TOP, "tests", "e2e"))
from harness.files import launcher_text, picture_bytes, settings_text, wav_bytes  # noqa: E402

PORT_NAME = "Velk DJ-2"  # the unit's MIDI port name
PROFILE = "VelkDJ2"  # device profile section and model folder
ASIO_NAME = "Velk DJ-2 ASIO"
LAUNCHER_NAME = "Velk Analyser.ini"
SETTINGS_NAME = PROFILE + ".ini"

WINDOW_W, WINDOW_H = 1000, 760
PANEL_W, PANEL_H = 900, 400
BITMAP_LEFT, BITMAP_TOP = 48, 12
METER_W, METER_H = 24, 200
METER_LEFT, METER_TOP = 712, 440
TEXT_WINDOW = (48, 426, 640, 272)
VIDEO_BUTTON = (778, 592, 170, 40)
CONTINUE_BUTTON = (778, 646, 170, 44)

# Any-channel entries answer on every channel, but on the mixer page of the controller test
# the deck channels 1 and 2 are claimed by the deck pages; the mixer therefore sends on 3.
MIXER_CHANNEL = 3

RED = (232, 24, 24)
GREEN = (24, 200, 48)

# --------------------------------------------------------------------------------------------
# The control table
# --------------------------------------------------------------------------------------------


@dataclass(frozen=True)
class Control:
    name: str
    kind: str  # "note", "cc" or "pitchbend" (a bend is a controller under its first data byte)
    number: int
    channel: int  # 1..16, or 0 for an any-channel entry
    rect: tuple  # x, y, width, height in the panel bitmaps
    receive: int  # 1: the note lights an LED and is flashed in the note receive test
    shape: str  # how the control is drawn: pad, button, knob, vfader, hfader, jog, jogtouch
    label: str = ""  # printed on the panel
    label_inside: bool = False  # printed in the control's top part instead of above it

    @property
    def is_note(self):
        return self.kind == "note"

    @property
    def send_channel(self):
        return self.channel or MIXER_CHANNEL

    @property
    def key(self):
        return str(self.number) if self.channel == 0 else f"{self.number}:{self.channel}"

    @property
    def index(self):
        return self.channel * 128 + self.number

    @property
    def section(self):
        return {0: "mixer", 1: "deck A", 2: "deck B"}[self.channel]


# One deck, in deck-local coordinates (a deck is 330 pixels wide): name, kind, number, shape,
# rectangle, receive flag, label and optionally whether the label sits inside the control.
DECK = [
    ("FX1 level", "cc", 12, "knob", (22, 40, 36, 36), 0, "FX1"),
    ("FX2 level", "cc", 13, "knob", (70, 40, 36, 36), 0, "FX2"),
    ("FX1 on", "note", 7, "button", (22, 84, 36, 16), 0, ""),
    ("FX2 on", "note", 8, "button", (70, 84, 36, 16), 0, ""),
    ("Loop in", "note", 16, "button", (128, 40, 44, 22), 0, "IN"),
    ("Loop out", "note", 17, "button", (178, 40, 44, 22), 0, "OUT"),
    ("Load", "note", 18, "button", (250, 40, 60, 22), 0, "LOAD"),
    ("Jog wheel", "cc", 33, "jog", (70, 110, 160, 160), 0, ""),
    ("Jog touch", "note", 6, "jogtouch", (118, 158, 64, 64), 0, ""),
    ("Sync", "note", 13, "button", (14, 118, 46, 26), 1, "SYNC"),
    ("Shift", "note", 14, "button", (14, 236, 46, 26), 0, "SHIFT"),
    ("Pitch bend -", "note", 9, "button", (240, 120, 34, 22), 0, ""),
    ("Pitch bend +", "note", 10, "button", (240, 150, 34, 22), 0, ""),
    ("Pitch fader", "pitchbend", 0, "vfader", (284, 110, 28, 160), 0, "PITCH"),
    ("Cue", "note", 12, "button", (14, 306, 58, 38), 1, "CUE", True),
    ("Play", "note", 11, "button", (14, 350, 58, 38), 1, "PLAY", True),
] + [
    (f"Pad mode {i + 1}", "note", 28 + i, "button", (84 + 56 * i, 284, 48, 16), 0, "")
    for i in range(4)
] + [
    (f"Pad {row * 4 + col + 1}", "note", 20 + row * 4 + col, "pad",
     (84 + 56 * col, 306 + 44 * row, 48, 38), 0, "")
    for row in range(2) for col in range(4)
]
DECK_X = {1: 0, 2: 570}

# One channel strip of the mixer, in strip-local coordinates; it talks on its deck's channel.
STRIP = [
    ("Gain", "cc", 14, "knob", (0, 46, 36, 36), 0, "GAIN"),
    ("EQ high", "cc", 15, "knob", (0, 92, 36, 36), 0, "HI"),
    ("EQ mid", "cc", 16, "knob", (0, 138, 36, 36), 0, "MID"),
    ("EQ low", "cc", 17, "knob", (0, 184, 36, 36), 0, "LOW"),
    ("Filter", "cc", 18, "knob", (0, 230, 36, 36), 0, "FILTER"),
    ("Headphone cue", "note", 19, "button", (0, 278, 36, 18), 1, ""),
    ("Channel fader", "cc", 19, "vfader", (4, 304, 28, 88), 0, ""),
]
STRIP_X = {1: 346, 2: 518}

# The mixer's own controls, in panel coordinates: any-channel entries.
MIXER = [
    ("Browse push", "note", 64, "knob", (432, 46, 36, 36), 0, "BROWSE"),
    ("Back", "note", 65, "button", (398, 92, 44, 18), 0, ""),
    ("Master cue", "note", 66, "button", (458, 92, 44, 18), 0, ""),
    ("Master level", "cc", 22, "knob", (404, 134, 36, 36), 0, "MASTER"),
    ("Booth level", "cc", 23, "knob", (460, 134, 36, 36), 0, "BOOTH"),
    ("Phones level", "cc", 24, "knob", (404, 190, 36, 36), 0, "PHONES"),
    ("Phones mix", "cc", 25, "knob", (460, 190, 36, 36), 0, "MIX"),
    ("Mic level", "cc", 26, "knob", (404, 246, 36, 36), 0, "MIC"),
    ("Mic on", "note", 67, "button", (460, 252, 36, 22), 1, "ON"),
    ("Record", "note", 68, "button", (414, 298, 72, 20), 1, "REC"),
    ("Crossfader", "cc", 27, "hfader", (396, 350, 108, 28), 0, ""),
]


def build_controls():
    controls = []
    for channel in (1, 2):
        deck = "Deck " + "AB"[channel - 1]
        for rows, dx in ((DECK, DECK_X[channel]), (STRIP, STRIP_X[channel])):
            for name, kind, number, shape, (x, y, w, h), receive, *label in rows:
                controls.append(Control(f"{deck} {name}", kind, number, channel,
                                        (x + dx, y, w, h), receive, shape, *label))
    for name, kind, number, shape, rect, receive, *label in MIXER:
        controls.append(Control(name, kind, number, 0, rect, receive, shape, *label))
    return controls


CONTROLS = build_controls()

# --------------------------------------------------------------------------------------------
# Text pages: key -> (channel prefix or 0, text). Paragraphs are wrapped for the text pane.
# --------------------------------------------------------------------------------------------

DECK_NOTES = ("the eight pads, the four pad mode buttons above them, CUE, PLAY, SYNC, "
              "SHIFT, loop IN and OUT, LOAD, FX1 ON and FX2 ON, PITCH BEND - and +, and the "
              "headphone CUE button of channel {deck} in the mixer. Touch the top of the jog "
              "wheel once (touch only, do not turn it).")
DECK_CONTROLLERS = ("the FX1 and FX2 knobs of deck {deck}; GAIN, HI, MID, LOW and FILTER of "
                    "mixer channel {deck}; the channel {deck} fader, and the PITCH fader of "
                    "deck {deck} from one end to the other. Then turn the jog wheel slowly "
                    "through one full turn.")
NOTE_PAGE = """Midi Note Test - {title}

Press each of these buttons once: {controls}

A control shows red on the picture until its note arrives, then green. The test goes on by \
itself when all are green. A button that stays red is faulty: note it and press Skip Test."""
CONTROLLER_PAGE = """Midi Controller Test - {title}

Turn or slide each of these fully to one end and then fully to the other: {controls}

A control turns green once it has reached both ends. The test goes on by itself when all \
are green. A control that stays red does not reach an end: note it and press Skip Test."""
OUTPUT_PAGE = """Audio Output Test - outputs {pair}

Listen on {where}. A steady 440 Hz tone with a short break every second must sound, \
clean and without crackle, on the left and on the right side.

Press Continue when you have heard it on both sides."""
INPUT_PAGE = """Audio Input Test - inputs {pair}

Connect the MASTER OUT sockets to the {where} sockets with the stereo audio loopback cable. \
The two level meters beside this text must both move with the test tone.

Press Continue when both meters move."""

TEXT_PAGES = {
    "text1": (0, """Velk DJ-2 Test Station

This station checks every button, knob, fader, LED and audio socket of a Velk DJ-2.

Before you begin:
- Connect the unit to this computer with its USB cable and switch it on.
- Plug the MIDI loopback cable into the MIDI OUT and MIDI IN sockets on the rear panel.
- Keep headphones and the stereo audio loopback cable at hand.

Press Begin Test to start."""),
    "text2": (0, """MIDI Link Test

1. Hold SHIFT on deck A and press SYNC: the unit starts sending its MIDI clock, and the \
station shows the measured tempo below this text (120 BPM after power-up).
2. Press any pad once. With the MIDI loopback cable in place, "Midi Loopback Detected" \
appears below.

Press Continue when both lines are shown."""),
    "text3": (0, NOTE_PAGE.format(title="mixer", controls="BROWSE (push the encoder), BACK, "
                                  "the master CUE, MIC ON and REC.")),
    "text3_1": (1, NOTE_PAGE.format(title="deck A", controls=DECK_NOTES.format(deck="A"))),
    "text3_2": (2, NOTE_PAGE.format(title="deck B", controls=DECK_NOTES.format(deck="B"))),
    "text4": (0, CONTROLLER_PAGE.format(title="mixer", controls="the MASTER, BOOTH, PHONES, "
                                        "MIX and MIC knobs, and the crossfader.")),
    "text4_1": (1, CONTROLLER_PAGE.format(title="deck A",
                                          controls=DECK_CONTROLLERS.format(deck="A"))),
    "text4_2": (2, CONTROLLER_PAGE.format(title="deck B",
                                          controls=DECK_CONTROLLERS.format(deck="B"))),
    # One page for all LEDs: the operator follows one flashing LED after another across the
    # whole unit, in the order the text gives.
    "text5": (0, """Midi Note Rx Test - LEDs

The station now lights one LED at a time and makes it flash. Press the button whose LED \
flashes; the next LED then starts flashing. The order is MIC ON and REC in the mixer, \
then PLAY, CUE, SYNC and headphone CUE of deck A, then the same of deck B.

If no LED flashes, that LED or its driver is faulty: note which button should come next \
and press Skip Test."""),
    "text6": (0, """Audio Output Test

The test tone plays on one output pair at a time. Listen on the pair under test: a \
steady 440 Hz tone with a short break every second must sound on both sides.

Press Continue to go on to the next pair."""),
    "text6_1": (0, OUTPUT_PAGE.format(pair="1 and 2", where="the MASTER OUT sockets (connect "
                                      "the monitor speakers or headphones there)")),
    "text6_2": (0, OUTPUT_PAGE.format(pair="3 and 4", where="headphones plugged into PHONES")),
    "text7": (0, """Audio Input Test

The level meters beside this text show one input pair at a time while MASTER OUT plays \
the test tone. Connect MASTER OUT to the pair under test; both meters must move.

Press Continue to go on to the next pair."""),
    "text7_1": (0, INPUT_PAGE.format(pair="1 and 2", where="LINE IN A")),
    "text7_2": (0, INPUT_PAGE.format(pair="3 and 4", where="LINE IN B")),
    "text8": (0, """All tests are done.

Press Continue. The station asks whether to save the results report: save it under the \
serial number of the unit. Then switch the unit off, remove the loopback cables and \
disconnect the USB cable."""),
}


def text_page_bytes(text):
    """Wraps every paragraph and list item to the pane's width, with Windows line ends."""
    lines = []
    for paragraph in text.split("\n"):
        indent = "   " if paragraph[:2] in ("- ", "1.", "2.") else ""
        lines.extend(textwrap.wrap(paragraph, 72, subsequent_indent=indent) or [""])
    return "\r\n".join(lines).encode("ascii") + b"\r\n"


def text_file_name(key):
    return key + ".txt"


# --------------------------------------------------------------------------------------------
# INI files
# --------------------------------------------------------------------------------------------


def model_path(name):
    """Configured paths are resolved against the executable's folder, not the settings file's."""
    return PROFILE + "\\" + name


def launcher_bytes():
    return launcher_text({PORT_NAME: PROFILE},
                         {PROFILE: {"settings": model_path(SETTINGS_NAME), "audio": ASIO_NAME}},
                         head=["; Maps MIDI input port names to device profiles."]).encode("ascii")


def rect_text(rect):
    return ",".join(str(v) for v in rect)


def settings_bytes():
    head = [
        f"; {PORT_NAME}: two decks (deck A on MIDI channel 1, deck B on channel 2) and a mixer",
        f"; whose own controls send on channel {MIXER_CHANNEL} (any-channel entries).",
        "; Generated by scripts/make_demo.py.",
    ]
    sections = {
        "sequence": {f"test{n}": 1 for n in range(1, 9)},
        "background": {
            "Width": WINDOW_W,
            "Height": WINDOW_H,
            "showmidichannels": 1,
            "off_bitmap": model_path("panel_off.bmp"),
            "red_bitmap": model_path("panel_red.bmp"),
            "green_bitmap": model_path("panel_green.bmp"),
            "Bitmap_left": BITMAP_LEFT,
            "Bitmap_top": BITMAP_TOP,
            "meter_off": model_path("meter_off.bmp"),
            "meter_on": model_path("meter_on.bmp"),
            "Meter_left": METER_LEFT,
            "Meter_top": METER_TOP,
            "text_window": rect_text(TEXT_WINDOW),
            "video_button": rect_text(VIDEO_BUTTON),
            "continue_button": rect_text(CONTINUE_BUTTON),
        },
        "audio": {"loop": model_path("loop.wav")},
    }
    # Comments stand on lines of their own: the profile service keeps an inline ';' as part
    # of the value.
    for section, is_note in (("notes", True), ("controllers", False)):
        entries = ["; key = number (any channel) or number:channel;",
                   "; value = x,y,width,height" + (",LED" if is_note else "")]
        current = None
        for c in CONTROLS:
            if c.is_note != is_note:
                continue
            if c.section != current:
                current = c.section
                entries.append(f"; {current}")
            entries.append(f"; {c.name}")
            entries.append((c.key, rect_text(c.rect) + (f",{c.receive}" if is_note else "")))
        sections[section] = entries
    sections["text"] = {}
    for key, (prefix, _) in TEXT_PAGES.items():
        path = model_path(text_file_name(key))
        sections["text"][key] = f"{prefix},{path}" if prefix else path
    return settings_text(sections, head).encode("ascii")


# --------------------------------------------------------------------------------------------
# Drawing: a top-down RGB canvas with the few shapes a control surface needs
# --------------------------------------------------------------------------------------------

BODY = (22, 23, 27)
PLATE = (40, 43, 50)
MIXER_PLATE = (50, 53, 61)
PLATE_EDGE = (70, 74, 84)
INK = (175, 180, 190)
WHITE = (235, 235, 235)

FONT = {  # 5x7 glyphs, one string of five bits per row
    "A": "01110 10001 10001 11111 10001 10001 10001",
    "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110",
    "D": "11100 10010 10001 10001 10001 10010 11100",
    "E": "11111 10000 10000 11110 10000 10000 11111",
    "F": "11111 10000 10000 11110 10000 10000 10000",
    "G": "01110 10001 10000 10111 10001 10001 01111",
    "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110",
    "J": "00111 00010 00010 00010 00010 10010 01100",
    "K": "10001 10010 10100 11000 10100 10010 10001",
    "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001",
    "N": "10001 10001 11001 10101 10011 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110",
    "P": "11110 10001 10001 11110 10000 10000 10000",
    "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110",
    "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110",
    "V": "10001 10001 10001 10001 10001 01010 00100",
    "W": "10001 10001 10001 10101 10101 10101 01010",
    "X": "10001 10001 01010 00100 01010 10001 10001",
    "Y": "10001 10001 10001 01010 00100 00100 00100",
    "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111",
    "-": "00000 00000 00000 11111 00000 00000 00000",
    " ": "00000 00000 00000 00000 00000 00000 00000",
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = bytearray(bytes(colour) * (width * height))

    def span(self, y, x0, x1, colour):
        """Fills row y from x0 to x1 inclusive, clipped to the canvas."""
        x0, x1 = max(x0, 0), min(x1, self.width - 1)
        if 0 <= y < self.height and x0 <= x1:
            start = (y * self.width + x0) * 3
            self.pixels[start:start + (x1 - x0 + 1) * 3] = bytes(colour) * (x1 - x0 + 1)

    def rect(self, x, y, w, h, colour):
        for row in range(y, y + h):
            self.span(row, x, x + w - 1, colour)

    def rounded(self, x, y, w, h, radius, colour):
        for row in range(h):
            edge = min(row, h - 1 - row)
            inset = 0
            if edge < radius:
                dy = radius - edge - 0.5
                inset = int(round(radius - math.sqrt(max(radius * radius - dy * dy, 0))))
            self.span(y + row, x + inset, x + w - 1 - inset, colour)

    def ellipse(self, x, y, w, h, colour):
        """Fills the ellipse inscribed in the rectangle; its corners stay untouched."""
        cx, cy, rx, ry = x + w / 2, y + h / 2, w / 2, h / 2
        for row in range(y, y + h):
            dy = (row + 0.5 - cy) / ry
            if dy * dy > 1:
                continue
            half = rx * math.sqrt(1 - dy * dy)
            self.span(row, math.ceil(cx - half - 0.5), math.floor(cx + half - 0.5), colour)

    def inset_ellipse(self, x, y, w, h, inset, colour):
        self.ellipse(x + inset, y + inset, w - 2 * inset, h - 2 * inset, colour)

    def text(self, x, y, text, colour, scale=1):
        for char in text:
            for row, bits in enumerate(FONT[char].split()):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + col * scale, y + row * scale, scale, scale, colour)
            x += 6 * scale

    def centred_text(self, cx, y, text, colour, scale=1):
        self.text(cx - (len(text) * 6 - 1) * scale // 2, y, text, colour, scale)


def shade(colour, factor):
    return tuple(min(255, int(v * factor)) for v in colour)


def draw_background(canvas):
    """The panel without its controls: body, deck and mixer plates, printing."""
    canvas.rect(0, 0, PANEL_W, PANEL_H, BODY)
    for x, w, colour in ((6, 318, PLATE), (336, 228, MIXER_PLATE), (576, 318, PLATE)):
        canvas.rounded(x, 6, w, PANEL_H - 12, 10, PLATE_EDGE)
        canvas.rounded(x + 2, 8, w - 4, PANEL_H - 16, 9, colour)
    canvas.centred_text(450, 14, "VELK DJ-2", WHITE, 2)
    for channel, title in ((1, "DECK A"), (2, "DECK B")):
        canvas.text(DECK_X[channel] + 20, 14, title, WHITE, 2)
    for c in CONTROLS:
        if c.label and not c.label_inside:
            x, y, w, _ = c.rect
            canvas.centred_text(x + w // 2, y - 9, c.label, INK)
        if c.shape == "vfader":  # scale marks beside the slot
            x, y, w, h = c.rect
            for mark in range(y + 8, y + h - 7, 10):
                canvas.rect(x + 1, mark, 5, 1, INK)
                canvas.rect(x + w - 6, mark, 5, 1, INK)
    # the jog platter: a dark disc with a rim, under the jog controls
    for channel in (1, 2):
        x, y, w, h = next(c.rect for c in CONTROLS if c.channel == channel and c.shape == "jog")
        canvas.ellipse(x - 4, y - 4, w + 8, h + 8, (14, 14, 16))


def draw_control(canvas, c, lit):
    """Draws one control unlit (lit None) or lit in the given colour; a lit control's centre
    (for the jog, a point on its ring) is always the lit colour itself."""
    x, y, w, h = c.rect
    if c.shape in ("pad", "button"):
        face = lit or ((68, 71, 80) if c.shape == "pad" else (96, 99, 108))
        canvas.rounded(x, y, w, h, 4, shade(face, 0.45) if lit else (12, 12, 14))
        canvas.rounded(x + 1, y + 1, w - 2, h - 2, 3, face)
        if not lit:  # a little top highlight makes the unlit caps read as rubber
            canvas.span(y + 2, x + 4, x + w - 5, shade(face, 1.3))
    elif c.shape in ("knob", "jogtouch"):
        canvas.ellipse(x, y, w, h, shade(lit, 0.45) if lit else (10, 10, 12))
        canvas.inset_ellipse(x, y, w, h, 2, lit or ((150, 153, 162) if c.shape == "jogtouch"
                                                     else (60, 62, 70)))
        if c.shape == "knob":  # pointer at twelve o'clock, clear of the centre
            canvas.rect(x + w // 2 - 1, y + 3, 2, h // 2 - 8, WHITE)
    elif c.shape == "jog":
        canvas.ellipse(x, y, w, h, lit or (58, 60, 68))
        for inset, colour in ((9, (24, 25, 29)), (12, (34, 35, 40))):
            canvas.inset_ellipse(x, y, w, h, inset, colour)
        canvas.rect(x + w // 2 - 2, y + 16, 4, 22, WHITE)  # position marker on the platter
        if not lit:  # grip ridges on the rim
            for step in range(24):
                angle = step * math.pi / 12
                gx = x + w / 2 + (w / 2 - 4.5) * math.cos(angle)
                gy = y + h / 2 + (h / 2 - 4.5) * math.sin(angle)
                canvas.rect(int(gx) - 1, int(gy) - 1, 2, 2, (90, 93, 104))
    elif c.shape in ("vfader", "hfader"):
        vertical = c.shape == "vfader"
        slot = lit or (8, 8, 10)
        if vertical:
            canvas.rect(x + w // 2 - 3, y + 2, 6, h - 4, slot)
            cap = (x + 1, y + h // 2 - 8, w - 2, 16)
        else:
            canvas.rect(x + 2, y + h // 2 - 3, w - 4, 6, slot)
            cap = (x + w // 2 - 8, y + 1, 16, h - 2)
        canvas.rounded(*cap, 2, shade(lit, 0.45) if lit else (12, 12, 14))
        canvas.rounded(cap[0] + 1, cap[1] + 1, cap[2] - 2, cap[3] - 2, 2, lit or (200, 202, 208))
        if not lit:
            if vertical:
                canvas.rect(cap[0] + 2, y + h // 2, cap[2] - 4, 1, (20, 20, 20))
            else:
                canvas.rect(x + w // 2, cap[1] + 2, 1, cap[3] - 4, (20, 20, 20))
    else:
        raise ValueError(c.shape)


def probe_point(c):
    """A panel pixel that shows the control's lit colour in the red and green pictures."""
    x, y, w, h = c.rect
    if c.shape == "jog":
        return (x + w // 2 + 20, y + 4)  # on the rim, clear of the position marker
    return (x + w // 2, y + h // 2)


# The jog ring goes first: its touch cap lies inside it and is drawn over it.
DRAW_ORDER = sorted(CONTROLS, key=lambda c: c.shape != "jog")


def panel_canvas(lit):
    canvas = Canvas(PANEL_W, PANEL_H, BODY)
    draw_background(canvas)
    for c in DRAW_ORDER:
        draw_control(canvas, c, lit)
        if c.label_inside:
            x, y, w, _ = c.rect
            canvas.centred_text(x + w // 2, y + 5, c.label, WHITE)
    return canvas


def meter_canvas(lit):
    """A column of LED segments in the first 20 columns (all a meter shows); green at the
    bottom, then yellow, red at the top; the unlit picture holds the same segments dimmed."""
    canvas = Canvas(METER_W, METER_H, (16, 16, 18))
    segment, pitch = 6, 8
    for top in range(METER_H - pitch, -1, -pitch):
        level = 1 - top / METER_H
        colour = (40, 220, 60) if level < 0.7 else (240, 210, 30) if level < 0.88 else (240, 30, 30)
        canvas.rect(2, top + 1, 16, segment, colour if lit else shade(colour, 0.22))
    return canvas


def bmp_bytes(canvas):
    return picture_bytes(canvas.width, canvas.height, canvas.pixels)


# --------------------------------------------------------------------------------------------
# Loop sample: 0.8 s of 440 Hz and 0.2 s of silence, so the tone is recognisable as a loop
# --------------------------------------------------------------------------------------------

RATE = 44100


def loop_wav_bytes():
    tone_frames, total_frames = RATE * 8 // 10, RATE
    fade = RATE // 100  # 10 ms ramps keep the tone's start and end free of clicks
    samples = []
    for i in range(total_frames):
        sample = 0
        if i < tone_frames:
            envelope = min(1.0, i / fade, (tone_frames - i) / fade)
            sample = int(round(16384 * envelope * math.sin(2 * math.pi * 440 * i / RATE)))
        samples.append(sample)
    # The demo keeps the 46-byte header (an 18-byte "fmt " body, samples at 46): the oldest
    # layout the units shipped with, and one the loader must go on reading.
    return wav_bytes(samples, samples, header=46, rate=RATE)


# --------------------------------------------------------------------------------------------
# The control table for scripted operators
# --------------------------------------------------------------------------------------------


def page_of(c):
    """The page of its test step on which a control is tested (-1: the step's own text)."""
    return -1 if c.channel == 0 else c.channel - 1


def controls_json_bytes():
    doc = {
        "port_name": PORT_NAME,
        "asio_driver": ASIO_NAME,
        "panel": {"width": PANEL_W, "height": PANEL_H, "left": BITMAP_LEFT, "top": BITMAP_TOP},
        "meter": {"width": METER_W, "height": METER_H, "left": METER_LEFT, "top": METER_TOP},
        "lit_colours": {"red": list(RED), "green": list(GREEN)},
        "mixer_channel": MIXER_CHANNEL,
        "about": ("channel 0 is an any-channel entry, sent on send_channel; page is the page of "
                  "steps 3 and 4 that tests the control (-1 the step's own text, 0 text<s>_1, "
                  "1 text<s>_2); step 5 has one page; a pitchbend control sends its value as "
                  "the second data byte with the first data byte 0; probe is a panel pixel that "
                  "shows the lit colour in the red and green pictures"),
    }
    controls = [{
            "name": c.name,
            "section": c.section,
            "kind": "note" if c.is_note else "controller",
            "message": c.kind,
            "number": c.number,
            "channel": c.channel,
            "send_channel": c.send_channel,
            "key": c.key,
            "index": c.index,
            "rect": list(c.rect),
            "receive": c.receive,
            "page": page_of(c),
            "probe": list(probe_point(c)),
    } for c in CONTROLS]
    # One control per line keeps the table readable and its diffs small.
    head = json.dumps(doc, indent=1)[:-2]
    body = ",\n".join("  " + json.dumps(c) for c in controls)
    return (head + ',\n "controls": [\n' + body + "\n ]\n}\n").encode("ascii")


# --------------------------------------------------------------------------------------------
# README for the people who install the station
# --------------------------------------------------------------------------------------------

README = f"""Velk Analyser - the demo unit ({PORT_NAME})
===

This folder holds the complete data of one model, the {PORT_NAME} two-deck DJ
controller, so that the program can be tried out and its data can serve as a
pattern for other models.

Installing
----------
Copy "{LAUNCHER_NAME}" and the folder {PROFILE} into the folder that holds the
program. The launcher file must keep its name and stand beside the program.

Mapping a unit to its settings
------------------------------
The program recognises the connected unit by the name of its MIDI input port.
"{LAUNCHER_NAME}" maps port names to device profiles:

    [midi]
    {PORT_NAME}={PROFILE}

    [{PROFILE}]
    settings={model_path(SETTINGS_NAME)}
    audio={ASIO_NAME}

- Each line of [midi] holds a port name, exactly as Windows reports it (at most
  31 characters; letter case does not matter), then "=" and the name of a
  device profile section. The port name is the one MIDI programs list as the
  unit's input. Several port names may share one profile, for example a second
  line "{PORT_NAME} MkII={PROFILE}".
- The profile section names the unit's settings file (settings=) and its ASIO
  driver (audio=), spelt as under HKEY_LOCAL_MACHINE\SOFTWARE\ASIO in the
  registry. Leave audio= empty for a unit without a sound card; the audio tests
  are then skipped, with a warning when the settings still enable them.
- A relative path, here and in the settings file, is taken from the program's
  folder, not from the settings file's folder. A path that starts with a drive
  letter, such as C:\Velk\{SETTINGS_NAME}, is used as it stands.
- Exactly one listed unit may be connected. With none or several, the program
  asks you to plug in or unplug units and try again.

The files of the model folder ({PROFILE})
---
{SETTINGS_NAME:<17} the settings: which test steps run, the window layout, the
                  pictures, the test tone, every control's MIDI address and
                  place on the panel picture, and the instruction pages.
panel_off.bmp     the panel picture, all controls unlit.
panel_red.bmp     the same picture with every control lit red (not yet passed).
panel_green.bmp   the same picture with every control lit green (passed).
                  The three pictures must have the same size and layout.
meter_off.bmp     a level meter, unlit (the audio input test shows two meters,
meter_on.bmp      each 20 pixels wide); the same meter fully lit.
loop.wav          the test tone: 440 Hz for 0.8 s, then 0.2 s of silence,
                  played in a loop. 44100 Hz, 16-bit PCM (mono or stereo; only
                  the left channel is played). This file has the 46-byte header
                  (an 18-byte "fmt " chunk); the common 44-byte header and the
                  extensible PCM header load as well, since the program looks
                  for the "fmt " and "data" chunks wherever they stand. Other
                  sample formats (8-bit, 24-bit, float, compressed) are refused
                  and play silence.
text1.txt         the instruction page of each test step (text1 ... text8).
text3_1.txt       the pages of a step: text3_1 and text3_2 hold the note test
                  of deck A and deck B, text4_1 and text4_2 the controller
                  test; in the audio steps text6_1, text6_2, text7_1 and
                  text7_2 belong to output and input pairs 1-2 and 3-4. Plain
                  text with Windows line ends; the first 1024 bytes are shown.
controls.json     the control table for automated testing; the program does not
                  read it.

Notes on {SETTINGS_NAME}
---
- [notes] and [controllers]: the key "20:1" is number 20 on MIDI channel 1,
  the key "64" is number 64 on any channel. The value is x,y,width,height of
  the control on the panel picture; a fifth number 1 on a note means the note
  lights an LED, which the LED test (step 5) flashes.
- The pitch faders send pitch bend, which counts as controller number 0 of its
  channel (keys 0:1 and 0:2).
- [text]: a page value that starts with "1," tests MIDI channel 1 only. The
  step's own page (text3, text4) tests the any-channel entries and every
  channel that no other page claims, which is why the mixer sends on channel
  {MIXER_CHANNEL} and not on the deck channels.
- The LED test has a single page: it flashes every LED in turn, whatever page
  is shown, so a second page would wait for a press it cannot accept.

Regenerating
------------
Everything in this folder is made by scripts/make_demo.py in the source tree
(Python 3, no extra packages). "python3 scripts/make_demo.py --check" tells
whether the files here are current.
"""


def readme_bytes():
    """The README with each heading's underline as long as the heading, Windows line ends."""
    lines = README.split("\n")
    for i, line in enumerate(lines):
        if line in ("===", "---"):
            lines[i] = line[0] * len(lines[i - 1])
    return "\r\n".join(lines).encode("ascii")


# --------------------------------------------------------------------------------------------
# Output
# --------------------------------------------------------------------------------------------


def demo_files():
    """Relative path (with forward slashes) -> file content."""
    files = {
        LAUNCHER_NAME: launcher_bytes(),
        "README.txt": readme_bytes(),
        f"{PROFILE}/{SETTINGS_NAME}": settings_bytes(),
        f"{PROFILE}/panel_off.bmp": bmp_bytes(panel_canvas(None)),
        f"{PROFILE}/panel_red.bmp": bmp_bytes(panel_canvas(RED)),
        f"{PROFILE}/panel_green.bmp": bmp_bytes(panel_canvas(GREEN)),
        f"{PROFILE}/meter_off.bmp": bmp_bytes(meter_canvas(False)),
        f"{PROFILE}/meter_on.bmp": bmp_bytes(meter_canvas(True)),
        f"{PROFILE}/loop.wav": loop_wav_bytes(),
        f"{PROFILE}/controls.json": controls_json_bytes(),
    }
    for key, (_, text) in TEXT_PAGES.items():
        files[f"{PROFILE}/{text_file_name(key)}"] = text_page_bytes(text)
    return files


def write_all(files):
    for rel, data in files.items():
        path = os.path.join(ROOT, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


# Check: the files on disk are the generator's, byte for byte. What the model means is the
# model checker's to say (check/tests checks the demo clean).
# --------------------------------------------------------------------------------------------


def check(files):
    problems = []
    for rel, data in files.items():
        path = os.path.join(ROOT, rel)
        on_disk = open(path, "rb").read() if os.path.exists(path) else None
        if on_disk != data:
            problems.append(f"{rel} is missing or out of date")
    for folder, _, names in os.walk(ROOT):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), ROOT).replace(os.sep, "/")
            if rel not in files and rel != ".gitattributes":
                problems.append(f"{rel} is not generated")
    for p in problems:
        print("demo check:", p, file=sys.stderr)
    return not problems


def main(argv):
    files = demo_files()
    if argv[1:] == ["--check"]:
        ok = check(files)
        print("demo check:", "ok" if ok else "FAILED", f"({len(files)} files, "
              f"{len(CONTROLS)} controls)")
        return 0 if ok else 1
    write_all(files)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
