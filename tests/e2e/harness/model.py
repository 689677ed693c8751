"""A unit model laid out beside the exe: the launcher entry, the settings file, the five
bitmaps and the text pages. Each picture is one flat colour, so a single pixel tells which
one is on screen. The default is a minimal model; presets (midi_model, audio_model) change
its fields."""
from dataclasses import dataclass, field

from .files import settings_text
from .vmidi import UNIT_NAME

OFF_COLOUR = (40, 90, 200)
RED_COLOUR = (220, 30, 30)
GREEN_COLOUR = (30, 180, 60)
METER_ON_COLOUR = (250, 220, 0)
METER_OFF_COLOUR = (60, 60, 60)

# Settings key of each bitmap and its file.
BITMAP_FILES = {
    "off_bitmap": "off.bmp",
    "red_bitmap": "red.bmp",
    "green_bitmap": "green.bmp",
    "meter_on": "meter_on.bmp",
    "meter_off": "meter_off.bmp",
}
COLOURS = {"off_bitmap": OFF_COLOUR, "red_bitmap": RED_COLOUR, "green_bitmap": GREEN_COLOUR,
           "meter_on": METER_ON_COLOUR, "meter_off": METER_OFF_COLOUR}
METER_SIZE = (20, 100)


def _value(value):
    """A settings value: a tuple of numbers (rectangle, control entry) comma-separated."""
    return ",".join(str(v) for v in value) if isinstance(value, tuple) else value


@dataclass
class Model:
    """One model of unit. Change the fields, then `write(exe_folder)`.

    Rectangles are (x, y, width, height) in client pixels; `texts` maps a [text] key to the
    content of its file (key + ".txt"), or to None for a key with an empty value, and
    `prefixes` a [text] key to its channel prefix ("1" writes "1,key.txt"). Control entries
    are "x,y,w,h[,receive]" texts or tuples of those numbers. `loop`: the [audio] loop value,
    None for no [audio] section."""
    port: str = UNIT_NAME
    profile: str = "T1"
    settings_file: str = "t1.ini"
    audio: str = None  # the profile's ASIO driver; None: no audio key at all
    width: int = 640
    height: int = 420
    showmidichannels: int = 0
    panel_at: tuple = (20, 30)  # Bitmap_left, Bitmap_top
    panel_size: tuple = (300, 200)
    meter_at: tuple = (20, 300)
    meter_size: tuple = METER_SIZE
    text_window: tuple = (340, 30, 280, 200)
    continue_button: tuple = (340, 250, 130, 30)
    video_button: tuple = (490, 250, 130, 30)
    sequence: dict = field(default_factory=lambda: {"test6": 0, "test7": 0})
    texts: dict = field(default_factory=lambda: {
        "text1": "The step's own text.\r\n",
        "text1_1": "Welcome to the Velk test.\r\nPress Begin Test to start.",
    })
    prefixes: dict = field(default_factory=dict)
    notes: dict = field(default_factory=dict)  # key ("60", "60:1") -> "x,y,w,h,receive"
    controllers: dict = field(default_factory=dict)  # key -> "x,y,w,h"
    loop: str = None
    colours: dict = field(default_factory=lambda: dict(COLOURS))  # bitmap key -> (r, g, b)

    def settings(self):
        background = {
            "Width": self.width, "Height": self.height, "showmidichannels": self.showmidichannels,
            "Bitmap_left": self.panel_at[0], "Bitmap_top": self.panel_at[1],
            "Meter_left": self.meter_at[0], "Meter_top": self.meter_at[1],
            "text_window": _value(self.text_window),
            "video_button": _value(self.video_button),
            "continue_button": _value(self.continue_button),
        }
        background.update(BITMAP_FILES)
        text = {}
        for key, content in self.texts.items():
            name = "" if content is None else key + ".txt"
            text[key] = self.prefixes[key] + "," + name if key in self.prefixes else name
        settings = {"sequence": self.sequence, "background": background, "text": text,
                    "notes": {k: _value(v) for k, v in self.notes.items()}}
        if self.controllers:
            settings["controllers"] = {k: _value(v) for k, v in self.controllers.items()}
        if self.loop is not None:
            settings["audio"] = {"loop": self.loop}
        return settings

    def write(self, folder):
        """Writes the launcher file, the settings file, the bitmaps and the text files;
        `folder` stays the model's."""
        self.folder = folder
        entry = {"settings": self.settings_file}
        if self.audio is not None:
            entry["audio"] = self.audio
        folder.write_launcher({self.port: self.profile}, {self.profile: entry})
        folder.write_text(self.settings_file, settings_text(self.settings()))
        for key, name in BITMAP_FILES.items():
            size = self.meter_size if key.startswith("meter") else self.panel_size
            folder.write_bmp(name, size[0], size[1], self.colours[key])
        for key, content in self.texts.items():
            if content is not None:
                folder.write_text(key + ".txt", content)
        return folder

    def text(self, key):
        """What the text pane shows for a [text] key."""
        return self.texts[key]

    def note_point(self, client, key):
        """Screen point in the middle of a note's rectangle; client: the client rectangle."""
        return self._middle(client, self.notes[key])

    def controller_point(self, client, key):
        return self._middle(client, self.controllers[key])

    def _middle(self, client, entry):
        x, y, width, height = [int(v) for v in _value(entry).split(",")[:4]]
        return (client[0] + self.panel_at[0] + x + width // 2,
                client[1] + self.panel_at[1] + y + height // 2)

    @staticmethod
    def bitmap_file(key):
        return BITMAP_FILES[key]
