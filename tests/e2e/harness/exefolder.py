"""The program's folder as a test lays it out: the exe, its launcher file, settings, bitmaps,
text pages. Every text file is written with CR LF line ends, as the program expects."""
import shutil
import struct
from pathlib import Path

LAUNCHER = "Velk Analyser.ini"


def ini_text(sections):
    """INI text from {section: {key: value}} (or a list of (key, value) to allow duplicates)."""
    lines = []
    for section, entries in sections.items():
        lines.append("[%s]" % section)
        items = entries.items() if isinstance(entries, dict) else entries
        lines.extend("%s=%s" % (key, value) for key, value in items)
        lines.append("")
    return "\r\n".join(lines)


def bmp_bytes(width, height, color, rects=()):
    """A 24-bit bottom-up BMP filled with `color` (r, g, b), then each (left, top, right,
    bottom), colour pair of `rects` painted over it (right and bottom exclusive)."""
    rows = [bytearray(bytes((color[2], color[1], color[0])) * width) for _ in range(height)]
    for (left, top, right, bottom), (r, g, b) in rects:
        for y in range(max(top, 0), min(bottom, height)):
            span = range(max(left, 0), min(right, width))
            rows[y][span.start * 3:span.stop * 3] = bytes((b, g, r)) * len(span)
    padding = b"\0" * (-width * 3 % 4)
    pixels = b"".join(bytes(row) + padding for row in reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


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
        return self.write_ini(LAUNCHER, {"midi": midi, **profiles})

    def write_bmp(self, name, width, height, color, rects=()):
        self.path(name).write_bytes(bmp_bytes(width, height, color, rects))
        return self.path(name)
