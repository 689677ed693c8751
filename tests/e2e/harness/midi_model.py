"""A MIDI-only unit for the scenarios of a whole test run: its launcher entry, settings file,
panel bitmaps and text pages, where its controls lie on screen, and a fast pixel reader.

The panel pictures are flat colours (unlit blue, all red, all green), so one pixel inside a
control's rectangle tells its state: red untested, green passed, blue not under test."""
import ctypes
from collections import namedtuple

from . import midi
from .wine import wait_until

UNIT_PROFILE = "Unit"
SETTINGS = "unit.ini"

OFF = (0, 0, 160)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
PANEL_ORIGIN = (10, 10)  # Bitmap_left, Bitmap_top
PANEL_SIZE = (400, 300)

# [notes]: key -> x, y, width, height, receive flag. Any-channel entries ("60") and entries
# on channel 1 ("0:1") and channel 2 ("10:2"); every other one is a receive target.
NOTES = {
    "60": (20, 20, 40, 40, 1),
    "61": (80, 20, 40, 40, 0),
    "0:1": (140, 20, 40, 40, 1),
    "127:1": (200, 20, 40, 40, 0),
    "10:2": (260, 20, 40, 40, 1),
    "11:2": (320, 20, 40, 40, 0),
}
# [controllers]: key -> x, y, width, height; "0:2" is swept by pitch bend on channel 2.
CONTROLLERS = {
    "7": (20, 150, 40, 40),
    "8": (80, 150, 40, 40),
    "9": (140, 150, 40, 40),
    "1:1": (200, 150, 40, 40),
    "0:2": (260, 150, 40, 40),
    "5:2": (320, 150, 40, 40),
}


def note_on(key, velocity=0x40, channel=None):
    """Note-on word for a [notes] key; an any-channel key takes `channel` (1..16)."""
    number, key_channel = _address(key, channel)
    return midi.note_on(key_channel, number, velocity)


def note_off(key, velocity=0x40, channel=None):
    number, key_channel = _address(key, channel)
    return midi.note_off(key_channel, number, velocity)


def control_change(key, value, channel=None):
    number, key_channel = _address(key, channel)
    return midi.control_change(key_channel, number, value)


pitch_bend = midi.pitch_bend


def _address(key, channel):
    number, _, key_channel = key.partition(":")
    if key_channel:
        return int(number), int(key_channel)
    if channel is None:
        raise ValueError("any-channel key %s needs a channel" % key)
    return int(number), channel


Page = namedtuple("Page", "key value text")


class MidiUnitModel:
    """Writes the unit's files into an ExeFolder.

    steps: enabled test steps (1..8; 6 and 7 are always off, the unit has no audio).
    pages: steps whose text has three pages: text<s> without prefix, text<s>_1 prefixed "1,"
    and text<s>_2 prefixed "2,"; every other step has its own text only."""

    def __init__(self, folder, port_name, steps=(1, 2, 3, 4, 5, 8), pages=(3, 4), notes=NOTES,
                 controllers=CONTROLLERS, show_channels=True):
        self.folder = folder
        self.notes = dict(notes)
        self.controllers = dict(controllers)
        self.pages = {}
        for step in range(1, 9):
            self._add_page(step, "text%d" % step, "")
            if step in pages:
                self._add_page(step, "text%d_1" % step, "1,")
                self._add_page(step, "text%d_2" % step, "2,")
        folder.write_launcher({port_name: UNIT_PROFILE},
                              {UNIT_PROFILE: {"settings": SETTINGS, "audio": ""}})
        width, height = PANEL_SIZE
        folder.write_bmp("off.bmp", width, height, OFF)
        folder.write_bmp("red.bmp", width, height, RED)
        folder.write_bmp("green.bmp", width, height, GREEN)
        folder.write_bmp("meter_on.bmp", 20, 60, GREEN)
        folder.write_bmp("meter_off.bmp", 20, 60, OFF)
        folder.write_ini(SETTINGS, {
            "sequence": {"test%d" % s: int(s in steps and s not in (6, 7)) for s in range(1, 9)},
            "background": {
                "Width": 800, "Height": 600, "showmidichannels": int(show_channels),
                "red_bitmap": "red.bmp", "green_bitmap": "green.bmp", "off_bitmap": "off.bmp",
                "Bitmap_left": PANEL_ORIGIN[0], "Bitmap_top": PANEL_ORIGIN[1],
                "Meter_left": 700, "Meter_top": 400,
                "meter_on": "meter_on.bmp", "meter_off": "meter_off.bmp",
                "text_window": "430,10,350,250", "continue_button": "430,270,160,30",
                "video_button": "610,270,160,30"},
            "audio": {"loop": ""},
            "notes": {k: ",".join(map(str, v)) for k, v in self.notes.items()},
            "controllers": {k: ",".join(map(str, v)) for k, v in self.controllers.items()},
            "text": {page.key: page.value for page in self.pages.values()},
        })

    def _add_page(self, step, key, prefix):
        name = key + ".txt"
        text = "Page %s of step %d\r\nFollow the instructions." % (key, step)
        self.folder.write_text(name, text)
        self.pages[key] = Page(key, prefix + name, text)

    def text(self, key):
        """What the text pane shows for a page key, without status lines."""
        return self.pages[key].text

    def note_point(self, client, key):
        """Screen point in the middle of a note's rectangle; client: the client rectangle."""
        return _middle(client, self.notes[key])

    def controller_point(self, client, key):
        return _middle(client, self.controllers[key])


def _middle(client, rect):
    x, y, width, height = rect[:4]
    return (client[0] + PANEL_ORIGIN[0] + x + width // 2,
            client[1] + PANEL_ORIGIN[1] + y + height // 2)


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int)]  # leading fields only


class ScreenPixels:
    """Single pixels of the X root window through libX11: a read takes well under a
    millisecond, where a screenshot takes a large part of a second."""

    def __init__(self, display_name):
        self._x = ctypes.CDLL("libX11.so.6")
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XGetImage.restype = ctypes.POINTER(_XImage)
        self._x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self._x.XGetPixel.restype = ctypes.c_ulong
        self._x.XGetPixel.argtypes = [ctypes.POINTER(_XImage), ctypes.c_int, ctypes.c_int]
        self._x.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._display = self._x.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError("cannot open X display %s" % display_name)
        self._root = self._x.XDefaultRootWindow(self._display)

    def close(self):
        self._x.XCloseDisplay(self._display)

    def column(self, x, y, height):
        """(r, g, b) of `height` screen pixels from (x, y) down (24-bit TrueColor screen)."""
        all_planes, z_pixmap = 0xFFFFFFFF, 2
        image = self._x.XGetImage(self._display, self._root, x, y, 1, height, all_planes,
                                  z_pixmap)
        values = [self._x.XGetPixel(image, 0, row) for row in range(height)]
        self._x.XDestroyImage(image)
        return [((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) for v in values]

    def pixel(self, point):
        """(r, g, b) at a screen point."""
        return self.column(point[0], point[1], 1)[0]

    def wait_colours(self, expected, timeout=5.0):
        """Polls until every point shows its colour; expected: {point: (r, g, b)}."""
        try:
            wait_until(lambda: all(self.pixel(p) == c for p, c in expected.items()), timeout,
                       interval=0.001)
        except TimeoutError:
            wrong = {p: (self.pixel(p), c) for p, c in expected.items() if self.pixel(p) != c}
            raise TimeoutError("after %.1f s, pixels (seen, wanted): %s"
                               % (timeout, wrong)) from None
