"""The program's folder as a test lays it out: the exe, its launcher file, settings, bitmaps,
text pages. Every text file is written with CR LF line ends, as the program expects."""
import shutil
from pathlib import Path

from .facts import LAUNCHER
from .files import bmp_bytes, ini_text, launcher_text


class ExeFolder:
    """A folder holding a copy of the exe and the files the test writes beside it."""

    def __init__(self, root, exe):
        self.root = Path(root)
        self.root.mkdir(parents=True, exist_ok=True)
        self.exe = self.root / Path(exe).name
        shutil.copyfile(exe, self.exe)

    def path(self, name):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        return path

    def write_text(self, name, text):
        """A text file with CR LF line ends (plain \\n in `text` is converted)."""
        data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
        self.path(name).write_bytes(data)
        return self.path(name)

    def write_ini(self, name, sections):
        return self.write_text(name, ini_text(sections))

    def write_launcher(self, midi, profiles):
        """The launcher file: [midi] port name -> profile, then each profile's section."""
        return self.write_text(LAUNCHER, launcher_text(midi, profiles))

    def write_bmp(self, name, width, height, color, rects=()):
        self.path(name).write_bytes(bmp_bytes(width, height, color, rects))
        return self.path(name)
