"""A MIDI-only unit for the scenarios of a whole test run, a preset of harness.model.Model
(its controls, pages and flat pictures), the MIDI words addressed by its keys, and a fast
pixel reader.

The panel pictures are flat colours (unlit blue, all red, all green), so one pixel inside a
control's rectangle tells its state: red untested, green passed, blue not under test."""
import ctypes

from . import midi
from .model import Model
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


def page_text(key, step):
    return "Page %s of step %d\r\nFollow the instructions." % (key, step)


def midi_unit_model(folder, port_name, steps=(1, 2, 3, 4, 5, 8), pages=(3, 4), notes=NOTES,
                    controllers=CONTROLLERS, show_channels=True):
    """The unit model of a whole MIDI run, written into an ExeFolder and returned.

    steps: enabled test steps (1..8; 6 and 7 are always off, the unit has no audio).
    pages: steps whose text has three pages: text<s> without prefix, text<s>_1 prefixed "1,"
    and text<s>_2 prefixed "2,"; every other step has its own text only."""
    texts, prefixes = {}, {}
    for step in range(1, 9):
        texts["text%d" % step] = page_text("text%d" % step, step)
        if step in pages:
            for channel in (1, 2):
                key = "text%d_%d" % (step, channel)
                texts[key] = page_text(key, step)
                prefixes[key] = str(channel)
    model = Model(
        port=port_name, profile=UNIT_PROFILE, settings_file=SETTINGS, audio="", width=800,
        height=600, showmidichannels=int(show_channels), panel_at=PANEL_ORIGIN,
        panel_size=PANEL_SIZE, meter_at=(700, 400), meter_size=(20, 60),
        text_window=(430, 10, 350, 250), continue_button=(430, 270, 160, 30),
        video_button=(610, 270, 160, 30),
        sequence={"test%d" % s: int(s in steps and s not in (6, 7)) for s in range(1, 9)},
        texts=texts, prefixes=prefixes, notes=dict(notes), controllers=dict(controllers),
        loop="", colours={"off_bitmap": OFF, "red_bitmap": RED, "green_bitmap": GREEN,
                          "meter_on": GREEN, "meter_off": OFF})
    model.write(folder)
    return model


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
