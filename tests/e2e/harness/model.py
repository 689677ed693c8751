"""A minimal unit model laid out beside the exe: the launcher entry, the settings file, the
five bitmaps and the text pages. Each picture is one flat colour, so a single pixel tells
which one is on screen."""
from dataclasses import dataclass, field

from .vmidi import UNIT_NAME

OFF_COLOUR = (40, 90, 200)
RED_COLOUR = (220, 30, 30)
GREEN_COLOUR = (30, 180, 60)
METER_ON_COLOUR = (250, 220, 0)
METER_OFF_COLOUR = (60, 60, 60)

# Settings key of each bitmap, its file, and its colour.
BITMAPS = {
    "off_bitmap": ("off.bmp", OFF_COLOUR),
    "red_bitmap": ("red.bmp", RED_COLOUR),
    "green_bitmap": ("green.bmp", GREEN_COLOUR),
    "meter_on": ("meter_on.bmp", METER_ON_COLOUR),
    "meter_off": ("meter_off.bmp", METER_OFF_COLOUR),
}
METER_SIZE = (20, 100)


def _rect_value(rect):
    return ",".join(str(v) for v in rect)


@dataclass
class Model:
    """One model of unit. Change the fields, then `write(exe_folder)`.

    Rectangles are (x, y, width, height) in client pixels; `texts` maps a [text] key to the
    content of its file (key + ".txt"), or to None for a key with an empty value."""
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
    text_window: tuple = (340, 30, 280, 200)
    continue_button: tuple = (340, 250, 130, 30)
    video_button: tuple = (490, 250, 130, 30)
    sequence: dict = field(default_factory=lambda: {"test6": 0, "test7": 0})
    texts: dict = field(default_factory=lambda: {
        "text1": "The step's own text.\r\n",
        "text1_1": "Welcome to the Velk test.\r\nPress Begin Test to start.",
    })
    notes: dict = field(default_factory=dict)  # key ("60", "60:1") -> "x,y,w,h,receive"

    def settings(self):
        background = {
            "Width": self.width, "Height": self.height, "showmidichannels": self.showmidichannels,
            "Bitmap_left": self.panel_at[0], "Bitmap_top": self.panel_at[1],
            "Meter_left": self.meter_at[0], "Meter_top": self.meter_at[1],
            "text_window": _rect_value(self.text_window),
            "video_button": _rect_value(self.video_button),
            "continue_button": _rect_value(self.continue_button),
        }
        background.update({key: name for key, (name, _) in BITMAPS.items()})
        text = {key: "" if content is None else key + ".txt" for key, content in self.texts.items()}
        return {"sequence": self.sequence, "background": background, "text": text,
                "notes": self.notes}

    def write(self, folder):
        """Writes the launcher file, the settings file, the bitmaps and the text files."""
        entry = {"settings": self.settings_file}
        if self.audio is not None:
            entry["audio"] = self.audio
        folder.write_launcher({self.port: self.profile}, {self.profile: entry})
        folder.write_ini(self.settings_file, self.settings())
        for key, (name, colour) in BITMAPS.items():
            size = METER_SIZE if key.startswith("meter") else self.panel_size
            folder.write_bmp(name, size[0], size[1], colour)
        for key, content in self.texts.items():
            if content is not None:
                folder.write_text(key + ".txt", content)
        return folder

    def text(self, key):
        """What the text pane shows for a [text] key."""
        return self.texts[key]

    @staticmethod
    def bitmap_file(key):
        return BITMAPS[key][0]
